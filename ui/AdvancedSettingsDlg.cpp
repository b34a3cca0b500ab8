#include "ui/AdvancedSettingsDlg.h"

#include "config/DialogRules.h"
#include "ui/SettingsTemplates.h"

#include <QCheckBox>
#include <QLineEdit>

namespace varnadex::ui {

namespace id = advanced_ids;

CAdvancedSettingsDlg::CAdvancedSettingsDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(advancedSettingsTemplate(), language, sink, parent) {
    auto* box = built().get<QCheckBox>(id::patternCharEnabled);
    connect(box, &QCheckBox::clicked, this, &CAdvancedSettingsDlg::OnPatternCharClicked);
    // The box has no text of its own; the edit's label names both.
    box->setAccessibleName(built().control(id::patternChar)->accessibleName());
}

void CAdvancedSettingsDlg::exchangeFields(DataExchange& dx) {
    dx.checkBox(built().get<QCheckBox>(id::icmpEcho), icmpEchoEnabled);
    dx.radio(built().radioGroup(id::delaySmall), networkDelay);
    dx.radio(built().radioGroup(id::optimizeMinimal), optimizeFor);
    // Checked even while disabled for UDP/IP: a timer read from a converter outside its
    // range stops OK here.
    dx.byteField(built().get<QLineEdit>(id::keepAliveTimer), keepAliveTimer, kKeepAliveLow,
                 kKeepAliveHigh);
    dx.byteField(built().get<QLineEdit>(id::networkTimeout), networkTimeout, kNetworkTimeoutLow,
                 kNetworkTimeoutHigh);
    dx.radio(built().radioGroup(id::bufferKeep), bufferHandling);
    dx.checkBox(built().get<QCheckBox>(id::patternCharEnabled), patternCharEnabled);
    dx.text(built().get<QLineEdit>(id::patternChar), patternChar, kPatternCharLimit);
}

void CAdvancedSettingsDlg::updateEnabledStates() {
    const AdvancedEnables e = advancedEnables(protocol, patternCharEnabled);
    enableControl(id::networkTimeout, e.timers);
    enableControl(id::keepAliveTimer, e.timers);
    for (int button : {id::delaySmall, id::delayMedium, id::delayHuge})
        enableControl(button, e.networkDelay);
    enableControl(id::bufferKeep, e.bufferHandling);
    enableControl(id::bufferClear, e.bufferHandling);
    enableControl(id::patternCharEnabled, e.patternCheck);
    enableControl(id::patternChar, e.patternEdit);
}

void CAdvancedSettingsDlg::OnPatternCharClicked() {
    const bool checked = built().get<QCheckBox>(id::patternCharEnabled)->isChecked();
    enableControl(id::patternChar, patternEditEnabledAfterClick(checked));
}

} // namespace varnadex::ui
