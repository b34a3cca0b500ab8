// Renders the windows to PNG files for the documentation:
//   varnadex-shots OUTPUT_DIRECTORY
// writes main-en.png, main-hu.png, menu-en.png, menu-hu.png (the window with its File menu
// open), about.png and <dialog>-en.png, <dialog>-hu.png for the four settings dialogs (serial,
// advanced, network, remote), and find-en.png, find-hu.png (Find Converters after a search of
// a small simulated site on loopback). The menu is a window of its own, so its picture is taken from
// the screen: run it on an X display (scripts/pictures.sh uses Xvfb).
#include "app/ConfApp.h"
#include "operations/Operations.h"
#include "ui/AboutDlg.h"
#include "ui/ConfDlg.h"
#include "ui/FindConvertersDlg.h"
#include "sim/SnmpFleet.h"
#include "ui/MainWindowTemplate.h"
#include "ui/QtMessageSink.h"
#include "ui/SettingsDialogs.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QTest>

#include <cstdio>

using namespace varnadex;

namespace {

bool save(QWidget& w, const QString& path) {
    w.show();
    QApplication::processEvents();
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// The window with its first menu open, as the screen shows them.
bool saveWithMenu(QWidget& w, const QString& path) {
    w.move(40, 40);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) return false;
    auto* bar = w.findChild<QMenuBar*>();
    QMenu* menu = bar ? bar->actions().value(0)->menu() : nullptr;
    if (!menu) return false;
    menu->popup(bar->mapToGlobal(bar->actionGeometry(bar->actions().value(0)).bottomLeft()));
    bar->setActiveAction(bar->actions().value(0));
    QTest::qWait(300);
    const QRect area = w.frameGeometry().united(menu->geometry());
    const bool ok = QApplication::primaryScreen()
                        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                        .save(path);
    menu->hide();
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// Find Converters after searching a few simulated converters on loopback.
bool saveFinder(CConfApp& app, const std::string& host, const QString& path) {
    ui::CFindConvertersDlg finder(app, host, "kelvin");
    finder.controls().get<QLineEdit>(ui::CFindConvertersDlg::kRangeEdit)->setText("127.6.0.0/29");
    finder.show();
    finder.OnSearch();
    if (!QTest::qWaitFor([&] { return !finder.searching(); }, 10000)) return false;
    auto* list = finder.controls().get<QTreeWidget>(ui::CFindConvertersDlg::kResults);
    list->sortItems(0, Qt::AscendingOrder);
    for (int c = 0; c < list->columnCount(); ++c)
        list->resizeColumnToContents(c);
    list->setCurrentItem(list->topLevelItem(1));
    return save(finder, path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: varnadex-shots OUTPUT_DIRECTORY\n");
        return 2;
    }
    ui::initUiResources();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    struct Dialog {
        int which;
        const char* name;
    };
    const Dialog dialogs[] = {{ui::kSerialSettingsDialog, "serial"},
                              {ui::kAdvancedSettingsDialog, "advanced"},
                              {ui::kNetworkSettingsDialog, "network"},
                              {ui::kRemoteConfigDialog, "remote"}};

    for (const auto& [language, suffix] : {std::pair{1, "en"}, std::pair{0, "hu"}}) {
        CConfApp app;
        app.language = language;
        app.messageCatalogue.fill(language);
        ui::QtMessageSink sink(app.messageCatalogue, "varnadex");
        const auto operations = makeOperations(sink, app.messageCatalogue);
        ui::CConfDlg window(app, 0, *operations, sink);
        sink.setOwner(&window);
        ok = save(window, out.filePath(QStringLiteral("main-%1.png").arg(suffix))) && ok;
        ok = saveWithMenu(window, out.filePath(QStringLiteral("menu-%1.png").arg(suffix))) && ok;
        window.hide();
        for (const Dialog& d : dialogs) {
            const auto dialog =
                ui::makeSettingsDialogForShots(d.which, language, sink, window.config);
            if (!dialog) {
                std::printf("no %s dialog\n", d.name);
                ok = false;
                continue;
            }
            ok = save(*dialog, out.filePath(QStringLiteral("%1-%2.png").arg(d.name, suffix))) && ok;
        }
        sim::SimLog log;
        sim::SnmpFleet fleet(log);
        if (fleet.start(*parseIpv4Address("127.6.0.1"), 0, 5)) {
            ok = saveFinder(app, "127.6.0.1:" + std::to_string(fleet.port()),
                            out.filePath(QStringLiteral("find-%1.png").arg(suffix))) &&
                 ok;
            fleet.stop();
        } else {
            std::printf("no simulated site for the search\n");
            ok = false;
        }
    }
    ui::CAboutDlg about;
    ok = save(about, out.filePath(QStringLiteral("about.png"))) && ok;
    return ok ? 0 : 1;
}
