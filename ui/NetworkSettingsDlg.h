#pragma once

#include "config/DialogRules.h"
#include "ui/DataExchange.h"

#include <string>

namespace varnadex::ui {

// "Network Settings": working mode, protocol, TCP role, addresses and ports. No checks; the
// texts are checked when they are written to the converter.
class CNetworkSettingsDlg : public CSettingsDialog {
public:
    CNetworkSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // Input: the MAC address is editable only when the program was started to allow it.
    int enableMac = 0;

    int workingMode = 0;
    int protocol = 0;
    int tcpMode = 0;
    std::string macAddress;
    std::string ipAddress;
    std::string localPort;
    std::string subnetMask;
    std::string gatewayAddress;
    std::string remoteAddress;
    std::string remotePort;
    std::string remoteSubnetMask;

    // Clicks on the mode buttons. They exchange no data; they read the other buttons'
    // check marks from the controls.
    void OnNormalMode();
    void OnCommandMode();
    void OnTcpProtocol();
    void OnUdpProtocol();
    void OnServerMode();
    void OnClientMode();

protected:
    void exchangeFields(DataExchange& dx) override;
    void updateEnabledStates() override;

private:
    NetworkChecks checks() const;
    void applyEnables();

    NetworkEnables enables_;
};

} // namespace varnadex::ui
