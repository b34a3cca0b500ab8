#include "ui/DialogBuilder.h"

#include "config/Fields.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace varnadex::ui {

namespace {

// The templates were laid out for an 8-point face whose dialog base units are 6 by 13 pixels;
// this pixel height gives the same units with common sans-serif faces.
constexpr int kReferencePixelSize = 11;
// How far the text may shrink before the layout is widened instead.
constexpr double kSmallestTextScale = 0.75;

QString controlText(const ControlTemplate& c, bool english) {
    const char* text = english || c.hungarian == nullptr ? c.english : c.hungarian;
    return QString::fromUtf8(text == nullptr ? "" : text);
}

DluRect controlRect(const ControlTemplate& c, bool english) {
    return !english && !c.hungarianRect.empty() ? c.hungarianRect : c.rect;
}

// A text as the user reads it: mnemonic markers gone, "&&" kept as one ampersand.
QString visibleText(QString text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

int widestLine(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : visibleText(text).split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// Windows' own definition of the average character width: the mean over the 52 letters,
// rounded.
int averageCharWidth(const QFontMetrics& fm) {
    const int total = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return std::max(1, (total / 26 + 1) / 2);
}

// Width in pixels the control needs to show its whole text in `font`; 0 when it has none.
int neededWidth(const ControlTemplate& c, const QString& text, const QFont& font) {
    if (text.isEmpty()) return 0;
    const QFontMetrics fm(font);
    const QStyle* style = QApplication::style();
    const int textWidth = widestLine(fm, text);
    switch (c.kind) {
    case ControlKind::Label:
        return textWidth;
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        return textWidth + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    case ControlKind::RadioButton:
        return textWidth + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) + 2;
    case ControlKind::CheckBox:
        return textWidth + style->pixelMetric(QStyle::PM_IndicatorWidth) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 2;
    case ControlKind::GroupBox:
        return textWidth + 16;
    default:
        return 0;
    }
}

// A bitmap smaller than its place (the font's units are larger than those it was drawn for)
// is centred and its edge rows and columns are drawn out to the border, so that a banner
// still fills its frame.
QPixmap extendToFill(const QPixmap& picture, QSize size) {
    if (picture.size() == size) return picture;
    QPixmap out(size);
    out.fill(Qt::transparent);
    QPainter p(&out);
    const int w = picture.width(), h = picture.height();
    const int left = (size.width() - w) / 2, top = (size.height() - h) / 2;
    const int right = size.width() - left - w, bottom = size.height() - top - h;
    const int xs[3] = {0, left, left + w}, ws[3] = {left, w, right};
    const int ys[3] = {0, top, top + h}, hs[3] = {top, h, bottom};
    // Source strips: the first column/row, the picture itself, the last column/row.
    const int sx[3] = {0, 0, w - 1}, sw[3] = {1, w, 1};
    const int sy[3] = {0, 0, h - 1}, sh[3] = {1, h, 1};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            if (ws[col] > 0 && hs[row] > 0)
                p.drawPixmap(QRect(xs[col], ys[row], ws[col], hs[row]), picture,
                             QRect(sx[col], sy[row], sw[col], sh[row]));
    return out;
}

QPixmap loadPicture(const QString& name) {
    if (name.startsWith(u':')) return QPixmap(name);
    return QPixmap(QStringLiteral(":/res/%1.png").arg(name));
}

// A radio group's frame is invisible: it exists so that assistive technology meets the
// group's label as the name of a group that holds the buttons, each button keeping its own.
constexpr const char* kRadioGroupProperty = "varnadexRadioGroup";

QAccessibleInterface* radioGroupAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("QWidget") || !object ||
        !object->property(kRadioGroupProperty).toBool())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
}

// Moves the buttons of a group into an invisible frame that takes the group's label.
QWidget* frameRadioGroup(QDialog& dialog, const QList<QAbstractButton*>& buttons) {
    static const bool installed = (QAccessible::installFactory(radioGroupAccessible), true);
    (void)installed;
    QRect bounds;
    for (QAbstractButton* b : buttons)
        bounds |= b->geometry();
    auto* frame = new QWidget(&dialog);
    frame->setProperty(kRadioGroupProperty, true);
    frame->setGeometry(bounds);
    for (QAbstractButton* b : buttons) {
        const QPoint at = b->pos() - bounds.topLeft();
        b->setParent(frame);
        b->move(at);
        b->setVisible(true);
    }
    // The label's mnemonic goes to the group's first button.
    frame->setFocusProxy(buttons.value(0));
    return frame;
}

} // namespace

BuiltDialog::BuiltDialog(QDialog& dialog, const DialogTemplate& tmpl, bool english) {
    const QFont textFont = fitTextFont(tmpl, english);
    dialog.setFont(textFont);
    dialog.setWindowTitle(QString::fromUtf8(english || !tmpl.hungarianTitle ? tmpl.englishTitle
                                                                            : tmpl.hungarianTitle));
    const DluRect size = !english && !tmpl.hungarianSize.empty() ? tmpl.hungarianSize : tmpl.size;
    dialog.setFixedSize(dluX(size.w), dluY(size.h));

    const QFontMetrics textMetrics(textFont);
    std::vector<QWidget*> focusOrder;
    int unnamed = 0;
    for (const ControlTemplate& c : tmpl.controls) {
        const DluRect r = controlRect(c, english);
        QRect geometry(dluX(r.x), dluY(r.y), dluX(r.w), dluY(r.h));
        QWidget* w = makeControl(dialog, c, controlText(c, english), r, geometry, textMetrics);
        w->setGeometry(geometry);
        if (c.flags & StartsDisabled) w->setEnabled(false);
        if (c.id >= 0) {
            w->setObjectName(QStringLiteral("id%1").arg(c.id));
            controls_[c.id] = w;
        } else {
            w->setObjectName(QStringLiteral("static%1").arg(unnamed++));
        }
        if (c.field) bound_.push_back(c);
        if (w->focusPolicy() & Qt::TabFocus) focusOrder.push_back(w);
    }
    std::stable_sort(bound_.begin(), bound_.end(),
                     [](const auto& a, const auto& b) { return a.exchange < b.exchange; });
    nameByLabels(dialog);
    // Last, as moving a button into its group's frame resets its place in the chain.
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        QWidget::setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

// Layout units come from the reference face; the text face shrinks, uniformly for the whole
// dialog, only as far as needed for every text to fit its rectangle. If even the smallest face
// does not fit, the units widen instead, so that nothing is ever clipped.
QFont BuiltDialog::fitTextFont(const DialogTemplate& tmpl, bool english) {
    QFont reference = QApplication::font();
    reference.setPixelSize(kReferencePixelSize);
    const QFontMetrics refMetrics(reference);
    baseX_ = averageCharWidth(refMetrics);
    baseY_ = refMetrics.height();

    auto overflow = [&](const QFont& font) {
        double worst = 1.0; // needed / available, over every text
        for (const ControlTemplate& c : tmpl.controls) {
            const int need = neededWidth(c, controlText(c, english), font);
            const int have = dluX(controlRect(c, english).w);
            if (need > 0 && have > 0) worst = std::max(worst, double(need) / have);
        }
        return worst;
    };
    QFont textFont = reference;
    const double startPoints = QFontInfo(reference).pointSizeF();
    double scale = 1.0;
    while (overflow(textFont) > 1.0 && scale > kSmallestTextScale) {
        scale -= 0.03125;
        textFont.setPointSizeF(startPoints * scale);
    }
    for (const int limit = baseX_ * 4; overflow(textFont) > 1.0 && baseX_ < limit;)
        ++baseX_;
    return textFont;
}

QWidget* BuiltDialog::makeControl(QDialog& dialog, const ControlTemplate& c, const QString& text,
                                  const DluRect& r, QRect& geometry,
                                  const QFontMetrics& textMetrics) {
    // A field's own limit caps typing in the control that shows it.
    const Field* field = c.field ? findField(c.field) : nullptr;
    const int textLimit = field && field->textLimit > 0 ? int(field->textLimit) : c.textLimit;
    switch (c.kind) {
    case ControlKind::GroupBox: {
        // A frame only: the controls inside it stay children of the dialog, as the template's
        // flat list has them.
        auto* box = new QGroupBox(text, &dialog);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text, &dialog);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((c.flags & Centered ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        if (text.contains(u'\n')) label->setWordWrap(true);
        // A label may need a pixel or two more height in this face than in the original; it
        // has no background, so growing downwards hides nothing.
        const int lines = int(text.count(u'\n')) + 1;
        geometry.setHeight(std::max(geometry.height(), lines * textMetrics.lineSpacing()));
        if (c.buddy != 0) buddyLabels_.emplace_back(c.buddy, label);
        return label;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(&dialog);
        QPixmap pixmap = loadPicture(text);
        if (geometry.width() <= 0 || geometry.height() <= 0) {
            geometry.setSize(pixmap.size());
        } else if (pixmap.width() > geometry.width() || pixmap.height() > geometry.height()) {
            pixmap = pixmap.scaled(geometry.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        } else if (!pixmap.isNull()) {
            pixmap = extendToFill(pixmap, geometry.size());
        }
        picture->setPixmap(pixmap);
        picture->setAlignment(Qt::AlignCenter);
        return picture;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(&dialog);
        if (textLimit > 0) edit->setMaxLength(textLimit);
        if (c.flags & DigitsOnly)
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        if (c.flags & ReadOnly) edit->setReadOnly(true);
        return edit;
    }
    case ControlKind::ComboEditable:
    case ControlKind::ComboList: {
        auto* combo = new QComboBox(&dialog);
        if (c.kind == ControlKind::ComboEditable) {
            combo->setEditable(true);
            // Typed text is a value, not a new list entry, and it stays as typed: completing
            // "96" to "9600" would store a speed the user never asked for.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setCompleter(nullptr);
            if (textLimit > 0) combo->lineEdit()->setMaxLength(textLimit);
        }
        // The template's height includes the dropped list; the closed box is one line.
        geometry.setHeight(dluY(std::min(r.h, 14)));
        return combo;
    }
    case ControlKind::RadioButton:
        return makeRadioButton(dialog, c, text);
    case ControlKind::CheckBox:
        return new QCheckBox(text, &dialog);
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, &dialog);
        if (c.kind == ControlKind::DefaultButton) {
            button->setAutoDefault(true);
            button->setDefault(true);
        }
        return button;
    }
    case ControlKind::List: {
        auto* list = new QTreeWidget(&dialog);
        list->setHeaderLabels(text.split(u'\t'));
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setAllColumnsShowFocus(true);
        return list;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(&dialog);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return new QWidget(&dialog);
}

QWidget* BuiltDialog::makeRadioButton(QDialog& dialog, const ControlTemplate& c,
                                      const QString& text) {
    auto* radio = new QRadioButton(text, &dialog);
    if ((c.flags & FirstInGroup) || currentGroup_ == nullptr) {
        currentGroup_ = new QButtonGroup(&dialog);
        currentGroup_->setExclusive(true);
        indexInGroup_ = 0;
        groups_[c.id] = currentGroup_;
    }
    currentGroup_->addButton(radio, indexInGroup_++);
    return radio;
}

// Labels name their controls for the keyboard and for screen readers. A radio button's name is
// its own text; its group's label names the group.
void BuiltDialog::nameByLabels(QDialog& dialog) {
    for (const auto& [buddy, label] : buddyLabels_) {
        QWidget* target = control(buddy);
        if (!target) continue;
        if (QButtonGroup* group = radioGroup(buddy))
            target = frameRadioGroup(dialog, group->buttons());
        label->setBuddy(target);
        target->setAccessibleName(visibleText(label->text()).replace(u'\n', u' '));
    }
    for (const auto& [firstId, group] : groups_)
        for (QAbstractButton* b : group->buttons())
            b->setAccessibleName(visibleText(b->text()));
}

QWidget* BuiltDialog::field(std::string_view name) const {
    return control(fieldId(name));
}

int BuiltDialog::fieldId(std::string_view name) const {
    for (const ControlTemplate& c : bound_)
        if (name == c.field) return c.id;
    return -1;
}

QWidget* BuiltDialog::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QButtonGroup* BuiltDialog::radioGroup(int firstId) const {
    const auto it = groups_.find(firstId);
    return it == groups_.end() ? nullptr : it->second;
}

int BuiltDialog::dluX(int units) const {
    return int(std::lround(units * baseX_ / 4.0));
}

int BuiltDialog::dluY(int units) const {
    return int(std::lround(units * baseY_ / 8.0));
}

} // namespace varnadex::ui
