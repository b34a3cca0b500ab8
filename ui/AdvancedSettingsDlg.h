#pragma once

#include "ui/DataExchange.h"

namespace varnadex::ui {

// "Advanced Settings": timers, buffering and the pattern character. Its input: the TCP-only
// options are off for UDP/IP, the pattern character on.
class CAdvancedSettingsDlg : public CSettingsDialog {
public:
    CAdvancedSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // A click on the pattern character's check box.
    void OnPatternCharClicked();

protected:
    void updateEnabledStates() override;
};

} // namespace varnadex::ui
