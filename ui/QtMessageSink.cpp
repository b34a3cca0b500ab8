#include "ui/QtMessageSink.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>
#include <QThread>

namespace varnadex::ui {

int captionWidth(const QString& caption) {
    // Title bars use a bold face, often larger than the text's; and the bar keeps the icon
    // and three buttons of about a line's height each, plus its margins.
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    const QFontMetrics fm(font);
    return fm.horizontalAdvance(caption) + 4 * (fm.height() + 12) + 24;
}

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
    // A box is as wide as its text, and a window manager cuts a longer caption to fit ("v…"
    // over "Done"): keep room for the whole caption beside the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(captionWidth(box->windowTitle()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
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

namespace varnadex::ui {

void UiThreadSink::show(MessageKind kind, const std::string& text) {
    if (QThread::currentThread() == uiThread_.thread()) {
        target_.show(kind, text);
        return;
    }
    QMetaObject::invokeMethod(
        &uiThread_, [&] { target_.show(kind, text); }, Qt::BlockingQueuedConnection);
}

} // namespace varnadex::ui
