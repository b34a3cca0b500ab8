#include "tests/fuzz/FuzzTargets.h"

#include "serial/SerialFrames.h"
#include "serial/SerialLink.h"
#include "tests/support/FakeClock.h"

#include <algorithm>
#include <span>
#include <vector>

namespace varnadex::test {
namespace {

// A converter that says whatever the fuzzer says. Each read takes a control byte: 0xFF fails
// the port, 0xFE and the end of the input let the time-out pass, anything else delivers up to
// (control % 40) + 1 of the bytes that follow.
class FuzzPort : public ISerialPort {
public:
    FuzzPort(std::span<const std::uint8_t> script, FakeClock& clock)
        : script_(script), clock_(clock) {}

    bool open(const std::string&, int) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t>) override { return true; }
    void discardInput() override {}
    int read(std::span<std::uint8_t> buffer, Micros timeout) override {
        if (!open_) return -1;
        if (buffer.empty()) emptyRead = true;
        if (script_.empty() || script_[0] == 0xFE) {
            if (!script_.empty()) script_ = script_.subspan(1);
            clock_.advance(std::chrono::ceil<Millis>(timeout));
            return 0;
        }
        const std::uint8_t control = script_[0];
        script_ = script_.subspan(1);
        if (control == 0xFF) return -1;
        const std::size_t n =
            std::min({std::size_t(control % 40) + 1, buffer.size(), script_.size()});
        std::copy_n(script_.begin(), n, buffer.begin());
        delivered.insert(delivered.end(), script_.begin(), script_.begin() + n);
        script_ = script_.subspan(n);
        return static_cast<int>(n);
    }

    std::vector<std::uint8_t> delivered;
    bool emptyRead = false;

private:
    std::span<const std::uint8_t> script_;
    FakeClock& clock_;
    bool open_ = true;
};

bool startsAccepted(std::span<const std::uint8_t> reply, std::size_t needed) {
    return reply.size() >= needed && reply[0] == kReplyAccepted;
}

} // namespace

bool fuzzSerialReply(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return true;
    static const MessageCatalogue catalogue = [] {
        MessageCatalogue c;
        c.fill(1);
        return c;
    }();
    FakeClock clock;
    FuzzPort port({data + 3, size - 3}, clock);
    CSerialLink link(port, clock, catalogue);

    bool ok = true;
    switch (data[0] % 4) {
    case 0: {
        const int value = link.GetRegister(data[1]);
        if (value >= 0)
            ok = startsAccepted(link.reply(), kReadByteReplySize) &&
                 value == link.reply()[kReplyValueOffset];
        break;
    }
    case 1:
        if (link.SetRegister(data[1], data[2]) == data[2])
            ok = startsAccepted(link.reply(), kWriteByteReplySize);
        break;
    case 2:
        if (link.GetFirmwareVersion() != catalogue.text(Msg::Unknown))
            ok = startsAccepted(link.reply(), kVersionReplySize);
        break;
    default: {
        const int n = link.readReply(data[1], data[2]);
        const std::size_t limit = std::clamp<std::size_t>(data[2], 1, kReplyBufferSize);
        ok = n >= -1 && (n < 0 || static_cast<std::size_t>(n) == link.reply().size()) &&
             link.reply().size() <= limit;
        break;
    }
    }
    // Every byte the port gave lands in the reply, in order, and nothing else does.
    ok = ok && !port.emptyRead && std::ranges::equal(link.reply(), port.delivered);
    for (std::size_t needed = 1; needed <= kVersionReplySize; ++needed) {
        const bool accepted = checkReply(link.reply(), needed) == ReplyStatus::Accepted;
        ok = ok && accepted == startsAccepted(link.reply(), needed);
    }
    return ok;
}

} // namespace varnadex::test
