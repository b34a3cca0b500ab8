#include "ui/SettingsDialogs.h"

#include "config/Fields.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/NetworkSettingsDlg.h"
#include "ui/RemoteConfigDlg.h"
#include "ui/SerialSettingsDlg.h"

namespace varnadex::ui {

namespace {

// The dialog gets the whole record: the fields it edits, and its inputs. Only the fields its
// template binds come back, and only on OK; the inputs never do.
template <class Dialog> void copyIn(Dialog& d, const ConverterConfig& c) {
    d.record = c;
}

template <class Dialog> void copyBack(const Dialog& d, ConverterConfig& c) {
    for (const ControlTemplate& control : d.built().bound()) {
        const Field* f = findField(control.field);
        copyField(*f, d.record, c);
        // The data format's text brings its code along.
        settleSetField(*f, c);
    }
}

template <class Dialog>
bool run(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config) {
    Dialog dialog(language, sink, parent);
    copyIn(dialog, config);
    if (dialog.exec() != QDialog::Accepted) return false;
    copyBack(dialog, config);
    return true;
}

template <class Dialog>
std::unique_ptr<QDialog> prepared(int language, IMessageSink& sink, const ConverterConfig& config) {
    auto dialog = std::make_unique<Dialog>(language, sink);
    copyIn(*dialog, config);
    dialog->OnInitDialog();
    return dialog;
}

} // namespace

bool runSerialSettings(QWidget* parent, int language, IMessageSink& sink, ConverterConfig& config) {
    return run<CSerialSettingsDlg>(parent, language, sink, config);
}

bool runAdvancedSettings(QWidget* parent, int language, IMessageSink& sink,
                         ConverterConfig& config) {
    return run<CAdvancedSettingsDlg>(parent, language, sink, config);
}

bool runNetworkSettings(QWidget* parent, int language, IMessageSink& sink,
                        ConverterConfig& config) {
    return run<CNetworkSettingsDlg>(parent, language, sink, config);
}

bool runRemoteConfigSettings(QWidget* parent, int language, IMessageSink& sink,
                             ConverterConfig& config) {
    return run<CRemoteConfigDlg>(parent, language, sink, config);
}

std::unique_ptr<QDialog> makeSettingsDialogForShots(int which, int language, IMessageSink& sink,
                                                    const ConverterConfig& config) {
    switch (which) {
    case kSerialSettingsDialog:
        return prepared<CSerialSettingsDlg>(language, sink, config);
    case kAdvancedSettingsDialog:
        return prepared<CAdvancedSettingsDlg>(language, sink, config);
    case kNetworkSettingsDialog:
        return prepared<CNetworkSettingsDlg>(language, sink, config);
    case kRemoteConfigDialog:
        return prepared<CRemoteConfigDlg>(language, sink, config);
    default:
        return nullptr;
    }
}

} // namespace varnadex::ui
