#pragma once

#include "config/DialogRules.h"
#include "ui/DataExchange.h"

namespace varnadex::ui {

// "Network Settings": working mode, protocol, TCP role, addresses and ports. No checks; the
// texts are checked when they are written to the converter. Its input: the MAC address is
// editable only when the program was started to allow it.
class CNetworkSettingsDlg : public CSettingsDialog {
public:
    CNetworkSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // Clicks on the mode buttons. They exchange no data; they read the other buttons'
    // check marks from the controls.
    void OnNormalMode();
    void OnCommandMode();
    void OnTcpProtocol();
    void OnUdpProtocol();
    void OnServerMode();
    void OnClientMode();

protected:
    void updateEnabledStates() override;

private:
    NetworkChecks checks() const;
    void applyEnables();

    NetworkEnables enables_;
};

} // namespace varnadex::ui
