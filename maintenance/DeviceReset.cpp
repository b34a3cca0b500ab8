#include "maintenance/DeviceReset.h"

#include "serial/SerialFrames.h"
#include "serial/SerialLink.h"
#include "snmp/SnmpSocket.h"

#include <algorithm>

namespace varnadex {

bool DeviceReset::notOpened(const OpenFailure& failure) {
    sink_.show(MessageKind::Error, failure.message);
    if (!failure.note.empty()) sink_.note(failure.note);
    return false;
}

bool DeviceReset::OnReset(const ConverterConfig& config) {
    return config.accessMode == 1 ? overNetwork(config) : overSerial(config);
}

bool DeviceReset::overNetwork(const ConverterConfig& config) {
    if (auto failure = snmp_.OpenConnection(config.agentHost, config.accessCommunity))
        return notOpened(*failure);
    if (snmp_.RequestReset() == -1) {
        sink_.show(MessageKind::Error, snmp_.communicationError(catalogue_));
        snmp_.CloseConnection();
        return false;
    }
    snmp_.CloseConnection();
    sink_.show(MessageKind::Plain, catalogue_.text(Msg::Done));
    return true;
}

bool DeviceReset::overSerial(const ConverterConfig& config) {
    if (!serial_.OpenPort(config.comPort, kConverterSpeed)) return notOpened(serial_.openFailure());
    std::copy(kRestartFrame.begin(), kRestartFrame.end(), serial_.commandBuffer.begin());
    if (!serial_.writeRaw(serial_.commandBuffer)) {
        serial_.ClosePort();
        // The window says nothing here, as it always has; a terminal must not end in silence.
        sink_.note(catalogue_.extra(ExtraMsg::RestartNotSent));
        return false;
    }
    // Only an 'O' at the very start is an acceptance, as for every frame: a lower-case 'o' or
    // an 'O' further on is not.
    const bool accepted =
        serial_.readReply(1) >= 1 && checkReply(serial_.reply(), 1) == ReplyStatus::Accepted;
    sink_.show(accepted ? MessageKind::Plain : MessageKind::Error,
               catalogue_.text(accepted ? Msg::Done : Msg::SerialCommError));
    serial_.ClosePort();
    return accepted;
}

} // namespace varnadex
