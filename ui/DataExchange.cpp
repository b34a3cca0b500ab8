#include "ui/DataExchange.h"

#include "config/DialogRules.h"
#include "ui/SettingsTemplates.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>

#include <algorithm>

namespace varnadex::ui {

QString shownText(const std::string& value) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(value.data(), qsizetype(value.size())));
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(value.data(), qsizetype(value.size()));
}

std::string takenText(const QString& text, const std::string& previous) {
    if (text == shownText(previous)) return previous;
    return text.toStdString();
}

void showLimitedText(QLineEdit* edit, const QString& text, int limit) {
    static constexpr const char* kHooked = "varnadexTypingLimit";
    edit->setMaxLength(std::max<int>(limit, int(text.size())));
    edit->setText(text);
    if (edit->property(kHooked).toBool()) return;
    edit->setProperty(kHooked, true);
    // The cap follows a longer text down as the user shortens it, never up again.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, limit](const QString& now) {
        const int wanted = std::max<int>(limit, int(now.size()));
        if (edit->maxLength() == wanted) return;
        const int cursor = edit->cursorPosition();
        edit->setMaxLength(wanted);
        edit->setCursorPosition(cursor);
    });
}

void DataExchange::fail(QLineEdit* edit, const std::string& message) {
    failed_ = true;
    sink_.show(MessageKind::Warning, message);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void DataExchange::checkBox(QAbstractButton* box, int& flag) {
    if (failed_) return;
    if (saving())
        flag = box->isChecked() ? 1 : 0;
    else
        box->setChecked(flag != 0);
}

void DataExchange::radio(QButtonGroup* group, int& value) {
    if (failed_) return;
    if (saving()) {
        // No button checked means the user never chose; the stored value stays.
        if (const int id = group->checkedId(); id >= 0) value = id;
        return;
    }
    if (QAbstractButton* button = group->button(value)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group will not uncheck its last button.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

void DataExchange::text(QLineEdit* edit, std::string& value, std::size_t limit) {
    if (failed_) return;
    if (!saving()) {
        if (limit > 0)
            showLimitedText(edit, shownText(value), int(limit));
        else
            edit->setText(shownText(value));
        return;
    }
    const QString now = edit->text();
    if (limit > 0 && mode_ == Mode::Save) {
        if (const auto message = checkTextLimit(now.toStdString(), limit)) {
            fail(edit, *message);
            return;
        }
    }
    value = takenText(now, value);
}

void DataExchange::byteField(QLineEdit* edit, std::uint8_t& value, std::uint8_t low,
                             std::uint8_t high) {
    if (failed_) return;
    if (!saving()) {
        edit->setText(QString::number(value));
        return;
    }
    const ByteCheck result = checkByteField(edit->text().toStdString(), low, high);
    if (result.value) {
        value = *result.value;
    } else if (mode_ == Mode::Save) {
        fail(edit, result.message);
    }
}

void DataExchange::comboList(QComboBox* box, std::string& value) {
    if (failed_) return;
    if (saving()) {
        if (box->currentIndex() >= 0) value = box->currentText().toStdString();
        return;
    }
    const QString text = shownText(value);
    int found = -1;
    for (int i = 0; i < box->count() && found < 0; ++i)
        if (box->itemText(i).startsWith(text, Qt::CaseInsensitive)) found = i;
    box->setCurrentIndex(found);
}

void DataExchange::comboEditable(QComboBox* box, std::string& value) {
    if (failed_) return;
    if (saving()) {
        value = takenText(box->currentText(), value);
        return;
    }
    // Only a whole entry is selected: selecting the first entry that merely begins with the
    // text would turn a stored "96" into "9600" at the next OK.
    const QString text = shownText(value);
    box->setCurrentIndex(box->findText(text, Qt::MatchFixedString));
    box->setEditText(text);
}

void DataExchange::field(const Field& f, const ControlTemplate& c, const BuiltDialog& built,
                         ConverterConfig& record) {
    QWidget* control = built.control(c.id);
    std::string* text = textOf(f, record);
    const auto* number = std::get_if<int ConverterConfig::*>(&f.member);
    const auto* byte = std::get_if<std::uint8_t ConverterConfig::*>(&f.member);
    switch (c.kind) {
    case ControlKind::CheckBox:
        if (number) checkBox(qobject_cast<QAbstractButton*>(control), record.**number);
        break;
    case ControlKind::RadioButton:
        if (number) radio(built.radioGroup(c.id), record.**number);
        break;
    case ControlKind::ComboList:
        if (text) comboList(qobject_cast<QComboBox*>(control), *text);
        break;
    case ControlKind::ComboEditable:
        if (text) comboEditable(qobject_cast<QComboBox*>(control), *text);
        break;
    case ControlKind::Edit:
        if (text)
            this->text(qobject_cast<QLineEdit*>(control), *text, f.textLimit);
        else if (byte)
            byteField(qobject_cast<QLineEdit*>(control), record.**byte,
                      static_cast<std::uint8_t>(f.dialogLow),
                      static_cast<std::uint8_t>(f.dialogHigh));
        break;
    default:
        break;
    }
}

CSettingsDialog::CSettingsDialog(const DialogTemplate& tmpl, int language, IMessageSink& sink,
                                 QWidget* parent)
    : QDialog(parent), language_(language), sink_(sink),
      built_(std::make_unique<BuiltDialog>(*this, tmpl, language == 1)) {
    if (auto* ok = built_->get<QPushButton>(kIdOk))
        connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    if (auto* cancel = built_->get<QPushButton>(kIdCancel))
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

CSettingsDialog::~CSettingsDialog() = default;

void CSettingsDialog::exchangeFields(DataExchange& dx) {
    for (const ControlTemplate& c : built_->bound())
        if (const Field* f = findField(c.field)) dx.field(*f, c, *built_, record);
}

bool CSettingsDialog::DoDataExchange(bool save) {
    DataExchange dx(save ? DataExchange::Mode::Save : DataExchange::Mode::Show, sink_);
    exchangeFields(dx);
    return !dx.failed();
}

void CSettingsDialog::OnInitDialog() {
    initialised_ = true;
    DoDataExchange(false);
    updateEnabledStates();
}

void CSettingsDialog::accept() {
    if (DoDataExchange(true)) QDialog::accept();
}

void CSettingsDialog::showEvent(QShowEvent* event) {
    if (!initialised_) OnInitDialog();
    QDialog::showEvent(event);
}

void CSettingsDialog::enableControl(int id, bool enabled) {
    if (QWidget* w = built_->control(id)) w->setEnabled(enabled);
}

} // namespace varnadex::ui
