#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "config/ConfigConnection.h"
#include "config/ConverterConfig.h"

namespace varnadex {

class CSerialLink;
class CSnmpSocket;

// RESET: restarts the converter over the access mode the window shows, and ends with one
// message. The port or socket is closed on every path that opened it.
class DeviceReset {
public:
    DeviceReset(CSerialLink& serial, CSnmpSocket& snmp, IMessageSink& sink,
                const MessageCatalogue& catalogue)
        : serial_(serial), snmp_(snmp), sink_(sink), catalogue_(catalogue) {}

    // True when the converter acknowledged the restart.
    bool OnReset(const ConverterConfig& config);

private:
    bool notOpened(const OpenFailure& failure);
    bool overSerial(const ConverterConfig& config);
    bool overNetwork(const ConverterConfig& config);

    CSerialLink& serial_;
    CSnmpSocket& snmp_;
    IMessageSink& sink_;
    const MessageCatalogue& catalogue_;
};

} // namespace varnadex
