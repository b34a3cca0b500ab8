#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class QMessageBox;

namespace varnadex::ui {

// The width a message box keeps for its caption, so that no title bar has to cut it.
int captionWidth(const QString& caption);

// Message boxes owned by the main window. Error boxes carry the catalogue's caption and an
// exclamation icon; the others the application's name.
class QtMessageSink : public IMessageSink {
public:
    QtMessageSink(const MessageCatalogue& catalogue, std::string applicationName,
                  QWidget* owner = nullptr);

    // The window that owns the boxes; start-up runs before any window exists.
    void setOwner(QWidget* owner) { owner_ = owner; }

    void show(MessageKind kind, const std::string& text) override;

    // The box show() would run, not yet shown.
    std::unique_ptr<QMessageBox> makeBox(MessageKind kind, const std::string& text) const;

private:
    const MessageCatalogue& catalogue_;
    std::string applicationName_;
    QPointer<QWidget> owner_;
};

// The sink an operation running off the UI thread reports through: each message is shown by
// `target` on the UI thread while the operation waits for the user's OK, so the boxes come in
// the operation's order and its next step follows only once the box is closed. Called on the
// UI thread itself it shows the message at once.
class UiThreadSink : public IMessageSink {
public:
    // Made on the UI thread.
    explicit UiThreadSink(IMessageSink& target) : target_(target) {}
    void show(MessageKind kind, const std::string& text) override;

private:
    IMessageSink& target_;
    QObject uiThread_; // lives on the thread that made the sink
};

} // namespace varnadex::ui
