#include "ui/SettingsDialogs.h"

#include "config/RegisterMap.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/NetworkSettingsDlg.h"
#include "ui/RemoteConfigDlg.h"
#include "ui/SerialSettingsDlg.h"

namespace varnadex::ui {

namespace {

// The inputs go in with the fields but never come back.

void copyIn(CSerialSettingsDlg& d, const ConverterConfig& c) {
    d.protocol = c.protocol;
    d.baudRate = c.baudRate;
    d.dataFormat = c.dataFormat;
    d.rtsCtsFlowControl = c.rtsCtsFlowControl;
    d.dtrMode = c.dtrMode;
    d.crlfMode = c.crlfMode;
}

void copyBack(const CSerialSettingsDlg& d, ConverterConfig& c) {
    c.baudRate = d.baudRate;
    c.dataFormat = d.dataFormat;
    c.rtsCtsFlowControl = d.rtsCtsFlowControl;
    c.dtrMode = d.dtrMode;
    c.crlfMode = d.crlfMode;
    if (const auto code = dataFormatCodeFor(c.dataFormat)) c.dataFormatCode = *code;
}

void copyIn(CAdvancedSettingsDlg& d, const ConverterConfig& c) {
    d.protocol = c.protocol;
    d.networkTimeout = c.networkTimeout;
    d.keepAliveTimer = c.keepAliveTimer;
    d.bufferHandling = c.bufferHandling;
    d.networkDelay = c.networkDelay;
    d.optimizeFor = c.optimizeFor;
    d.icmpEchoEnabled = c.icmpEchoEnabled;
    d.patternCharEnabled = c.patternCharEnabled;
    d.patternChar = c.patternChar;
}

void copyBack(const CAdvancedSettingsDlg& d, ConverterConfig& c) {
    c.networkTimeout = d.networkTimeout;
    c.keepAliveTimer = d.keepAliveTimer;
    c.bufferHandling = d.bufferHandling;
    c.networkDelay = d.networkDelay;
    c.optimizeFor = d.optimizeFor;
    c.icmpEchoEnabled = d.icmpEchoEnabled;
    c.patternCharEnabled = d.patternCharEnabled;
    c.patternChar = d.patternChar;
}

void copyIn(CNetworkSettingsDlg& d, const ConverterConfig& c) {
    d.enableMac = c.enableMac;
    d.workingMode = c.workingMode;
    d.protocol = c.protocol;
    d.tcpMode = c.tcpMode;
    d.macAddress = c.macAddress;
    d.ipAddress = c.ipAddress;
    d.localPort = c.localPort;
    d.subnetMask = c.subnetMask;
    d.gatewayAddress = c.gatewayAddress;
    d.remoteAddress = c.remoteAddress;
    d.remotePort = c.remotePort;
    d.remoteSubnetMask = c.remoteSubnetMask;
}

void copyBack(const CNetworkSettingsDlg& d, ConverterConfig& c) {
    c.workingMode = d.workingMode;
    c.protocol = d.protocol;
    c.tcpMode = d.tcpMode;
    c.macAddress = d.macAddress;
    c.ipAddress = d.ipAddress;
    c.localPort = d.localPort;
    c.subnetMask = d.subnetMask;
    c.gatewayAddress = d.gatewayAddress;
    c.remoteAddress = d.remoteAddress;
    c.remotePort = d.remotePort;
    c.remoteSubnetMask = d.remoteSubnetMask;
}

void copyIn(CRemoteConfigDlg& d, const ConverterConfig& c) {
    d.snmpReadEnabled = c.snmpReadEnabled;
    d.snmpWriteEnabled = c.snmpWriteEnabled;
    d.snmpCommunity = c.snmpCommunity;
    d.snmpFilterAddress = c.snmpFilterAddress;
    d.snmpFilterMask = c.snmpFilterMask;
}

void copyBack(const CRemoteConfigDlg& d, ConverterConfig& c) {
    c.snmpReadEnabled = d.snmpReadEnabled;
    c.snmpWriteEnabled = d.snmpWriteEnabled;
    c.snmpCommunity = d.snmpCommunity;
    c.snmpFilterAddress = d.snmpFilterAddress;
    c.snmpFilterMask = d.snmpFilterMask;
}

template <class Dialog>
bool run(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config) {
    Dialog dialog(language, sink, parent);
    copyIn(dialog, config);
    if (dialog.exec() != QDialog::Accepted) return false;
    copyBack(dialog, config);
    return true;
}

template <class Dialog>
std::unique_ptr<QDialog> prepared(int language, IMessageSink& sink, const ConverterConfig& config) {
    auto dialog = std::make_unique<Dialog>(language, sink);
    copyIn(*dialog, config);
    dialog->OnInitDialog();
    return dialog;
}

} // namespace

bool runSerialSettings(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config) {
    return run<CSerialSettingsDlg>(parent, language, sink, config);
}

bool runAdvancedSettings(QWidget* parent, int language, IMessageSink& sink,
                         ConverterConfig& config) {
    return run<CAdvancedSettingsDlg>(parent, language, sink, config);
}

bool runNetworkSettings(QWidget* parent, int language, IMessageSink& sink,
                        ConverterConfig& config) {
    return run<CNetworkSettingsDlg>(parent, language, sink, config);
}

bool runRemoteConfigSettings(QWidget* parent, int language, IMessageSink& sink,
                             ConverterConfig& config) {
    return run<CRemoteConfigDlg>(parent, language, sink, config);
}

std::unique_ptr<QDialog> makeSettingsDialogForShots(int which, int language, IMessageSink& sink,
                                                    const ConverterConfig& config) {
    switch (which) {
    case kSerialSettingsDialog:
        return prepared<CSerialSettingsDlg>(language, sink, config);
    case kAdvancedSettingsDialog:
        return prepared<CAdvancedSettingsDlg>(language, sink, config);
    case kNetworkSettingsDialog:
        return prepared<CNetworkSettingsDlg>(language, sink, config);
    case kRemoteConfigDialog:
        return prepared<CRemoteConfigDlg>(language, sink, config);
    default:
        return nullptr;
    }
}

} // namespace varnadex::ui
