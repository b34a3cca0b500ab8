#include "app/ConverterOperations.h"

#include "serial/SerialConnection.h"
#include "snmp/SnmpConnection.h"

namespace varnadex {

ConverterOperations::ConverterOperations(ISerialPort& port, IDatagramSocket& socket,
                                         IClock& clock, IMessageSink& sink,
                                         const MessageCatalogue& catalogue)
    : sink_(sink), serial_(port, clock, sink, catalogue), snmp_(socket, clock, catalogue),
      procedures_(sink, catalogue), reset_(serial_, snmp_, sink, catalogue) {}

template <class Procedure>
bool ConverterOperations::withConnection(ConverterConfig& config, Procedure run) {
    // Any access mode but 1 is the serial link.
    if (config.accessMode == 1) {
        SnmpConnection connection(snmp_, sink_, config);
        return run(connection) == OpResult::Ok;
    }
    SerialConnection connection(serial_, config.comPort);
    return run(connection) == OpResult::Ok;
}

bool ConverterOperations::ReadConf(ConverterConfig& config) {
    return withConnection(config, [&](IConfigConnection& c) {
        return procedures_.ReadConf(config, c);
    });
}

bool ConverterOperations::WriteConf(ConverterConfig& config) {
    return withConnection(config, [&](IConfigConnection& c) {
        return procedures_.WriteConf(config, c);
    });
}

bool ConverterOperations::Reset(ConverterConfig& config) { return reset_.OnReset(config); }

bool ConverterOperations::FirmwareStart(ConverterConfig&, const std::string&) { return false; }
bool ConverterOperations::FirmwareTick() { return false; }
void ConverterOperations::FirmwareAbort() {}
bool ConverterOperations::firmwareRunning() const { return false; }
FirmwareProgress ConverterOperations::firmwareProgress() const { return {}; }
bool ConverterOperations::firmwareSucceeded() const { return false; }

} // namespace varnadex
