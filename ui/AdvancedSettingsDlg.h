#pragma once

#include "ui/DataExchange.h"

#include <cstdint>
#include <string>

namespace varnadex::ui {

// "Advanced Settings": timers, buffering and the pattern character.
class CAdvancedSettingsDlg : public CSettingsDialog {
public:
    CAdvancedSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // Input: the TCP-only options are off for UDP/IP, the pattern character on.
    int protocol = 0;

    std::uint8_t networkTimeout = 0;
    std::uint8_t keepAliveTimer = 0;
    int bufferHandling = 0;
    int networkDelay = 0;
    int optimizeFor = 0;
    int icmpEchoEnabled = 0;
    int patternCharEnabled = 0;
    std::string patternChar;

    // A click on the pattern character's check box.
    void OnPatternCharClicked();

protected:
    void exchangeFields(DataExchange& dx) override;
    void updateEnabledStates() override;
};

} // namespace varnadex::ui
