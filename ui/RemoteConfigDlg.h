#pragma once

#include "config/DialogRules.h"
#include "ui/DataExchange.h"

namespace varnadex::ui {

// "Remote Config Settings": who may read and write the converter's configuration over SNMP.
class CRemoteConfigDlg : public CSettingsDialog {
public:
    CRemoteConfigDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // Clicks on the two check boxes. Each first takes the controls into the record, without
    // the checks: the community's length is checked on OK, not on every click.
    void OnEnableRead();
    void OnEnableWrite();

protected:
    void updateEnabledStates() override;

private:
    void takeControls();
    void applyEnables();

    RemoteConfigEnables enables_;
};

} // namespace varnadex::ui
