#pragma once

#include "app/Interruption.h"
#include "config/ConverterConfig.h"

#include <cstdint>
#include <memory>
#include <string>

namespace varnadex {

class IMessageSink;
class MessageCatalogue;
class IClock;

struct FirmwareProgress {
    int maximum = 0; // progress bar range 0..maximum, in units of 1000 file bytes
    int value = 0;
    std::uint64_t imageBytesSent = 0; // image bytes written so far (the header excluded)
    std::uint64_t imageBytes = 0;     // the image's size
};

// The operations the main window's buttons run, and the command-line tool's commands.
// Each reports through the message sink it was made with; the boolean says whether it ended
// in success (for exit codes and tests), never whether to show anything more.
class IOperations {
public:
    virtual ~IOperations() = default;
    // How Read Conf and Write Conf are followed and stopped from now on (the progress
    // callback runs on the thread that runs the operation).
    virtual void setControl(OperationControl control) { (void)control; }
    virtual bool ReadConf(ConverterConfig& config) = 0;
    virtual bool WriteConf(ConverterConfig& config) = 0;
    virtual bool Reset(ConverterConfig& config) = 0;

    // Firmware download: Start checks the converter and sends the start command; when it
    // returns true the transfer goes on in FirmwareTick, called every 1000 ms, until a tick
    // returns false (the outcome has then been shown). FirmwareAbort closes file and port.
    virtual bool FirmwareStart(ConverterConfig& config, const std::string& path) = 0;
    virtual bool FirmwareTick() = 0;
    virtual void FirmwareAbort() = 0;
    virtual bool firmwareRunning() const = 0;
    virtual FirmwareProgress firmwareProgress() const = 0;
    // After the last tick: whether the converter accepted the image.
    virtual bool firmwareSucceeded() const { return false; }
};

// The real operations over this platform's serial ports and UDP sockets.
std::unique_ptr<IOperations> makeOperations(IMessageSink& sink, const MessageCatalogue& catalogue);

} // namespace varnadex
