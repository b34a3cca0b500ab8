#pragma once

#include "ui/DialogTemplate.h"

#include <QButtonGroup>
#include <QDialog>
#include <QWidget>

#include <map>

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

    int dluX(int units) const;
    int dluY(int units) const;

private:
    std::map<int, QWidget*> controls_;
    std::map<int, QButtonGroup*> groups_;
    int baseX_ = 0;
    int baseY_ = 0;
};

} // namespace varnadex::ui
