#include "ui/AboutDlg.h"

#include "ui/MainWindowTemplate.h"

#include <QPushButton>

namespace varnadex::ui {

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/128.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/res/128-64.png"), QSize(64, 64));
    return icon;
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), built_(*this, aboutTemplate(), /*english=*/true) {
    setWindowIcon(programIcon());
    connect(built_.get<QPushButton>(mainwin::kQuit), &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace varnadex::ui
