#pragma once

#include "config/ConfigProcedures.h"
#include "maintenance/DeviceReset.h"
#include "maintenance/FirmwareUpgrade.h"
#include "operations/Operations.h"
#include "serial/SerialLink.h"
#include "snmp/SnmpSocket.h"

namespace varnadex {

class ISerialPort;
class IDatagramSocket;
class IFirmwareFile;

// The window's and the CLI's operations over a serial port and a datagram socket handed in
// by the caller: the real ones in the programs, a pty and loopback in the tests.
class ConverterOperations : public IOperations {
public:
    ConverterOperations(ISerialPort& port, IDatagramSocket& socket, IClock& clock,
                        IFirmwareFile& firmwareFile, IMessageSink& sink,
                        const MessageCatalogue& catalogue);

    void setControl(OperationControl control) override { control_ = std::move(control); }
    bool ReadConf(ConverterConfig& config) override;
    bool WriteConf(ConverterConfig& config) override;
    bool Reset(ConverterConfig& config) override;

    bool FirmwareStart(ConverterConfig& config, const std::string& path) override;
    bool FirmwareTick() override;
    void FirmwareAbort() override;
    bool firmwareRunning() const override;
    FirmwareProgress firmwareProgress() const override;
    bool firmwareSucceeded() const override;

private:
    template <class Procedure> bool withConnection(ConverterConfig& config, Procedure run);

    OperationControl control_;
    CSerialLink serial_;
    CSnmpSocket snmp_;
    ConfigProcedures procedures_;
    DeviceReset reset_;
    FirmwareUpgrade firmware_;
};

} // namespace varnadex
