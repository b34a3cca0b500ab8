#pragma once

#include <cstdint>
#include <string>

namespace varnadex {

// Everything the program knows about the one converter it works on, plus how to reach it.
// Values are held as the dialogs show them: texts for addresses, ports, speeds and names,
// button indices for radio groups, 0/1 for check boxes, bytes for the two timers.
struct ConverterConfig {
    // Access settings (the main window's own controls; never sent to the converter).
    int accessMode = 0; // 0 = COM Port, 1 = Network (any value but 1 means serial)
    std::string comPort = "COM1";
    std::string agentHost = "192.168.255.1";
    std::string accessCommunity = "kelvin";

    // Identity.
    std::string firmwareVersion; // catalogue "Unknown" until a read or write succeeds
    std::string macAddress = "0050C2ABC000";
    int enableMac = 0;

    // Serial line.
    std::string baudRate = "9600";
    std::string dataFormat = "8N1";
    std::uint8_t dataFormatCode = 0;
    int rtsCtsFlowControl = 0;
    int dtrMode = 0;
    int crlfMode = 0;

    // Network side.
    int workingMode = 0;
    int protocol = 0;
    int tcpMode = 0;
    std::string ipAddress = "192.168.255.1";
    std::string localPort = "10000";
    std::string subnetMask = "255.255.255.0";
    std::string gatewayAddress = "192.168.255.254";
    std::string remoteAddress = "192.168.255.2";
    std::string remotePort = "10000";
    std::string remoteSubnetMask = "255.255.255.255";

    // Connection behaviour.
    std::uint8_t networkTimeout = 60;
    std::uint8_t keepAliveTimer = 10;
    int bufferHandling = 0;
    int networkDelay = 0;
    int optimizeFor = 0;
    int icmpEchoEnabled = 1;
    int patternCharEnabled = 0;
    std::string patternChar = "7E";

    // Remote (SNMP) access to the converter.
    int snmpReadEnabled = 1;
    int snmpWriteEnabled = 1;
    std::string snmpCommunity = "kelvin";
    std::string snmpFilterAddress = "0.0.0.0";
    std::string snmpFilterMask = "0.0.0.0";

    // The defaults the main window sets when it initialises.
    void applyLateDefaults() {
        snmpCommunity = "kelvin";
        patternCharEnabled = 0;
        patternChar = "7E";
        dataFormatCode = 0;
    }

    bool operator==(const ConverterConfig&) const = default;
};

} // namespace varnadex
