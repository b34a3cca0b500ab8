#pragma once

#include "ui/DialogBuilder.h"

#include <QDialog>
#include <QIcon>

namespace varnadex::ui {

// Icon 128, at the sizes drawn for it.
QIcon programIcon();

// Template 100: the program's icon, name and version. English in both layouts.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    const BuiltDialog& controls() const { return built_; }

private:
    BuiltDialog built_;
};

} // namespace varnadex::ui
