// The desktop program: the main window on the settings file's language.
//   varnadex [--port NAME] [--host HOST[:PORT]] [/ENABLEMAC]
#include "app/ConfApp.h"
#include "app/Version.h"
#include "operations/Operations.h"
#include "ui/AboutDlg.h"
#include "ui/ConfDlg.h"
#include "ui/QtMessageSink.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace varnadex;

namespace {

const char kUsage[] = "usage: varnadex [--port NAME] [--host HOST[:PORT]] [/ENABLEMAC]\n"
                      "  --port NAME        preset the COM port (COMn or a device path)\n"
                      "  --host HOST[:PORT] preset the converter's address for network access\n"
                      "  /ENABLEMAC         make the MAC address editable and writable\n"
                      "  --help, --version\n";

struct Presets {
    std::optional<std::string> port;
    std::optional<std::string> host;
};

// --port and --host preset the access settings (the demo points the window at the
// simulator); everything stays on the command line that /ENABLEMAC is looked for in.
bool parsePresets(const QStringList& args, Presets& presets) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a != QLatin1String("--port") && a != QLatin1String("--host")) continue;
        if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
            std::fprintf(stderr, "varnadex: %s needs a value\n", qPrintable(a));
            return false;
        }
        (a == QLatin1String("--port") ? presets.port : presets.host) = args[++i].toStdString();
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("varnadex " VARNADEX_VERSION);
            return 0;
        }
    }
    QApplication qapp(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varnadex.varnadex"));
    ui::initUiResources();
    QApplication::setWindowIcon(ui::programIcon());

    const QStringList args = QCoreApplication::arguments();
    Presets presets;
    if (!parsePresets(args, presets)) return 2;

    const std::string programPath = QCoreApplication::applicationFilePath().toStdString();
    std::string commandLine;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += args[i].toStdString();
    }

    CConfApp app;
    ui::QtMessageSink sink(app.messageCatalogue, applicationName(programPath));
    // Read Conf, Write Conf and RESET run on a worker thread; their boxes are shown here.
    ui::UiThreadSink operationSink(sink);
    const auto operations = makeOperations(operationSink, app.messageCatalogue);
    app.InitInstance(programPath, commandLine, [&](CConfApp& a, int enableMac) {
        ui::CConfDlg window(a, enableMac, *operations, sink);
        if (presets.port) window.config.comPort = *presets.port;
        if (presets.host) window.config.agentHost = *presets.host;
        window.DoDataExchange(false);
        sink.setOwner(&window);
        window.DoModal();
        sink.setOwner(nullptr);
    });
    return 0;
}
