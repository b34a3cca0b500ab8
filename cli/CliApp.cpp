#include "cli/CliApp.h"

#include "app/ConfApp.h"
#include "app/Version.h"
#include "cli/BatchCommand.h"
#include "cli/Report.h"
#include "cli/ScanCommand.h"
#include "config/ConfigFile.h"
#include "config/ConfigProcedures.h"
#include "config/Fields.h"
#include "operations/ConfigFileLoad.h"
#include "operations/FirmwareRun.h"
#include "platform/FileIo.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <set>
#include <variant>

namespace varnadex {
namespace {

// Every message box of the window becomes one line on standard error, and so does a note. A
// command made of several reads and writes (apply, set, write --verify) says "Done" once.
class StreamSink : public IMessageSink {
public:
    explicit StreamSink(std::ostream& err) : err_(err) {}
    void show(MessageKind kind, const std::string& text) override {
        if (kind == MessageKind::Plain) {
            if (!shown_.insert(text).second) return;
            if (hold_) {
                held_.push_back(text);
                return;
            }
        } else {
            errors_ += (errors_.empty() ? "" : " ") + text;
        }
        endLine();
        err_ << text << '\n' << std::flush;
    }
    // From now on "Done" and the notices wait for release(): a command made of several reads
    // and writes says them once the whole of it has succeeded, never before a failure or a stop
    // that comes later.
    void holdPlain() { hold_ = true; }
    void release() {
        hold_ = false;
        for (const auto& text : held_) {
            endLine();
            err_ << text << '\n';
        }
        err_ << std::flush;
        held_.clear();
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
    // The failures said so far, on one line.
    const std::string& errors() const { return errors_; }
    bool lineOpen = false;

private:
    std::ostream& err_;
    std::set<std::string> shown_;
    bool hold_ = false;
    std::vector<std::string> held_;
    std::string errors_;
};

// Each job holds a socket or a port; the agents answer on their own time, so more threads
// than this only crowd the machine.
constexpr unsigned kMaxJobs = 1024;

struct Options {
    std::optional<int> language;
    std::optional<std::string> port;
    std::optional<std::string> host;
    std::optional<std::string> hosts;
    unsigned jobs = 32;
    std::optional<std::string> community;
    bool enableMac = false;
    std::string command;
    std::optional<std::string> format;
    std::optional<std::string> output;
    std::string file;
    bool verify = false;
    std::vector<std::string> assignments;
    std::vector<std::string> items; // check: a file and assignments
    ScanRequest scan;
};

struct UsageError {
    std::string message;
};

// What the command line came to: options to run, or an exit status when it was answered
// (help, version) or refused (usage, already told on standard error).
using Parsed = std::variant<Options, int>;

// The commands that reach no converter, and so take no --port, --host or --hosts.
bool standsAlone(const std::string& command) {
    return command == "fields" || command == "schema" || command == "check";
}

// The window's switch, accepted anywhere as it always was, except as an option's value
// (a community may be spelt so). CLI11 would take it for a positional argument, so it is
// taken out first.
bool takeEnableMacSwitch(std::vector<std::string>& args) {
    static const std::set<std::string> kTakeValue{"--lang", "--port",      "--host",   "--hosts",
                                                  "--jobs", "--community", "--format", "--output"};
    bool found = false;
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "/ENABLEMAC" && (i == 0 || !kTakeValue.contains(args[i - 1]))) {
            found = true;
            continue;
        }
        kept.push_back(args[i]);
    }
    args = std::move(kept);
    return found;
}

bool isAssignment(const std::string& a) {
    return a.find('=') != std::string::npos && a.front() != '=';
}

std::optional<UsageError> check(const Options& o, const std::string& lang) {
    if (!lang.empty() && lang != "en" && lang != "hu") return UsageError{"--lang takes en or hu"};
    if (o.jobs < 1 || o.jobs > kMaxJobs)
        return UsageError{"--jobs takes a number from 1 to " + std::to_string(kMaxJobs)};
    if (o.format && *o.format != "json" && *o.format != "text")
        return UsageError{"--format takes json or text"};
    // A scan names its own targets.
    const int targets =
        int(o.port.has_value()) + int(o.host.has_value()) + int(o.hosts.has_value());
    if (standsAlone(o.command)) {
        if (targets != 0)
            return UsageError{o.command + " reaches no converter: no --port, " +
                              "--host or --hosts"};
        if (std::count_if(o.items.begin(), o.items.end(),
                          [](const std::string& i) { return !isAssignment(i); }) > 1)
            return UsageError{"check takes one configuration file"};
        return std::nullopt;
    }
    if (o.command == "scan" ? targets != 0 : targets != 1)
        return UsageError{o.command == "scan"
                              ? "scan takes its targets, not --port, --host or --hosts"
                              : "give exactly one of --port, --host and --hosts"};
    if (o.port && o.port->empty()) return UsageError{"--port needs a port name"};
    if (o.host && o.host->empty()) return UsageError{"--host needs a host name or address"};
    if (o.command == "firmware" && !o.port)
        return UsageError{"firmware is loaded over the serial link only: use --port"};
    if (o.hosts && o.output)
        return UsageError{"--output takes one converter; with --hosts the lines go to standard "
                          "output"};
    for (const auto& a : o.assignments)
        if (!isAssignment(a))
            return UsageError{"set takes FIELD=VALUE, not \"" + echoedValue(a) + "\""};
    return std::nullopt;
}

// The options of the whole run, which stand before or after the command.
void addRunOptions(CLI::App& app, Options& o, std::string& lang) {
    // Values are checked after parsing, so that --help answers whatever else the line holds.
    app.add_option("--lang", lang, "language of the messages: en or hu");
    app.add_option("--port", o.port, "serial port of the converter")->type_name("NAME");
    app.add_option("--host", o.host, "the converter's SNMP agent")->type_name("HOST[:PORT]");
    app.add_option("--hosts", o.hosts,
                   "many converters: CSV with a host (or port) column and optional columns "
                   "named after fields")
        ->type_name("FILE");
    app.add_option("--jobs", o.jobs, "converters worked on at once with --hosts (default 32)")
        ->type_name("N");
    app.add_option("--community", o.community, "SNMP community to reach the converter with")
        ->type_name("TEXT");
    app.add_flag("--enable-mac", o.enableMac, "write the MAC address too (also /ENABLEMAC)");
}

void addCommands(CLI::App& app, Options& o) {
    auto format = [&](CLI::App* command, const char* usual) {
        command->add_option("--format", o.format,
                            std::string(usual) + " (default) or " +
                                (usual == std::string("json") ? "text" : "json"));
    };
    auto* read = app.add_subcommand("read", "read the whole configuration");
    format(read, "json");
    read->add_option("--output", o.output,
                     "write the configuration to FILE ('-': standard "
                     "output)")
        ->type_name("FILE");
    auto* write = app.add_subcommand("write", "write a configuration file (the JSON that read "
                                              "produces)");
    write->add_option("FILE", o.file, "configuration file")->required();
    write->add_flag("--verify", o.verify,
                    "read the converter back and fail on any field that "
                    "did not take");
    auto* diff = app.add_subcommand("diff", "print each field where the converter differs from "
                                            "a configuration file (exit 3 when any does)");
    diff->add_option("FILE", o.file, "configuration file")->required();
    format(diff, "text");
    auto* apply = app.add_subcommand(
        "apply", "write a configuration file only when the converter differs from it, and "
                 "verify; prints changed or unchanged");
    apply->add_option("FILE", o.file, "configuration file")->required();
    format(apply, "text");
    auto* set = app.add_subcommand("set", "change some fields: read, change, write, verify");
    set->add_option("FIELD=VALUE", o.assignments, "fields named as in the configuration file")
        ->required();
    app.add_subcommand("reset", "restart the converter");
    auto* scan = app.add_subcommand("scan", "find the converters among addresses, ranges and "
                                            "host names (SNMP)");
    scan->add_option("TARGET", o.scan.targets,
                     "an IPv4 address, a CIDR range (10.1.0.0/22), a host name, or @FILE")
        ->required();
    scan->add_option("--snmp-port", o.scan.snmpPort, "the agents' UDP port (default 161)")
        ->type_name("N");
    scan->add_option("--rate", o.scan.rate, "probes a second (default 1000)")->type_name("N");
    scan->add_flag("--all", o.scan.all, "also list the addresses where no converter answered");
    format(scan, "json");
    auto* firmware = app.add_subcommand("firmware", "load new firmware (serial link only)");
    firmware->add_option("FILE", o.file, "firmware file (.qfw)")->required();
    app.add_subcommand("fields", "list the fields of a configuration file, one a line (what set "
                                 "and a list's columns take)");
    app.add_subcommand("schema", "print the JSON Schema of a configuration file");
    auto* checkCommand = app.add_subcommand(
        "check", "check a configuration file and FIELD=VALUE changes as a write would, and send "
                 "nothing (exit 2 with the reason when a write would refuse them)");
    checkCommand->add_option("ITEM", o.items, "a configuration file, and FIELD=VALUE changes")
        ->required();
}

// The parser quotes what it refused as it came; each argument is echoed as every message
// echoes a value, and nothing else in the account reaches a terminal raw.
std::string echoedParserMessage(std::string message, const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        const std::string shown = echoedValue(arg);
        if (shown == arg || arg.empty()) continue;
        for (auto at = message.find(arg); at != std::string::npos;
             at = message.find(arg, at + shown.size()))
            message.replace(at, arg.size(), shown);
    }
    return escapedValue(message);
}

Parsed parse(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    Options o;
    o.enableMac = takeEnableMacSwitch(args);

    CLI::App app{"Reads, compares, writes and restarts serial-to-Ethernet converters, one or "
                 "many.",
                 "varnadex-cli"};
    app.get_formatter()->label("Usage", "usage");
    app.set_version_flag("--version", "varnadex-cli " VARNADEX_VERSION);
    app.footer("Exit status: 0 success, 1 the operation failed (on any converter), 2 bad usage "
               "or bad input (nothing sent), 3 diff found differences, 128+N stopped by signal "
               "N.");
    app.fallthrough();
    app.require_subcommand(1);
    std::string lang;
    addRunOptions(app, o, lang);
    addCommands(app, o);

    auto refuse = [&](const std::string& message) {
        err << "varnadex-cli: " << echoedParserMessage(message, args) << "\n"
            << "Run with --help for more information.\n";
        return kExitUsage;
    };
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        return refuse(e.what());
    }
    o.command = app.get_subcommands().front()->get_name();
    if (!lang.empty()) o.language = lang == "en" ? 1 : 0;
    if (auto usage = check(o, lang)) return refuse(usage->message);
    return o;
}

JobKind jobKind(const Options& o) {
    if (o.command == "write") return o.verify ? JobKind::WriteVerified : JobKind::Write;
    if (o.command == "diff") return JobKind::Diff;
    if (o.command == "apply") return JobKind::Apply;
    if (o.command == "set") return JobKind::Set;
    if (o.command == "reset") return JobKind::Reset;
    return JobKind::Read;
}

// A configuration file's record, its warnings told; nothing when it is refused (and told).
std::optional<ConverterConfig> fileRecord(const std::string& path,
                                          const MessageCatalogue& catalogue, std::ostream& err) {
    const LoadedConfig loaded = loadConfigFile(path);
    if (loaded.unreadable) {
        err << "varnadex-cli: cannot read \"" << echoedValue(path) << "\": " << *loaded.unreadable
            << "\n";
        return std::nullopt;
    }
    if (!loaded.config) {
        err << "varnadex-cli: " << echoedValue(path) << ": " << catalogue.say(*loaded.refused)
            << "\n";
        return std::nullopt;
    }
    for (const auto& warning : loaded.warnings)
        err << "varnadex-cli: " << echoedValue(path) << ": warning: " << catalogue.say(warning)
            << "\n";
    return loaded.config;
}

std::vector<FieldAssignment> assignmentsOf(const std::vector<std::string>& texts) {
    std::vector<FieldAssignment> out;
    for (const auto& a : texts) {
        const auto eq = a.find('=');
        out.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    }
    return out;
}

// How the command line reaches its converter, as a record of access settings.
ConverterConfig accessOf(const Options& o, const MessageCatalogue& catalogue) {
    ConverterConfig access;
    access.firmwareVersion = catalogue.text(Msg::Unknown);
    access.accessMode = o.host ? 1 : 0;
    if (o.port) access.comPort = *o.port;
    if (o.host) access.agentHost = *o.host;
    if (o.community) access.accessCommunity = *o.community;
    access.enableMac = o.enableMac ? 1 : 0;
    return access;
}

// The configuration the command works with, from its file or the defaults, with the run's
// access settings; nothing when the file is refused (and told).
std::optional<JobRequest> request(const Options& o, const MessageCatalogue& catalogue,
                                  std::ostream& err) {
    JobRequest r;
    r.kind = jobKind(o);
    r.base.applyLateDefaults();
    if (o.command == "write" || o.command == "diff" || o.command == "apply") {
        auto fromFile = fileRecord(o.file, catalogue, err);
        if (!fromFile) return std::nullopt;
        r.base = *fromFile;
    }
    layAccessSettings(accessOf(o, catalogue), r.base);
    r.assignments = assignmentsOf(o.assignments);
    return r;
}

// Says that standard output cannot be written; the exit status that goes with it.
int lostOutput(const MessageCatalogue& catalogue, CliEnvironment& env) {
    env.err << "varnadex-cli: " << catalogue.extra(ExtraMsg::OutputLost, env.outputFailure())
            << "\n";
    return kExitFailed;
}

// read's output: standard output, or a file written safely.
int reportRead(const Options& o, const JobResult& result, bool json,
               const MessageCatalogue& catalogue, CliEnvironment& env) {
    const std::string text = json ? configToJson(result.converter) : configToText(result.converter);
    if (!o.output || *o.output == "-") {
        if (!(env.out << text << std::flush)) return lostOutput(catalogue, env);
        return kExitOk;
    }
    const auto stopping = [&] { return env.interruption && env.interruption->requested(); };
    if (auto error = writeOutputFile(*o.output, text, stopping)) {
        // A wait on a FIFO with no reader, given up for Ctrl-C.
        if (stopping()) return 128 + env.interruptSignal();
        env.err << "varnadex-cli: cannot write \"" << echoedValue(*o.output) << "\": " << *error
                << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

// What one converter's job printed on standard output; the exit status. Output that cannot
// be written is a failure: a script reading it would otherwise take nothing for an answer.
int report(const Options& o, const JobRequest& r, const JobResult& result,
           const MessageCatalogue& catalogue, CliEnvironment& env) {
    const bool json = o.format.value_or(o.command == "read" ? "json" : "text") == "json";
    if (o.command == "read") return reportRead(o, result, json, catalogue, env);
    std::string text;
    if (o.command == "diff") {
        text = json ? nlohmann::ordered_json{{"differences", differencesJson(result, r.base)}}.dump(
                          2, ' ', false, nlohmann::json::error_handler_t::replace) +
                          "\n"
                    : differencesText(result, r.base);
    } else if (o.command == "apply") {
        const char* word = statusWord(result.status);
        text = (json ? nlohmann::ordered_json{{"status", word}}.dump() : std::string(word)) + "\n";
    }
    if (!text.empty() && !(env.out << text << std::flush)) return lostOutput(catalogue, env);
    if (o.command == "diff") return result.fields.empty() ? kExitOk : kExitDiffers;
    return kExitOk;
}

// apply --format json when it failed: what went wrong and what the converter took, for a
// program that drives the CLI (a configuration management tool) to tell its user.
void reportFailedApply(const Options& o, const JobResult& result, const StreamSink& sink,
                       CliEnvironment& env) {
    if (o.command != "apply" || o.format.value_or("text") != "json") return;
    nlohmann::ordered_json line = {{"status", statusWord(result.status)},
                                   {"error", sink.errors()},
                                   {"written", result.written}};
    env.out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n'
            << std::flush;
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

// The commands that reach no converter: the field list, the schema, and the check of a file
// and of changes as a write would make it.
int runStandalone(const Options& o, const MessageCatalogue& catalogue, CliEnvironment& env) {
    if (o.command == "fields") {
        for (const Field& f : fields())
            if (uses(f, InFile)) env.out << f.name << '\n';
    } else if (o.command == "schema") {
        env.out << configSchema();
    } else {
        JobRequest r;
        r.kind = JobKind::Write;
        r.base.applyLateDefaults();
        std::vector<std::string> changes;
        for (const auto& item : o.items) {
            if (isAssignment(item)) {
                changes.push_back(item);
                continue;
            }
            auto fromFile = fileRecord(item, catalogue, env.err);
            if (!fromFile) return kExitUsage;
            r.base = *fromFile;
        }
        r.base.enableMac = o.enableMac ? 1 : 0;
        r.assignments = assignmentsOf(changes);
        if (auto problem = refusedBeforeSending(r, r.base, catalogue)) {
            env.err << *problem << "\n";
            return kExitUsage;
        }
    }
    return (env.out << std::flush) ? kExitOk : lostOutput(catalogue, env);
}

// read, write, diff, apply, set or reset on the one converter the command line names.
int runSingle(const Options& o, const JobRequest& r, IOperations& operations, StreamSink& sink,
              const MessageCatalogue& catalogue, CliEnvironment& env) {
    sink.holdPlain();
    ConverterJobs jobs(operations, sink, catalogue, {env.interruption, {}, {}});
    // An exit forced by a later signal names the converter it leaves half written.
    const std::string label =
        "  " + escapedValue(r.base.accessMode == 1 ? r.base.agentHost : r.base.comPort) + "\n";
    int slot = -1;
    if (env.stopReport)
        jobs.onWriting([&](bool writing) {
            if (writing)
                slot = env.stopReport->beginWriting(label);
            else
                env.stopReport->endWriting(std::exchange(slot, -1));
        });
    const JobResult result = jobs.run(r.kind, r.base, r.assignments);
    if (result.status == JobStatus::Failed) {
        reportFailedApply(o, result, sink, env);
        // What a shell expects of a program a signal stopped.
        if (env.interruption && env.interruption->requested()) return 128 + env.interruptSignal();
        return kExitFailed;
    }
    const int code = report(o, r, result, catalogue, env);
    if (code == kExitOk || code == kExitDiffers) sink.release();
    return code;
}

int runFirmware(const Options& o, const JobRequest& r, IOperations& operations, StreamSink& sink,
                const MessageCatalogue& catalogue, CliEnvironment& env) {
    // A file that holds no image is refused before the port is opened.
    if (auto problem = firmwareFileProblem(o.file)) {
        sink.show(MessageKind::Error, catalogue.say(*problem));
        return kExitUsage;
    }
    ConverterConfig config = r.base;
    const DownloadEnd end = runFirmwareDownload(
        operations, config, o.file, env.clock, env.interruption, sink, catalogue,
        [&](const FirmwareProgress& progress, double seconds, bool last) {
            // On a terminal the verdict has closed the progress line; nothing goes after it.
            if (!last || !env.errIsTerminal) showProgress(env, sink, progress, seconds);
            if (last) sink.endLine();
        });
    switch (end) {
    case DownloadEnd::Succeeded:
        return kExitOk;
    case DownloadEnd::Interrupted:
        return 128 + env.interruptSignal();
    case DownloadEnd::Failed:
        break;
    }
    return kExitFailed;
}

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& env) {
    auto parsed = parse(args, env.out, env.err);
    if (const int* exit = std::get_if<int>(&parsed)) return *exit;
    Options& o = std::get<Options>(parsed);

    CConfApp app;
    app.loadLanguage(env.programPath);
    if (o.language) app.setLanguage(*o.language);
    const MessageCatalogue& catalogue = app.messageCatalogue;
    if (env.stopReport)
        env.stopReport->setTexts(catalogue.extra(ExtraMsg::StopNote),
                                 catalogue.extra(ExtraMsg::ForcedExit),
                                 catalogue.extra(ExtraMsg::ForcedExitClean));

    if (standsAlone(o.command)) return runStandalone(o, catalogue, env);
    if (o.command == "scan") {
        o.scan.format = o.format.value_or("json");
        if (o.community) o.scan.community = *o.community;
        return runScan(o.scan, catalogue, env);
    }
    const auto r = request(o, catalogue, env.err);
    if (!r) return kExitUsage;
    if (o.hosts) return runBatchCommand(*r, *o.hosts, o.jobs, catalogue, env);

    StreamSink sink(env.err);
    // A malformed HOST:PORT or a value no write could store is bad input like a bad file:
    // told before anything is sent.
    if (auto problem = refusedBeforeSending(*r, r->base, catalogue)) {
        sink.show(MessageKind::Error, *problem);
        return kExitUsage;
    }
    auto operations = env.makeOperations(sink, catalogue);
    if (o.command == "firmware") return runFirmware(o, *r, *operations, sink, catalogue, env);
    return runSingle(o, *r, *operations, sink, catalogue, env);
}

} // namespace varnadex
