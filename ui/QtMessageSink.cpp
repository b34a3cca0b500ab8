#include "ui/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

namespace varnadex::ui {

QtMessageSink::QtMessageSink(const MessageCatalogue& catalogue, std::string applicationName,
                             QWidget* owner)
    : catalogue_(catalogue), applicationName_(std::move(applicationName)), owner_(owner) {}

std::unique_ptr<QMessageBox> QtMessageSink::makeBox(MessageKind kind,
                                                    const std::string& text) const {
    const bool error = kind == MessageKind::Error;
    const std::string& caption = error ? catalogue_.text(Msg::ErrorCaption) : applicationName_;
    const QMessageBox::Icon icon =
        kind == MessageKind::Plain ? QMessageBox::NoIcon : QMessageBox::Warning;
    auto box =
        std::make_unique<QMessageBox>(icon, QString::fromStdString(caption),
                                      QString::fromStdString(text), QMessageBox::Ok, owner_.data());
    box->setTextFormat(Qt::PlainText);
    return box;
}

void QtMessageSink::show(MessageKind kind, const std::string& text) {
    // Operations run under a wait cursor; the box itself wants the ordinary one.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    makeBox(kind, text)->exec();
    if (waiting) QApplication::restoreOverrideCursor();
}

} // namespace varnadex::ui
