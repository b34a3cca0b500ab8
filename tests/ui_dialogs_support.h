#pragma once

// Shared by the settings dialogs' GUI tests: one QApplication for the whole test program, and
// a way to drive a modal dialog that can never leave a test hanging.

#include "ui/DataExchange.h"
#include "ui/SettingsTemplates.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// The ids of the controls that show fields, as the templates give them (the dialogs find
// them by the field's name).
namespace varnadex::ui {
namespace serial_ids {
inline constexpr int baudRate = 1012;
inline constexpr int rtsCtsFlowControl = 1016;
inline constexpr int dataFormat = 1013;
} // namespace serial_ids
namespace advanced_ids {
inline constexpr int networkTimeout = 1033;
inline constexpr int keepAliveTimer = 1034;
inline constexpr int patternChar = 1055;
inline constexpr int patternCharEnabled = 1056;
} // namespace advanced_ids
namespace network_ids {
inline constexpr int macAddress = 1018;
inline constexpr int ipAddress = 1003;
inline constexpr int localPort = 1009;
inline constexpr int subnetMask = 1004;
inline constexpr int gatewayAddress = 1005;
inline constexpr int remoteAddress = 1006;
inline constexpr int remotePort = 1008;
inline constexpr int remoteSubnetMask = 1007;
} // namespace network_ids
} // namespace varnadex::ui

namespace varnadex::test {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "dialogs_test";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

// Runs `open`, which shows a modal dialog and returns once it has closed, while `act` drives
// that dialog from inside its event loop. `act` must close the dialog; if it does not, or the
// dialog is not of the expected class, a guard rejects whatever modal dialog is still open,
// so the test fails instead of hanging.
template <class Dialog>
bool driveModal(const std::function<bool()>& open, const std::function<void(Dialog&)>& act) {
    bool acted = false;
    QTimer actor;
    actor.setSingleShot(true);
    QObject::connect(&actor, &QTimer::timeout, [&] {
        if (auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget())) {
            acted = true;
            act(*dialog);
        }
    });
    QTimer guard;
    guard.setInterval(10000);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    actor.start(0);
    guard.start();
    const bool result = open();
    EXPECT_TRUE(acted) << "the expected dialog did not open";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a modal dialog was left open";
    return result;
}

} // namespace varnadex::test
