#include "support/RecordingSink.h"
#include "support/ScratchDir.h"
#include "tests/ui_main_support.h"
#include "ui/AboutDlg.h"
#include "ui/ConfDlg.h"
#include "ui/MainWindowTemplate.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace varnadex::ui {
namespace {

using namespace mainwin;
using test::FakeOperations;
using test::RecordingSink;

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<CConfDlg> open(int language, int enableMac = 0) {
        app = test::makeApp(language);
        auto w = std::make_unique<CConfDlg>(app, enableMac, ops, sink);
        w->setCloseConfirmation([this](const QString& q) {
            questions.push_back(q.toStdString());
            return confirmAnswer;
        });
        return w;
    }
    static QString text(const CConfDlg& w, int id) {
        if (auto* e = w.controls().get<QLineEdit>(id)) return e->text();
        if (auto* c = w.controls().get<QComboBox>(id)) return c->currentText();
        return w.controls().get<QAbstractButton>(id)->text();
    }
    // Read Conf, Write Conf and RESET run on a worker thread.
    static void finish(const CConfDlg& w) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.operationRunning(); }, 5000));
    }
    static std::map<int, bool> enabledStates(const CConfDlg& w) {
        std::map<int, bool> out;
        for (int id : {kQuit, kComPort, kComPortRadio, kNetworkRadio, kReadConf, kWriteConf,
                       kFirmwareUpg, kReset, kProgress, kSerialSettings, kNetworkSettings,
                       kAdvancedSettings, kRemoteSettings, kFirmwareVersion, kCommunity, kHost})
            out[id] = w.controls().control(id)->isEnabled();
        return out;
    }

    CConfApp app;
    FakeOperations ops;
    RecordingSink sink;
    bool confirmAnswer = false;
    std::vector<std::string> questions;
};

TEST_F(MainWindowTest, LanguagePicksTheLayoutAndFirstValues) {
    struct Row {
        int language;
        const char* quit;
        const char* version;
        int firmwareButtonWidthUnits;
    };
    // 7 stands for every value that is neither 0 nor 1.
    for (const Row& r : {Row{1, "Quit", "Unknown", 50}, Row{0, "Kilépés", "Ismeretlen", 58},
                         Row{7, "Kilépés", "Ismeretlen", 58}}) {
        SCOPED_TRACE(r.language);
        auto w = open(r.language);
        EXPECT_EQ(w->windowTitle(), "Varnadex v2.2");
        EXPECT_EQ(text(*w, kQuit), QString::fromUtf8(r.quit));
        EXPECT_EQ(w->controls().control(kFirmwareUpg)->width(),
                  w->controls().dluX(r.firmwareButtonWidthUnits));
        EXPECT_EQ(text(*w, kFirmwareVersion), QString::fromUtf8(r.version));
        EXPECT_EQ(text(*w, kComPort), "COM1");
        EXPECT_EQ(text(*w, kHost), "192.168.255.1");
        EXPECT_EQ(text(*w, kCommunity), "kelvin");
        EXPECT_TRUE(w->controls().get<QRadioButton>(kComPortRadio)->isChecked());
        EXPECT_FALSE(w->controls().get<QRadioButton>(kNetworkRadio)->isChecked());
        EXPECT_EQ(w->config.firmwareVersion, r.version);
    }
}

TEST_F(MainWindowTest, AccessRadioButtonsFollowTheEnableTable) {
    auto w = open(1);
    const auto initial = enabledStates(*w);
    EXPECT_TRUE(initial.at(kComPort));
    EXPECT_TRUE(initial.at(kFirmwareUpg));
    EXPECT_FALSE(initial.at(kHost));
    EXPECT_FALSE(initial.at(kCommunity));
    EXPECT_FALSE(initial.at(kFirmwareVersion));

    w->controls().get<QRadioButton>(kNetworkRadio)->click();
    auto network = enabledStates(*w);
    EXPECT_TRUE(network.at(kHost));
    EXPECT_TRUE(network.at(kCommunity));
    EXPECT_FALSE(network.at(kComPort));
    EXPECT_FALSE(network.at(kFirmwareUpg));
    EXPECT_FALSE(network.at(kFirmwareVersion));
    for (int id : {kReadConf, kWriteConf, kReset, kSerialSettings, kNetworkSettings,
                   kAdvancedSettings, kRemoteSettings, kQuit})
        EXPECT_TRUE(network.at(id)) << id;

    w->controls().get<QRadioButton>(kComPortRadio)->click();
    EXPECT_EQ(enabledStates(*w), initial);
}

TEST_F(MainWindowTest, AccessModeFollowsOnlyAtTheNextExchange) {
    auto w = open(0);
    w->controls().get<QRadioButton>(kNetworkRadio)->click();
    EXPECT_EQ(w->config.accessMode, 0);

    // Quit takes the controls into the record.
    w->controls().get<QPushButton>(kQuit)->click();
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_EQ(w->config.accessMode, 1);
}

TEST_F(MainWindowTest, ShowingTheRecordDoesNotChangeWhatIsEnabled) {
    auto w = open(1);
    const auto initial = enabledStates(*w);
    w->config.accessMode = 1;
    w->DoDataExchange(false);
    EXPECT_TRUE(w->controls().get<QRadioButton>(kNetworkRadio)->isChecked());
    EXPECT_EQ(enabledStates(*w), initial);

    // A mode without a button of its own shows none checked and reads back as -1.
    w->config.accessMode = 5;
    w->DoDataExchange(false);
    EXPECT_FALSE(w->controls().get<QRadioButton>(kNetworkRadio)->isChecked());
    EXPECT_FALSE(w->controls().get<QRadioButton>(kComPortRadio)->isChecked());
    w->DoDataExchange(true);
    EXPECT_EQ(w->config.accessMode, -1);
}

TEST_F(MainWindowTest, EnterInAnEditOrTheDropDownQuits) {
    for (int id : {kComPort, kHost, kCommunity}) {
        SCOPED_TRACE(id);
        auto w = open(1);
        w->controls().get<QRadioButton>(kNetworkRadio)->click(); // host and community usable
        if (id == kComPort) w->controls().get<QRadioButton>(kComPortRadio)->click();
        w->show();
        QWidget* target = w->controls().control(id);
        if (auto* combo = qobject_cast<QComboBox*>(target)) target = combo->lineEdit();
        target->setFocus();
        QTest::keyClicks(target, "x");
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Accepted);
        // The typed character reached the record: Quit saved first.
        const std::string typed = id == kComPort ? w->config.comPort
                                  : id == kHost  ? w->config.agentHost
                                                 : w->config.accessCommunity;
        EXPECT_EQ(typed.back(), 'x');
        // Enter must not have added the typed port to the list.
        EXPECT_EQ(w->controls().get<QComboBox>(kComPort)->findText("COM1x"), -1);
    }
}

TEST_F(MainWindowTest, EscapeEndsWithoutTakingTheControls) {
    auto w = open(1);
    w->show();
    w->controls().get<QComboBox>(kComPort)->setEditText("COM7");
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
    EXPECT_EQ(w->config.comPort, "COM1");
}

TEST_F(MainWindowTest, PortNamesAreTakenAndShownAsTyped) {
    auto w = open(1);
    auto* combo = w->controls().get<QComboBox>(kComPort);
    ASSERT_GE(combo->count(), 16);
    EXPECT_EQ(combo->itemText(0), "COM1");
    EXPECT_EQ(combo->itemText(15), "COM16");

    combo->setEditText("/dev/ttyNotListed");
    w->OnReadConf();
    finish(*w);
    ASSERT_EQ(ops.names(), std::vector<std::string>{"ReadConf"});
    EXPECT_EQ(ops.calls[0].config.comPort, "/dev/ttyNotListed");
    EXPECT_EQ(combo->currentText(), "/dev/ttyNotListed"); // shown again as it was

    struct Row {
        const char* record;
        const char* shown;
    };
    // Shown as typed: an entry that merely begins with the text (COM1 for "COM" or "") would
    // be what the next operation opens.
    for (const Row& r : {Row{"com12", "com12"}, Row{"COM1", "COM1"}, Row{"COM9", "COM9"},
                         Row{"ttyX", "ttyX"}, Row{"COM", "COM"}, Row{"", ""}}) {
        w->config.comPort = r.record;
        w->DoDataExchange(false);
        EXPECT_EQ(combo->currentText(), r.shown) << r.record;
        w->DoDataExchange(true);
        EXPECT_EQ(w->config.comPort, r.record);
    }
}

TEST_F(MainWindowTest, OperationsGetTheControlsAndTheirResultIsShown) {
    auto w = open(1);
    w->controls().get<QRadioButton>(kNetworkRadio)->click();
    w->controls().get<QLineEdit>(kHost)->setText("10.0.0.9");
    w->controls().get<QLineEdit>(kCommunity)->setText("secret");
    ops.onRead = [](ConverterConfig& c) { c.firmwareVersion = "2.04"; };
    ops.onWrite = [](ConverterConfig& c) { c.firmwareVersion = "2.05"; };

    w->controls().get<QPushButton>(kReadConf)->click();
    finish(*w);
    ASSERT_EQ(ops.calls.size(), 1u);
    EXPECT_EQ(ops.calls[0].config.accessMode, 1);
    EXPECT_EQ(ops.calls[0].config.agentHost, "10.0.0.9");
    EXPECT_EQ(ops.calls[0].config.accessCommunity, "secret");
    EXPECT_EQ(text(*w, kFirmwareVersion), "2.04");

    w->controls().get<QPushButton>(kWriteConf)->click();
    finish(*w);
    EXPECT_EQ(ops.calls.back().config.firmwareVersion, "2.04");
    EXPECT_EQ(text(*w, kFirmwareVersion), "2.05");

    w->controls().get<QLineEdit>(kHost)->setText("10.0.0.10");
    w->controls().get<QPushButton>(kReset)->click();
    finish(*w);
    EXPECT_EQ(ops.names(), (std::vector<std::string>{"ReadConf", "WriteConf", "Reset"}));
    EXPECT_EQ(ops.calls.back().config.agentHost, "10.0.0.10");
    // The wait cursor is gone once each operation has returned.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, FirmwareTransferLocksTheControlsUntilItEnds) {
    auto w = open(1);
    const auto initial = enabledStates(*w);
    w->setFirmwareFileChooser([] { return QStringLiteral("/tmp/image.qfw"); });
    w->controls().get<QComboBox>(kComPort)->setEditText("COM3");
    ops.progress = {0, 0}; // a file under 1000 bytes
    ops.ticksUntilDone = 2;

    w->controls().get<QPushButton>(kFirmwareUpg)->click();
    ASSERT_EQ(ops.names(), std::vector<std::string>{"FirmwareStart"});
    EXPECT_EQ(ops.firmwarePath, "/tmp/image.qfw");
    EXPECT_EQ(ops.calls[0].config.comPort, "COM3");
    EXPECT_TRUE(w->transferRunning());

    auto during = enabledStates(*w);
    for (int id :
         {kReadConf, kWriteConf, kReset, kFirmwareUpg, kComPort, kComPortRadio, kNetworkRadio})
        EXPECT_FALSE(during.at(id)) << id;
    for (int id : {kQuit, kSerialSettings, kNetworkSettings, kAdvancedSettings, kRemoteSettings})
        EXPECT_TRUE(during.at(id)) << id;
    // Range 0..0 would make Qt draw a busy bar: the bar must stay determinate.
    auto* bar = w->controls().get<QProgressBar>(kProgress);
    EXPECT_GT(bar->maximum(), bar->minimum());

    ops.progress = {12, 7};
    w->OnTimer();
    EXPECT_EQ(bar->maximum(), 12);
    EXPECT_EQ(bar->value(), 7);
    EXPECT_TRUE(w->transferRunning());

    w->OnTimer(); // the tick that ends the transfer
    EXPECT_FALSE(w->transferRunning());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(enabledStates(*w), initial);
    EXPECT_EQ(ops.ticks, 2);
}

TEST_F(MainWindowTest, FirmwareNotStartedLeavesTheWindowAlone) {
    auto w = open(1);
    const auto initial = enabledStates(*w);

    w->setFirmwareFileChooser([] { return QString(); }); // dialog cancelled
    w->OnFirmwareUpg();
    EXPECT_TRUE(ops.calls.empty());

    w->setFirmwareFileChooser([] { return QStringLiteral("/tmp/x.qfw"); });
    ops.startResult = false; // the converter refused; the operation said why
    w->OnFirmwareUpg();
    EXPECT_EQ(ops.names(), std::vector<std::string>{"FirmwareStart"});
    EXPECT_FALSE(w->transferRunning());
    EXPECT_EQ(enabledStates(*w), initial);
}

TEST_F(MainWindowTest, ClosingDuringATransferAsksAndAborts) {
    auto w = open(0);
    w->setFirmwareFileChooser([] { return QStringLiteral("/tmp/image.qfw"); });
    w->show();
    w->OnFirmwareUpg();
    ASSERT_TRUE(w->transferRunning());

    confirmAnswer = false;
    w->close();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_TRUE(ops.running);

    confirmAnswer = true;
    w->controls().get<QPushButton>(kQuit)->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions.back(), app.messageCatalogue.extra(ExtraMsg::FirmwareAbortConfirm));
    EXPECT_EQ(ops.names().back(), "FirmwareAbort");
    EXPECT_FALSE(w->transferRunning());
}

TEST_F(MainWindowTest, DestroyingTheWindowEndsATransfer) {
    auto w = open(1);
    w->setFirmwareFileChooser([] { return QStringLiteral("/tmp/image.qfw"); });
    w->OnFirmwareUpg();
    w.reset();
    EXPECT_EQ(ops.names().back(), "FirmwareAbort");
}

TEST_F(MainWindowTest, AboutBoxIsEnglishInTheHungarianLayout) {
    auto w = open(0);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QString title, label;
    {
        test::ModalCloser closer([&](QWidget* modal) {
            title = modal->windowTitle();
            for (auto* l : modal->findChildren<QLabel*>())
                if (!l->text().isEmpty()) label = l->text();
        });
        QTest::keyClick(w.get(), Qt::Key_F1);
        EXPECT_TRUE(closer.closedOne());
    }
    EXPECT_EQ(title, "About Varnadex");
    EXPECT_EQ(label, "Varnadex Version 2.2");

    QStringList entries;
    {
        test::ModalCloser closer([&](QWidget* popup) {
            for (QAction* a : popup->actions())
                entries << a->text();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w.get(), &event);
        EXPECT_TRUE(closer.closedOne());
    }
    EXPECT_EQ(entries, QStringList{"&About Varnadex..."});
}

TEST_F(MainWindowTest, FieldLabelsNameTheirControls) {
    for (int language : {1, 0}) {
        auto w = open(language);
        std::map<int, QString> buddies;
        for (auto* label : w->findChildren<QLabel*>())
            if (label->buddy())
                buddies[label->buddy()->objectName().mid(2).toInt()] = label->text();
        for (int id : {kComPort, kHost, kCommunity}) {
            ASSERT_TRUE(buddies.count(id)) << language << " " << id;
            EXPECT_EQ(w->controls().control(id)->accessibleName(), buddies[id]);
        }
        EXPECT_EQ(buddies[kHost], language == 1 ? "Hostname or IP Address"
                                                : QString::fromUtf8("Host-név vagy IP cím"));
    }
}

// Every text must be readable in full in both layouts, whatever font the platform has.
TEST_F(MainWindowTest, NoTextIsClippedInEitherLanguage) {
    auto check = [](QWidget& dialog) {
        for (auto* w : dialog.findChildren<QWidget*>()) {
            QString text;
            int room = w->width();
            if (auto* l = qobject_cast<QLabel*>(w)) {
                text = l->text();
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                text = e->text(); // the first values, "Ismeretlen" the longest
                room -= 8;        // frame and margins
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                text = b->text();
                room -= qobject_cast<QPushButton*>(w) ? 4 : 20; // frame, or the indicator
            } else {
                continue;
            }
            if (text.isEmpty()) continue;
            const QFontMetrics fm(w->font());
            int lines = 0;
            for (const QString& line : text.split('\n')) {
                EXPECT_LE(fm.horizontalAdvance(line), room) << line.toStdString();
                ++lines;
            }
            EXPECT_LE(lines * fm.lineSpacing(), w->height()) << text.toStdString();
            EXPECT_TRUE(dialog.rect().contains(w->geometry())) << text.toStdString();
        }
    };
    for (int language : {1, 0}) {
        SCOPED_TRACE(language);
        auto w = open(language);
        check(*w);
    }
    CAboutDlg about;
    check(about);
}

TEST(SerialPortChoices, ComPortsThenExistingDevicesInNaturalOrder) {
    namespace fs = std::filesystem;
    const test::ScratchDir dir{"varnadex-ui-devices"};
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB0", "ttyACM1", "console", "tty0"})
        std::ofstream(dir / name) << "";
    const QStringList ports = serialPortChoices(QString::fromStdString(dir.path.string()));

    ASSERT_EQ(ports.size(), 16 + 4);
    EXPECT_EQ(ports.front(), "COM1");
    EXPECT_EQ(ports[15], "COM16");
    const QString d = QString::fromStdString(dir.path.string()) + '/';
    EXPECT_EQ(ports.mid(16),
              (QStringList{d + "ttyACM1", d + "ttyS2", d + "ttyS10", d + "ttyUSB0"}));

    EXPECT_EQ(serialPortChoices(QStringLiteral("/nonexistent-varnadex")).size(), 16);
}

} // namespace
} // namespace varnadex::ui
