#pragma once

#include "app/MessageSink.h"
#include "config/ConverterConfig.h"

class QWidget;

namespace varnadex::ui {

// The four settings dialogs as the main window runs them: copy the fields in, run the dialog
// modally, copy every edited field back only on OK. `language` picks the template (1 English,
// anything else Hungarian); validation messages go to `sink`. True when the dialog ended
// with OK.
bool runSerialSettings(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config);
bool runAdvancedSettings(QWidget* parent, int language, IMessageSink& sink,
                         ConverterConfig& config);
bool runNetworkSettings(QWidget* parent, int language, IMessageSink& sink,
                        ConverterConfig& config);
bool runRemoteConfigSettings(QWidget* parent, int language, IMessageSink& sink,
                             ConverterConfig& config);

} // namespace varnadex::ui
