#pragma once

#include "app/MessageSink.h"
#include "config/ConverterConfig.h"
#include "config/Fields.h"
#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace varnadex::ui {

// Record texts as the controls show them, and back. The record holds UTF-8; a text that is not
// (bytes taken from a converter as they came) is shown byte for byte, and comes back as the
// same bytes as long as the user leaves it as shown.
QString shownText(const std::string& value);
std::string takenText(const QString& text, const std::string& previous);

// Shows `text` in an edit that takes at most `limit` typed characters, without cutting a
// longer stored text: such a text is shown whole and can only shrink, until it is within the
// limit (the check on OK then refuses it with its message instead of losing the tail).
void showLimitedText(QLineEdit* edit, const QString& text, int limit);

// One pass of the data exchange between a dialog's members and its controls. In the save
// direction the controls are read in call order and checked as they are read; the first
// failing check shows its message, focuses the offending edit with its text selected, and
// turns every later call into a no-op. A silent exchange takes the values without checks.
class DataExchange {
public:
    enum class Mode { Show, Save, SaveSilently };

    DataExchange(Mode mode, IMessageSink& sink) : mode_(mode), sink_(sink) {}

    bool failed() const { return failed_; }

    // A flag as the check box state; 1 for checked, 0 for not.
    void checkBox(QAbstractButton* box, int& flag);
    // A radio value as the checked button of the group (ids 0, 1, 2...). A value with no
    // button shows none checked; a group with none checked keeps the value.
    void radio(QButtonGroup* group, int& value);
    // A text; limit > 0 adds the length check and caps typing.
    void text(QLineEdit* edit, std::string& value, std::size_t limit = 0);
    // A byte as decimal text, parsed and then checked against [low, high].
    void byteField(QLineEdit* edit, std::uint8_t& value, std::uint8_t low, std::uint8_t high);
    // Drop-down list: the first entry that begins with the text, ignoring case; no entry
    // keeps the value.
    void comboList(QComboBox* box, std::string& value);
    // Drop-down with typing: the text as it stands, the matching entry selected when there
    // is one.
    void comboEditable(QComboBox* box, std::string& value);
    // The record's field `field` in the control `c` of `built` shows it in: each kind of
    // control as above, a number in an edit as a byte in the settings dialog's range, a text
    // within the field's limit.
    void field(const Field& field, const ControlTemplate& c, const BuiltDialog& built,
               ConverterConfig& record);

private:
    bool saving() const { return mode_ != Mode::Show; }
    void fail(QLineEdit* edit, const std::string& message);

    Mode mode_;
    IMessageSink& sink_;
    bool failed_ = false;
};

// What the four settings dialogs share: the template in the chosen language, the sink for
// the validation messages, OK running the checked exchange and Cancel, Escape and the close
// box ending without one. The controls the template binds to fields are exchanged with
// `record`, in the template's exchange order.
class CSettingsDialog : public QDialog {
public:
    CSettingsDialog(const DialogTemplate& tmpl, int language, IMessageSink& sink, QWidget* parent);
    ~CSettingsDialog() override;

    // A copy of the main window's record: the dialog edits the fields its template binds,
    // and reads some others as its inputs (the protocol for TCP/IP-only options).
    ConverterConfig record;

    int language() const { return language_; }
    bool english() const { return language_ == 1; }
    const BuiltDialog& built() const { return *built_; }

    // Moves the members into the controls (save false) or the controls into the members,
    // checked (save true), in the dialog's exchange order. False when a check failed.
    bool DoDataExchange(bool save);

    // Shows the members in the controls, then sets the enabled states. Runs by itself when
    // the dialog is first shown; call it directly to prepare a dialog that is never shown.
    void OnInitDialog();

    // OK: closes only when every check passes.
    void accept() override;

protected:
    void exchangeFields(DataExchange& dx);
    virtual void updateEnabledStates() = 0;
    void showEvent(QShowEvent* event) override;

    IMessageSink& sink() { return sink_; }
    void enableControl(int id, bool enabled);

private:
    int language_;
    IMessageSink& sink_;
    std::unique_ptr<BuiltDialog> built_;
    bool initialised_ = false;
};

} // namespace varnadex::ui
