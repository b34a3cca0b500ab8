// Read Conf, Write Conf and RESET off the UI thread: the window keeps answering, shows how far
// the transfer has come, can stop it, and does not end under it.
#include "config/ConfigFile.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SimLog.h"
#include "support/RecordingSink.h"
#include "tests/ui_main_support.h"
#include "ui/ConfDlg.h"
#include "ui/MainWindowTemplate.h"
#include "ui/QtMessageSink.h"

#include <QAccessible>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace varnadex::ui {
namespace {

using namespace mainwin;
using namespace std::chrono_literals;

// The program's own operations against the simulator on a pty, paced as a 9600 b/s line:
// a whole read takes seconds, as with a real converter.
TEST(MainWindowOperation, KeepsAnsweringDuringASlowReadAndCancelKeepsTheRecord) {
    sim::RegisterMemory memory;
    memory.write(16, 10); // the converter's IP address differs from the window's
    sim::SimLog log;
    sim::SerialConverter converter(memory, log);
    if (!converter.start()) GTEST_SKIP() << "no pseudo-terminal";

    CConfApp app = test::makeApp(1);
    test::RecordingSink shown;
    UiThreadSink fromWorker(shown);
    const auto operations = makeOperations(fromWorker, app.messageCatalogue);
    CConfDlg w(app, 0, *operations, shown);
    w.controls().get<QComboBox>(kComPort)->setEditText(
        QString::fromStdString(converter.slavePath()));
    w.show();
    const std::string before = configToJson(w.config);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    w.controls().get<QPushButton>(kReadConf)->click();
    ASSERT_TRUE(w.operationRunning());
    auto* bar = w.controls().get<QProgressBar>(kProgress);
    // Register n of N, moving while the exchange goes on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 3; }, 15000));
    EXPECT_GE(bar->maximum(), 58);
    EXPECT_TRUE(w.operationRunning());
    // The UI thread runs its timers, paints and serves the accessibility tree meanwhile.
    const int ticksSeen = ticks;
    QTest::qWait(50);
    EXPECT_GT(ticks, ticksSeen);
    EXPECT_FALSE(w.grab().isNull());
    auto* cancel = w.controls().get<QPushButton>(kCancelOperation);
    QAccessibleInterface* cancelInfo = QAccessible::queryAccessibleInterface(cancel);
    ASSERT_NE(cancelInfo, nullptr);
    EXPECT_EQ(cancelInfo->text(QAccessible::Name), "Cancel");
    EXPECT_FALSE(w.controls().control(kWriteConf)->isEnabled());

    // Cancel by keyboard.
    ASSERT_TRUE(cancel->isEnabled());
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.operationRunning(); }, 15000));
    EXPECT_EQ(shown.texts(),
              std::vector<std::string>{app.messageCatalogue.extra(ExtraMsg::ReadInterrupted)});
    EXPECT_EQ(configToJson(w.config), before);
    EXPECT_TRUE(w.controls().control(kWriteConf)->isEnabled());
    EXPECT_FALSE(cancel->isEnabled());
    converter.stop();
}

class BlockedOperations : public test::FakeOperations {
public:
    bool ReadConf(ConverterConfig& c) override {
        while (!release)
            std::this_thread::sleep_for(1ms);
        return FakeOperations::ReadConf(c);
    }
    std::atomic<bool> release{false};
};

TEST(MainWindowOperation, LocksWhatItReadsAndClosingWaitsForTheStop) {
    CConfApp app = test::makeApp(0);
    BlockedOperations ops;
    test::RecordingSink sink;
    CConfDlg w(app, 0, ops, sink);
    // Lets the operation go before the window waits for it, also when an expectation fails.
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = true; }
    } release{ops.release};
    std::vector<QString> questions;
    bool answer = false;
    w.setCloseConfirmation([&](const QString& q) {
        questions.push_back(q);
        return answer;
    });
    w.show();
    std::map<int, bool> initial;
    const int ids[] = {kReadConf,        kWriteConf,        kReset,          kFirmwareUpg,
                       kComPort,         kComPortRadio,     kNetworkRadio,   kSerialSettings,
                       kNetworkSettings, kAdvancedSettings, kRemoteSettings, kQuit,
                       kCancelOperation};
    for (int id : ids)
        initial[id] = w.controls().control(id)->isEnabled();
    EXPECT_FALSE(initial[kCancelOperation]);

    // Started from the keyboard, which comes back to Read Conf at the end.
    auto* read = w.controls().get<QPushButton>(kReadConf);
    read->setFocus();
    QTest::keyClick(read, Qt::Key_Space);
    ASSERT_TRUE(w.operationRunning());
    for (int id : ids)
        EXPECT_EQ(w.controls().control(id)->isEnabled(), id == kQuit || id == kCancelOperation)
            << id;
    EXPECT_FALSE(w.menuCommand(kOpenConfiguration)->isEnabled());

    w.close();
    EXPECT_TRUE(w.isVisible());
    answer = true;
    w.close();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].toStdString(),
              app.messageCatalogue.extra(ExtraMsg::OperationAbortConfirm));
    EXPECT_TRUE(w.isVisible()); // until the operation has stopped
    ops.release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
    EXPECT_EQ(w.result(), QDialog::Rejected);
    for (int id : ids)
        EXPECT_EQ(w.controls().control(id)->isEnabled(), initial[id]) << id;
    EXPECT_EQ(w.focusWidget(), read);
}

} // namespace
} // namespace varnadex::ui
