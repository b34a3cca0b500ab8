#include "ui/NetworkSettingsDlg.h"

#include "ui/SettingsTemplates.h"

#include <QRadioButton>

namespace varnadex::ui {

namespace id = network_ids;

CNetworkSettingsDlg::CNetworkSettingsDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(networkSettingsTemplate(), language, sink, parent) {
    const std::pair<int, void (CNetworkSettingsDlg::*)()> handlers[] = {
        {id::normalMode, &CNetworkSettingsDlg::OnNormalMode},
        {id::commandMode, &CNetworkSettingsDlg::OnCommandMode},
        {id::tcpProtocol, &CNetworkSettingsDlg::OnTcpProtocol},
        {id::udpProtocol, &CNetworkSettingsDlg::OnUdpProtocol},
        {id::serverMode, &CNetworkSettingsDlg::OnServerMode},
        {id::clientMode, &CNetworkSettingsDlg::OnClientMode},
    };
    for (const auto& [button, handler] : handlers)
        connect(built().get<QRadioButton>(button), &QRadioButton::clicked, this, handler);
}

NetworkChecks CNetworkSettingsDlg::checks() const {
    return {.tcpIpChecked = built().get<QRadioButton>(id::tcpProtocol)->isChecked(),
            .serverChecked = built().get<QRadioButton>(id::serverMode)->isChecked()};
}

void CNetworkSettingsDlg::applyEnables() {
    for (int button : {id::tcpProtocol, id::udpProtocol})
        enableControl(button, enables_.protocolButtons);
    for (int button : {id::clientMode, id::serverMode})
        enableControl(button, enables_.tcpModeButtons);
    enableControl(built().fieldId("remoteAddress"), enables_.remoteAddressEdit);
    enableControl(built().fieldId("remotePort"), enables_.remotePortEdit);
    enableControl(built().fieldId("localPort"), enables_.localPortEdit);
    enableControl(built().fieldId("remoteSubnetMask"), enables_.remoteMaskEdit);
}

void CNetworkSettingsDlg::updateEnabledStates() {
    enables_ = initialNetworkEnables(record.workingMode, checks());
    applyEnables();
    enableControl(built().fieldId("macAddress"), record.enableMac != 0);
}

void CNetworkSettingsDlg::OnNormalMode() {
    onNormalMode(enables_, checks());
    applyEnables();
}

void CNetworkSettingsDlg::OnCommandMode() {
    onCommandMode(enables_);
    applyEnables();
}

void CNetworkSettingsDlg::OnTcpProtocol() {
    onTcpProtocol(enables_, checks());
    applyEnables();
}

void CNetworkSettingsDlg::OnUdpProtocol() {
    onUdpProtocol(enables_);
    applyEnables();
}

void CNetworkSettingsDlg::OnServerMode() {
    onServerMode(enables_);
    applyEnables();
}

void CNetworkSettingsDlg::OnClientMode() {
    onClientMode(enables_);
    applyEnables();
}

} // namespace varnadex::ui
