#pragma once

// For the GUI tests: one QApplication for the whole test program, and a way through modal
// dialogs that can never leave a test hanging.

#include "ui/ConfDlg.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace varnadex::test {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // Never on the user's display, also when run by hand.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr) app_ = new QApplication(argc_, argv_);
        ui::initUiResources();
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "varnadex";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

// Hands the first modal dialog or popup that comes up while it lives to `inspect`, then closes
// it if `inspect` has not. Gives up after five seconds when none comes.
class ModalCloser {
public:
    explicit ModalCloser(std::function<void(QWidget*)> inspect = {})
        : inspect_(std::move(inspect)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool closedOne() const { return closed_; }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) modal = QApplication::activePopupWidget();
        if (!modal && ++tries_ < 500) return;
        timer_.stop();
        if (!modal) return;
        if (inspect_) inspect_(modal);
        closed_ = true;
        if (modal->isVisible()) modal->close();
    }

    std::function<void(QWidget*)> inspect_;
    QTimer timer_;
    int tries_ = 0;
    bool closed_ = false;
};

// Runs `open`, which shows a modal dialog and returns once it has closed, while `act` drives
// that dialog from inside its event loop. A dialog `act` leaves open, or one of another class,
// is closed, and the test fails instead of hanging.
template <class Dialog>
bool driveModal(const std::function<bool()>& open, const std::function<void(Dialog&)>& act) {
    bool acted = false;
    ModalCloser closer([&](QWidget* modal) {
        if (auto* dialog = dynamic_cast<Dialog*>(modal)) {
            acted = true;
            act(*dialog);
        }
    });
    const bool result = open();
    EXPECT_TRUE(acted) << "the expected dialog did not open";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a modal dialog was left open";
    return result;
}

} // namespace varnadex::test
