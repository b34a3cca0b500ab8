#pragma once

#include "config/DialogRules.h"
#include "ui/DataExchange.h"

#include <string>

namespace varnadex::ui {

// "Remote Config Settings": who may read and write the converter's configuration over SNMP.
class CRemoteConfigDlg : public CSettingsDialog {
public:
    CRemoteConfigDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    int snmpReadEnabled = 0;
    int snmpWriteEnabled = 0;
    std::string snmpCommunity;
    std::string snmpFilterAddress;
    std::string snmpFilterMask;

    // Clicks on the two check boxes. Each first takes the controls into the members, without
    // the checks: the community's length is checked on OK, not on every click.
    void OnEnableRead();
    void OnEnableWrite();

protected:
    void exchangeFields(DataExchange& dx) override;
    void updateEnabledStates() override;

private:
    void takeControls();
    void applyEnables();

    RemoteConfigEnables enables_;
};

} // namespace varnadex::ui
