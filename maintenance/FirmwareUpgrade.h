#pragma once

#include "app/Clock.h"
#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "maintenance/FirmwareFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace varnadex {

class CSerialLink;

// The firmware file's header: read past, never examined, never sent.
inline constexpr std::uint64_t kFirmwareHeaderSize = 18;

// Firmware Upg: checks the converter, then streams the file's image over the serial link in
// slices, one per call of Tick (the window's 1000 ms timer, the CLI's loop), and reports the
// converter's verdict through the message sink. It owns the exchange with the converter and
// nothing of the window: the window disables its buttons while running() holds.
class FirmwareUpgrade {
public:
    enum class State { Idle, Checking, Transferring, Finishing };

    FirmwareUpgrade(CSerialLink& link, IFirmwareFile& file, IClock& clock, IMessageSink& sink,
                    const MessageCatalogue& catalogue);
    FirmwareUpgrade(const FirmwareUpgrade&) = delete;
    FirmwareUpgrade& operator=(const FirmwareUpgrade&) = delete;

    // Opens the file (nothing shown when it cannot be opened), refuses a file that holds no
    // image before the port is opened, opens the port at 9600 b/s, asks the converter with
    // 'V' (restarting it into its loader when it does not answer), sends 'S' and waits a
    // second. True when the transfer goes on in Tick; false once its outcome has been shown
    // and the file and port are closed. Refused while a download runs.
    bool Start(const std::string& comPort, const std::string& path);
    // Opens `path` in `file` and reads past its header, as Start does first: nothing, or why
    // the file cannot be loaded (not opened, or no image after the header; it is closed then).
    static std::optional<Problem> OpenImage(IFirmwareFile& file, const std::string& path);
    // One slice of at most 1001 image bytes, or the final verdict once the whole file has
    // gone. False when the download has ended (its outcome shown, file and port closed).
    bool Tick();
    // Ends a running download at once, closing file and port and showing nothing: the window
    // is closing under it.
    void Abort();

    bool running() const { return state_ == State::Transferring; }
    // The last download ended with the converter's 'O'.
    bool succeeded() const { return succeeded_; }
    // The progress bar, in units of 1000 file bytes (header included). A file under 1000
    // bytes has the range 0..0; the window decides how to draw it.
    int progressMaximum() const { return progressMaximum_; }
    int progressValue() const { return progressValue_; }
    std::uint64_t imageBytesSent() const { return imageBytesSent_; }
    std::uint64_t imageBytes() const { return imageBytes_; }

private:
    bool askVersion();
    void restartIntoLoader();
    bool readByte(std::uint8_t& byte);
    // Reads the converter's answer at a checkpoint to its end; true when it holds an 'E'.
    bool checkpointSaysError();
    bool finish();
    // Closes file and port, shows the message (if any) and returns to Idle.
    bool end(MessageKind kind, const std::string& text);
    bool fail(Msg message) { return end(MessageKind::Error, catalogue_.text(message)); }
    static bool holds(std::span<const std::uint8_t> reply, std::uint8_t letter);

    CSerialLink& link_;
    IFirmwareFile& file_;
    IClock& clock_;
    IMessageSink& sink_;
    const MessageCatalogue& catalogue_;

    State state_ = State::Idle;
    bool succeeded_ = false;
    int progressMaximum_ = 0;
    int progressValue_ = 0;
    std::uint64_t imageBytesSent_ = 0;
    std::uint64_t imageBytes_ = 0;
};

} // namespace varnadex
