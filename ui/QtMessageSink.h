#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class QMessageBox;

namespace varnadex::ui {

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

} // namespace varnadex::ui
