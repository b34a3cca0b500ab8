#include "ui/NetworkSettingsDlg.h"

#include "ui/SettingsTemplates.h"

#include <QLineEdit>
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

void CNetworkSettingsDlg::exchangeFields(DataExchange& dx) {
    auto edit = [this](int control) { return built().get<QLineEdit>(control); };
    dx.text(edit(id::macAddress), macAddress);
    dx.radio(built().radioGroup(id::normalMode), workingMode);
    dx.radio(built().radioGroup(id::tcpProtocol), protocol);
    dx.radio(built().radioGroup(id::clientMode), tcpMode);
    dx.text(edit(id::ipAddress), ipAddress);
    dx.text(edit(id::localPort), localPort);
    dx.text(edit(id::subnetMask), subnetMask);
    dx.text(edit(id::gatewayAddress), gatewayAddress);
    dx.text(edit(id::remoteAddress), remoteAddress);
    dx.text(edit(id::remotePort), remotePort);
    dx.text(edit(id::remoteSubnetMask), remoteSubnetMask);
}

NetworkChecks CNetworkSettingsDlg::checks() const {
    return {.tcpIpChecked = built().get<QRadioButton>(id::tcpProtocol)->isChecked(),
            .serverChecked = built().get<QRadioButton>(id::serverMode)->isChecked()};
}

void CNetworkSettingsDlg::applyEnables() {
    for (int button : {id::tcpProtocol, id::udpProtocol})
        enableControl(button, enables_.protocol);
    for (int button : {id::clientMode, id::serverMode})
        enableControl(button, enables_.tcpMode);
    enableControl(id::remoteAddress, enables_.remoteAddress);
    enableControl(id::remotePort, enables_.remotePort);
    enableControl(id::localPort, enables_.localPort);
    enableControl(id::remoteSubnetMask, enables_.remoteSubnetMask);
}

void CNetworkSettingsDlg::updateEnabledStates() {
    enables_ = initialNetworkEnables(workingMode, checks());
    applyEnables();
    enableControl(id::macAddress, enableMac != 0);
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
