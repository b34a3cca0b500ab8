#pragma once

#include "ui/DialogTemplate.h"

#include <QButtonGroup>
#include <QDialog>
#include <QWidget>

class QFontMetrics;
class QLabel;

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace varnadex::ui {

// Turns a dialog template into widgets inside `dialog`, for one language. Positions are
// converted from dialog units with the dialog font's metrics (horizontal: average character
// width / 4, vertical: character height / 8). Every label with a buddy is tied to its control
// (QLabel::setBuddy), and the tab order follows the template's order.
class BuiltDialog {
public:
    BuiltDialog(QDialog& dialog, const DialogTemplate& tmpl, bool english);

    // The control with this id, or nullptr.
    QWidget* control(int id) const;
    template <class T> T* get(int id) const { return qobject_cast<T*>(control(id)); }
    // The exclusive group of radio buttons that starts with the button `firstId`.
    QButtonGroup* radioGroup(int firstId) const;
    // The control that shows the record's field `name` (a radio group's first button), or
    // nullptr; and its id, or -1.
    QWidget* field(std::string_view name) const;
    template <class T> T* field(std::string_view name) const {
        return qobject_cast<T*>(field(name));
    }
    int fieldId(std::string_view name) const;
    // The controls that show fields, in the dialog's exchange order.
    const std::vector<ControlTemplate>& bound() const { return bound_; }

    int dluX(int units) const;
    int dluY(int units) const;

private:
    QFont fitTextFont(const DialogTemplate& tmpl, bool english);
    QWidget* makeControl(QDialog& dialog, const ControlTemplate& c, const QString& text,
                         const DluRect& r, QRect& geometry, const QFontMetrics& textMetrics);
    QWidget* makeRadioButton(QDialog& dialog, const ControlTemplate& c, const QString& text);
    void nameByLabels(QDialog& dialog);

    std::map<int, QWidget*> controls_;
    std::map<int, QButtonGroup*> groups_;
    std::vector<ControlTemplate> bound_;
    std::vector<std::pair<int, QLabel*>> buddyLabels_; // (the named control, its label)
    QButtonGroup* currentGroup_ = nullptr;
    int indexInGroup_ = 0;
    int baseX_ = 0;
    int baseY_ = 0;
};

} // namespace varnadex::ui
