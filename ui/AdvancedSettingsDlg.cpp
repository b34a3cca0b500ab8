#include "ui/AdvancedSettingsDlg.h"

#include "config/DialogRules.h"
#include "ui/SettingsTemplates.h"

#include <QCheckBox>

namespace varnadex::ui {

namespace id = advanced_ids;

CAdvancedSettingsDlg::CAdvancedSettingsDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(advancedSettingsTemplate(), language, sink, parent) {
    auto* box = built().field<QCheckBox>("patternCharEnabled");
    connect(box, &QCheckBox::clicked, this, &CAdvancedSettingsDlg::OnPatternCharClicked);
    // The box has no text of its own; the edit's label names both.
    box->setAccessibleName(built().field("patternChar")->accessibleName());
}

// The timers are checked on OK even while disabled for UDP/IP: a timer read from a converter
// outside its range stops OK there.
void CAdvancedSettingsDlg::updateEnabledStates() {
    const AdvancedEnables e = advancedEnables(record.protocol, record.patternCharEnabled);
    enableControl(built().fieldId("networkTimeout"), e.timerEdits);
    enableControl(built().fieldId("keepAliveTimer"), e.timerEdits);
    for (int button : {id::delaySmall, id::delayMedium, id::delayHuge})
        enableControl(button, e.delayButtons);
    enableControl(id::bufferKeep, e.bufferButtons);
    enableControl(id::bufferClear, e.bufferButtons);
    enableControl(built().fieldId("patternCharEnabled"), e.patternCheck);
    enableControl(built().fieldId("patternChar"), e.patternEdit);
}

void CAdvancedSettingsDlg::OnPatternCharClicked() {
    const bool checked = built().field<QCheckBox>("patternCharEnabled")->isChecked();
    enableControl(built().fieldId("patternChar"), patternEditEnabledAfterClick(checked));
}

} // namespace varnadex::ui
