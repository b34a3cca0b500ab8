#include "cli/CliApp.h"

#include "app/ConfApp.h"
#include "app/Version.h"
#include "config/ConfigFile.h"
#include "config/ConfigProcedures.h"
#include "platform/FileIo.h"
#include "snmp/SnmpSocket.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <variant>

namespace varnadex {
namespace {

constexpr const char* kUsage =
    "usage: varnadex-cli [--lang en|hu] (--port NAME | --host HOST[:PORT]) [--community TEXT]\n"
    "                    [--enable-mac] COMMAND\n"
    "  read  [--format json|text] [--output FILE]   read the whole configuration\n"
    "  write FILE                                   write a configuration file (the JSON that "
    "read produces)\n"
    "  reset                                        restart the converter\n"
    "  firmware FILE.qfw                            load new firmware (serial link only)\n"
    "  --help, --version\n"
    "Exit status: 0 success, 1 the operation failed, 2 bad usage or bad input (nothing sent).\n";

// Every message box of the window becomes one line on standard error, and so does a note.
class StreamSink : public IMessageSink {
public:
    explicit StreamSink(std::ostream& err) : err_(err) {}
    void show(MessageKind, const std::string& text) override {
        endLine();
        err_ << text << '\n' << std::flush;
    }
    void note(const std::string& text) override {
        endLine();
        err_ << "varnadex-cli: " << text << '\n' << std::flush;
    }
    // A progress line drawn with \r stays open; a message must not land in the middle of it.
    void endLine() {
        if (lineOpen) err_ << '\n';
        lineOpen = false;
    }
    bool lineOpen = false;

private:
    std::ostream& err_;
};

struct Options {
    std::optional<int> language;
    std::optional<std::string> port;
    std::optional<std::string> host;
    std::optional<std::string> community;
    bool enableMac = false;
    std::string command;
    std::string format = "json";
    std::optional<std::string> output;
    std::string file;
};

struct UsageError {
    std::string message;
};

std::variant<Options, UsageError> parse(const std::vector<std::string>& args) {
    Options o;
    std::size_t i = 0;
    auto value = [&](const std::string& name) -> std::optional<std::string> {
        if (i + 1 >= args.size()) return std::nullopt;
        (void)name;
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!o.command.empty()) {
            if (o.command == "read" && a == "--format") {
                auto v = value(a);
                if (!v || (*v != "json" && *v != "text"))
                    return UsageError{"--format takes json or text"};
                o.format = *v;
            } else if (o.command == "read" && a == "--output") {
                auto v = value(a);
                if (!v) return UsageError{"--output needs a file name"};
                o.output = *v;
            } else if ((o.command == "write" || o.command == "firmware") && o.file.empty() &&
                       (a.empty() || a[0] != '-')) {
                o.file = a;
            } else {
                return UsageError{"unexpected argument \"" + a + "\" for " + o.command};
            }
            continue;
        }
        if (a == "--lang") {
            auto v = value(a);
            if (!v || (*v != "en" && *v != "hu")) return UsageError{"--lang takes en or hu"};
            o.language = *v == "en" ? 1 : 0;
        } else if (a == "--port") {
            auto v = value(a);
            if (!v || v->empty()) return UsageError{"--port needs a port name"};
            o.port = *v;
        } else if (a == "--host") {
            auto v = value(a);
            if (!v || v->empty()) return UsageError{"--host needs a host name or address"};
            o.host = *v;
        } else if (a == "--community") {
            auto v = value(a);
            if (!v) return UsageError{"--community needs a text"};
            o.community = *v;
        } else if (a == "--enable-mac" || a == "/ENABLEMAC") {
            o.enableMac = true;
        } else if (a == "read" || a == "write" || a == "reset" || a == "firmware") {
            o.command = a;
        } else {
            return UsageError{"unknown argument \"" + a + "\""};
        }
    }
    if (o.command.empty()) return UsageError{"no command given"};
    if (o.port.has_value() == o.host.has_value())
        return UsageError{"give exactly one of --port and --host"};
    if ((o.command == "write" || o.command == "firmware") && o.file.empty())
        return UsageError{o.command + " needs a file"};
    if (o.command == "firmware" && o.host)
        return UsageError{"firmware is loaded over the serial link only: use --port"};
    return o;
}

std::string formatSeconds(double seconds) {
    int s = seconds < 0 ? 0 : static_cast<int>(seconds + 0.5);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d", s / 60, s % 60);
    return buf;
}

void showProgress(CliEnvironment& env, StreamSink& sink, const FirmwareProgress& p,
                  double elapsed) {
    const double rate = elapsed > 0 ? static_cast<double>(p.imageBytesSent) / elapsed : 0;
    const double left =
        rate > 0
            ? static_cast<double>(p.imageBytes - std::min(p.imageBytes, p.imageBytesSent)) / rate
            : 0;
    const int percent =
        p.imageBytes ? static_cast<int>(100 * p.imageBytesSent / p.imageBytes) : 100;
    char line[160];
    if (env.errIsTerminal) {
        constexpr int kWidth = 30;
        std::string bar(static_cast<std::size_t>(kWidth * percent / 100), '#');
        bar.resize(kWidth, '.');
        std::snprintf(line, sizeof line, "\r[%s] %3d%% %llu/%llu bytes %5.0f B/s %s left ",
                      bar.c_str(), percent, static_cast<unsigned long long>(p.imageBytesSent),
                      static_cast<unsigned long long>(p.imageBytes), rate,
                      formatSeconds(left).c_str());
        env.err << line << std::flush;
        sink.lineOpen = true;
    } else {
        std::snprintf(line, sizeof line, "firmware: %llu/%llu bytes (%d%%), %.0f B/s, %s left\n",
                      static_cast<unsigned long long>(p.imageBytesSent),
                      static_cast<unsigned long long>(p.imageBytes), percent, rate,
                      formatSeconds(left).c_str());
        env.err << line << std::flush;
    }
}

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& env) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            env.out << kUsage;
            return kExitOk;
        }
        if (a == "--version") {
            env.out << "varnadex-cli " VARNADEX_VERSION "\n";
            return kExitOk;
        }
    }
    auto parsed = parse(args);
    if (auto* usage = std::get_if<UsageError>(&parsed)) {
        env.err << "varnadex-cli: " << usage->message << "\n" << kUsage;
        return kExitUsage;
    }
    Options& o = std::get<Options>(parsed);

    CConfApp app;
    app.loadLanguage(env.programPath);
    if (o.language) {
        app.language = *o.language;
        app.messageCatalogue.fill(*o.language);
    }
    const MessageCatalogue& catalogue = app.messageCatalogue;
    StreamSink sink(env.err);

    ConverterConfig config;
    config.applyLateDefaults();
    config.firmwareVersion = catalogue.text(Msg::Unknown);
    if (o.command == "write") {
        const FileRead file = readInputFile(o.file, kConfigFileLimit);
        if (!file.content) {
            env.err << "varnadex-cli: cannot read \"" << o.file << "\": " << file.error << "\n";
            return kExitUsage;
        }
        const ConfigFileResult fromFile = parseConfigFile(*file.content);
        if (!fromFile.config) {
            env.err << "varnadex-cli: " << o.file << ": " << fromFile.error << "\n";
            return kExitUsage;
        }
        for (const auto& warning : fromFile.warnings)
            env.err << "varnadex-cli: " << o.file << ": warning: " << warning << "\n";
        config = *fromFile.config;
        config.firmwareVersion = catalogue.text(Msg::Unknown);
    }
    config.accessMode = o.host ? 1 : 0;
    if (o.port) config.comPort = *o.port;
    if (o.host) config.agentHost = *o.host;
    if (o.community) config.accessCommunity = *o.community;
    config.enableMac = o.enableMac ? 1 : 0;

    // A host or community the socket would refuse is bad input like a bad file: told before
    // anything is sent.
    if (auto problem = o.host
                           ? refuseAgentAccess(config.agentHost, config.accessCommunity, catalogue)
                           : std::nullopt) {
        sink.show(MessageKind::Error, *problem);
        return kExitUsage;
    }

    auto operations = env.makeOperations(sink, catalogue);
    operations->setControl({env.interruption, {}});
    const auto interrupted = [&] { return env.interruption && env.interruption->requested(); };
    // What a shell expects of a program a signal stopped.
    const auto failed = [&] { return interrupted() ? 128 + env.interruptSignal() : kExitFailed; };
    if (o.command == "read") {
        if (!operations->ReadConf(config)) return failed();
        const std::string text = o.format == "json" ? configToJson(config) : configToText(config);
        if (!o.output) {
            env.out << text << std::flush;
        } else if (auto error = writeOutputFile(*o.output, text)) {
            env.err << "varnadex-cli: cannot write \"" << *o.output << "\": " << *error << "\n";
            return kExitFailed;
        }
        return kExitOk;
    }
    if (o.command == "write") {
        // Bad input is a usage fault, told apart from a converter that fails.
        ConfigProcedures checker(sink, catalogue);
        if (auto problem = checker.checkWritable(config)) {
            sink.show(MessageKind::Error, *problem);
            return kExitUsage;
        }
        return operations->WriteConf(config) ? kExitOk : failed();
    }
    if (o.command == "reset") return operations->Reset(config) ? kExitOk : failed();

    // firmware: a file that holds no image is refused before the port is opened.
    std::error_code ec;
    const auto size = std::filesystem::file_size(o.file, ec);
    if (ec || !std::ifstream(o.file, std::ios::binary)) {
        sink.show(MessageKind::Error, catalogue.extra(ExtraMsg::FirmwareNotOpened, o.file));
        return kExitUsage;
    }
    if (size <= 18) {
        sink.show(MessageKind::Error, catalogue.extra(ExtraMsg::FirmwareTooShort, o.file));
        return kExitUsage;
    }
    if (!operations->FirmwareStart(config, o.file)) return failed();
    const Millis started = env.clock.now();
    bool ok = true;
    for (;;) {
        if (interrupted()) {
            // Between two slices: the converter's loader holds what came so far.
            operations->FirmwareAbort();
            sink.show(MessageKind::Error, catalogue.extra(ExtraMsg::FirmwareInterrupted));
            return failed();
        }
        env.clock.sleepFor(Millis(1000));
        if (interrupted()) continue;
        const bool more = operations->FirmwareTick();
        const double elapsed = static_cast<double>((env.clock.now() - started).count()) / 1000.0;
        auto progress = operations->firmwareProgress();
        if (!more) {
            ok = operations->firmwareSucceeded();
            // On a terminal the verdict has closed the progress line; nothing goes after it.
            if (!env.errIsTerminal) showProgress(env, sink, progress, elapsed);
            sink.endLine();
            break;
        }
        showProgress(env, sink, progress, elapsed);
    }
    return ok ? kExitOk : kExitFailed;
}

} // namespace varnadex
