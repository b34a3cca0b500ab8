#pragma once

#include "app/MessageSink.h"
#include "config/ConverterConfig.h"

#include <memory>

class QDialog;
class QWidget;

namespace varnadex::ui {

// The four settings dialogs as the main window runs them: copy the fields in, run the dialog
// modally, copy every edited field back only on OK. `language` picks the template (1 English,
// anything else Hungarian); validation messages go to `sink`. True when the dialog ended
// with OK.
bool runSerialSettings(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config);
bool runAdvancedSettings(QWidget* parent, int language, IMessageSink& sink,
                         ConverterConfig& config);
bool runNetworkSettings(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config);
bool runRemoteConfigSettings(QWidget* parent, int language, IMessageSink& sink,
                             ConverterConfig& config);

// For pictures of the dialogs: one dialog filled from `config` and initialised as it opens,
// never run. `which` is one of the constants below; nothing for another value. The sink must
// outlive the dialog.
enum SettingsDialogWhich : int {
    kSerialSettingsDialog = 0,
    kAdvancedSettingsDialog = 1,
    kNetworkSettingsDialog = 2,
    kRemoteConfigDialog = 3,
};
std::unique_ptr<QDialog> makeSettingsDialogForShots(int which, int language, IMessageSink& sink,
                                                    const ConverterConfig& config);

} // namespace varnadex::ui
