// What a person finds in the window without reading the README: every control announced by
// its own name, the configuration files in a menu, boxes whose captions fit.
#include "config/ConfigFile.h"
#include "support/RecordingSink.h"
#include "support/ScratchDir.h"
#include "tests/ui_main_support.h"
#include "ui/AboutDlg.h"
#include "ui/ConfDlg.h"
#include "ui/MainWindowTemplate.h"
#include "ui/QtMessageSink.h"
#include "ui/SettingsDialogs.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <sys/stat.h>

namespace varnadex::ui {
namespace {

using namespace mainwin;
namespace fs = std::filesystem;

QString accessibleName(QWidget* w) {
    QAccessibleInterface* info = QAccessible::queryAccessibleInterface(w);
    return info ? info->text(QAccessible::Name) : QString();
}

QString withoutMnemonics(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// A screen reader must announce "TCP/IP" for the TCP/IP button, never its group's label.
void expectOwnNames(QWidget& window) {
    std::map<QWidget*, QString> tied;
    for (auto* label : window.findChildren<QLabel*>())
        if (label->buddy()) tied[label->buddy()] = label->text().replace(u'\n', u' ');
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const std::string what = w->objectName().toStdString();
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
            EXPECT_EQ(accessibleName(w), withoutMnemonics(b->text())) << what;
        } else if (tied.count(w)) {
            // On this platform a combo box is named by its text and points to its label.
            auto* combo = qobject_cast<QComboBox*>(w);
            if (combo && accessibleName(w) == combo->currentText()) continue;
            EXPECT_EQ(accessibleName(w), tied[w]) << what;
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                   qobject_cast<QAbstractButton*>(w)) {
            // A field without a label of its own (the pattern check box beside its edit, the
            // firmware version) still has a name.
            if (w->focusPolicy() != Qt::NoFocus && w->parentWidget() == &window) {
                EXPECT_FALSE(accessibleName(w).isEmpty()) << what;
            }
        }
    }
}

TEST(MainWindowAccess, EveryControlIsAnnouncedByItsOwnTextOrItsLabel) {
    test::RecordingSink sink;
    test::FakeOperations ops;
    for (int language : {1, 0}) {
        SCOPED_TRACE(language);
        CConfApp app = test::makeApp(language);
        CConfDlg main(app, 0, ops, sink);
        expectOwnNames(main);
        for (int which : {kSerialSettingsDialog, kAdvancedSettingsDialog, kNetworkSettingsDialog,
                          kRemoteConfigDialog}) {
            const auto dialog = makeSettingsDialogForShots(which, language, sink, main.config);
            SCOPED_TRACE(dialog->windowTitle().toStdString());
            expectOwnNames(*dialog);
        }
    }
    CAboutDlg about;
    expectOwnNames(about);
}

class ConfigurationFiles : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CConfDlg>(app, 0, ops, sink);
        window->setConfigFileChooser([this](bool save) {
            asked.push_back(save);
            return QString::fromStdString(path.string());
        });
    }
    void put(const std::string& text) { std::ofstream(path) << text; }
    std::string content() const {
        std::ostringstream s;
        s << std::ifstream(path).rdbuf();
        return s.str();
    }

    CConfApp app = test::makeApp(1);
    test::FakeOperations ops;
    test::RecordingSink sink;
    std::unique_ptr<CConfDlg> window;
    test::ScratchDir scratch{"varnadex-ui-files"};
    const fs::path& dir = scratch.path;
    fs::path path;
    std::vector<bool> asked;
};

TEST_F(ConfigurationFiles, SaveWritesWhatTheCliReadsAndOpenTakesOnlyTheConverter) {
    path = dir / "saved.json";
    window->config.ipAddress = "10.1.2.3";
    window->controls().get<QComboBox>(kComPort)->setEditText("COM7");
    window->menuCommand(kSaveConfiguration)->trigger();
    ConverterConfig expected = window->config; // the controls taken in first
    EXPECT_EQ(expected.comPort, "COM7");
    EXPECT_EQ(content(), configToJson(expected));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Opened elsewhere: the converter fields come from the file, the access settings stay.
    ConverterConfig other = expected;
    other.ipAddress = "192.168.1.50";
    other.comPort = "COM2";
    other.agentHost = "10.9.9.9";
    other.firmwareVersion = "9.9";
    put(configToJson(other));
    window->controls().get<QComboBox>(kComPort)->setEditText("COM4");
    window->menuCommand(kOpenConfiguration)->trigger();
    EXPECT_EQ(window->config.ipAddress, "192.168.1.50");
    EXPECT_EQ(window->config.comPort, "COM4");
    EXPECT_EQ(window->config.agentHost, expected.agentHost);
    EXPECT_EQ(window->config.firmwareVersion, expected.firmwareVersion);
    EXPECT_TRUE(ops.calls.empty()); // nothing sent
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(asked, (std::vector<bool>{true, false}));
}

// A converter chosen in the search is reached over the network from then on.
TEST_F(ConfigurationFiles, AFoundConverterBecomesTheNetworkTarget) {
    window->setConverterFinder([] { return std::string("127.4.0.9:16161"); });
    window->menuCommand(kFindConverters)->trigger();
    EXPECT_EQ(window->controls().get<QLineEdit>(kHost)->text(), "127.4.0.9:16161");
    EXPECT_TRUE(window->controls().get<QRadioButton>(kNetworkRadio)->isChecked());
    EXPECT_TRUE(window->controls().control(kHost)->isEnabled());
    window->setConverterFinder([] { return std::string(); }); // cancelled: nothing changes
    window->menuCommand(kFindConverters)->trigger();
    EXPECT_EQ(window->controls().get<QLineEdit>(kHost)->text(), "127.4.0.9:16161");
    EXPECT_TRUE(ops.calls.empty());
}

TEST_F(ConfigurationFiles, OpenRefusesWhatTheCliRefusesAndTellsOnce) {
    ConverterConfig good;
    good.applyLateDefaults();
    const std::string json = configToJson(good);
    std::string noIp = json;
    noIp.erase(noIp.find("\"ipAddress\""),
               noIp.find('\n', noIp.find("\"ipAddress\"")) - noIp.find("\"ipAddress\"") + 1);
    std::string shortTimeout = json;
    const auto at = shortTimeout.find("\"networkTimeout\": ") + 18;
    shortTimeout.replace(at, shortTimeout.find_first_of(",\n", at) - at, "5");

    struct Row {
        const char* file;
        std::optional<std::string> text;
        MessageKind kind;
        const char* mentions;
        bool taken;
    };
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (const Row& r :
         {Row{"missing.json", {}, MessageKind::Error, "missing.json", false},
          Row{"no-ip.json", noIp, MessageKind::Error, "ipAddress", false},
          Row{"not-json.json", "COM1", MessageKind::Error, "not-json", false},
          Row{"slow.json", shortTimeout, MessageKind::Warning, "networkTimeout", true}}) {
        SCOPED_TRACE(r.file);
        path = dir / r.file;
        if (r.text) put(*r.text);
        sink.entries.clear();
        window->config.networkTimeout = 30;
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(sink.entries.size(), 1u);
        EXPECT_EQ(sink.entries[0].kind, r.kind);
        EXPECT_NE(sink.entries[0].text.find(r.mentions), std::string::npos) << sink.entries[0].text;
        EXPECT_EQ(window->config.networkTimeout, r.taken ? 5 : 30);
    }
    EXPECT_TRUE(ops.calls.empty());
}

TEST(MainWindowMenu, OffersTheFilesAndAboutInBothLanguages) {
    test::FakeOperations ops;
    test::RecordingSink sink;
    for (int language : {1, 0}) {
        CConfApp app = test::makeApp(language);
        CConfDlg w(app, 0, ops, sink);
        auto* bar = w.findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        QStringList commands;
        for (QAction* menu : bar->actions())
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator()) commands << withoutMnemonics(a->text());
        const QStringList expected =
            language == 1 ? QStringList{"Open Configuration...", "Save Configuration...",
                                        "Find Converters...", "Quit", "About Varnadex..."}
                          : QStringList{QString::fromUtf8("Konfiguráció megnyitása..."),
                                        QString::fromUtf8("Konfiguráció mentése..."),
                                        QString::fromUtf8("Konverterek keresése..."),
                                        QString::fromUtf8("Kilépés"), "About Varnadex..."};
        EXPECT_EQ(commands, expected);
        EXPECT_EQ(w.menuCommand(kOpenConfiguration)->shortcut(),
                  QKeySequence::fromString("Ctrl+O"));
        EXPECT_EQ(w.menuCommand(kSaveConfiguration)->shortcut(),
                  QKeySequence::fromString("Ctrl+S"));
        // The template's controls all sit below the bar.
        for (QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c != bar) {
                EXPECT_GE(c->y(), bar->geometry().bottom());
            }
    }
}

// A title bar cuts a caption longer than its window: a box keeps room for the whole caption.
TEST(MessageBoxCaption, BoxIsWideEnoughForItsCaption) {
    for (int language : {1, 0}) {
        MessageCatalogue catalogue;
        catalogue.fill(language);
        QtMessageSink sink(catalogue, "varnadex");
        for (MessageKind kind : {MessageKind::Plain, MessageKind::Error}) {
            auto box = sink.makeBox(kind, catalogue.text(Msg::Done));
            box->show();
            QFont bold = box->font();
            bold.setBold(true);
            EXPECT_GT(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 100)
                << box->windowTitle().toStdString();
            box->close();
        }
    }
}

} // namespace
} // namespace varnadex::ui
