#include "sim/SerialRequests.h"

namespace varnadex::sim {

SerialRequest SerialRequestReader::next(std::span<const std::uint8_t> bytes) {
    SerialRequest request;
    const auto command = decodeCommand(bytes);
    if (!command) return request;
    request.command = *command;
    switch (command->kind) {
    case CommandKind::LeadIn:
        ++leadInRun_;
        request.kind = SerialRequest::Kind::LeadIn;
        return request;
    case CommandKind::Restart:
        // 'R' after a run of 'X' restarts; the run is part of the frame, not a lead-in.
        if (leadInRun_ > 0) {
            leadInRun_ = 0;
            request.kind = SerialRequest::Kind::Frame;
            return request;
        }
        [[fallthrough]];
    case CommandKind::Unknown:
        request.kind = SerialRequest::Kind::Unknown;
        break;
    default:
        request.kind = SerialRequest::Kind::Frame;
        break;
    }
    request.endedLeadIn = endLeadIn();
    return request;
}

int SerialRequestReader::endLeadIn() {
    const int run = leadInRun_;
    leadInRun_ = 0;
    return run;
}

} // namespace varnadex::sim
