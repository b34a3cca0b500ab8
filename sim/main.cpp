// varnadex-sim: a converter on a pseudo-terminal, for tests and demonstrations.
//
// The first lines on stdout say where it can be reached, one per side, for scripts to read:
//   serial /dev/pts/5
//   snmp 127.0.0.1:40161
// With --agents N (N > 1) the SNMP line names the first agent and the count:
//   snmp 127.1.0.1:16161 x256
// It then runs until SIGINT or SIGTERM.

#include "app/Version.h"
#include "config/FieldText.h"
#include "sim/BootFaults.h"
#include "sim/RegisterMemory.h"
#include "sim/SerialConverter.h"
#include "sim/SerialFaults.h"
#include "sim/SimLog.h"
#include "sim/SnmpAgent.h"
#include "sim/SnmpFaults.h"
#include "sim/SnmpFleet.h"
#include "sim/SnmpLink.h"
#include "sim/SnmpLoop.h"

#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <pthread.h>

namespace {

using namespace varnadex;
using namespace varnadex::sim;

const char kUsage[] =
    "usage: varnadex-sim [options]\n"
    "  --link PATH            keep PATH as a symbolic link to the serial side's pty\n"
    "  --fault NAME[=N]       misbehave; repeatable. Serial: silent, silent-from=N, not-o,\n"
    "                         split=MS, extra, stale, slow=MS. SNMP: snmp-silent,\n"
    "                         snmp-answer-attempt=N, snmp-late[=MS], snmp-wrong-id,\n"
    "                         snmp-error-status, snmp-short-form, snmp-oversized,\n"
    "                         snmp-oversized-first (an oversized datagram before each answer).\n"
    "                         Restart and firmware loader: reset-reply=TEXT (the answer to\n"
    "                         RESET), boot (start in the loader), boot-v=HEX (the answer to\n"
    "                         'V'), boot-v-one-byte, boot-v-silent, boot-checkpoint-e=N,\n"
    "                         boot-checkpoint-late=MS (each checkpoint answered 'O', late),\n"
    "                         boot-checkpoint-flood=N (each checkpoint answered N 'O's),\n"
    "                         boot-final=TEXT|none (the verdict on an image; 'O' otherwise),\n"
    "                         boot-image-size=N (judge the image after N bytes, not after\n"
    "                         1.5 s of quiet)\n"
    "  --log FILE             write one line per frame or request to FILE ('-': stdout)\n"
    "  --image FILE           on the way out, write the firmware image the loader received\n"
    "  --snmp ADDR:PORT       where the SNMP agent listens (port 0: any free port)\n"
    "  --snmp-community TEXT  the community the SNMP agent accepts\n"
    "  --agents N             N SNMP agents (1-4096) on consecutive addresses from the --snmp\n"
    "                         one, all on its port, each with its own memory and MAC address\n"
    "  --link-delay MS        the SNMP side's network adds MS (0-60000) to each round trip:\n"
    "                         half to the request on its way in, half to the answer\n"
    "  --link-jitter MS       each datagram's half of the delay varies by up to MS either\n"
    "                         way (0-60000), never below zero\n"
    "  --link-loss PERCENT    each datagram is lost with this chance (0-100, such as 2.5),\n"
    "                         each way on its own; a request lost changes nothing\n"
    "  --link-seed N          the seed of the link's losses and jitter (default 1): the same\n"
    "                         seed, options and traffic lose the same datagrams\n"
    "  --no-snmp              no SNMP agent\n"
    "  --firmware-version M.N the version the converter reports (default 2.5 serial, 2.2 SNMP)\n"
    "  --help                 this text\n"
    "  --version              the program's version\n";

// One thread serves them all, each agent with one socket.
constexpr int kMaxAgents = 4096;
// As for "snmp-late": a minute is longer than any program waits.
constexpr int kMaxLinkMs = 60000;

struct Options {
    std::string link;
    std::string logFile;
    std::string imageFile;
    SerialFaults serialFaults;
    BootFaults bootFaults;
    std::vector<std::string> otherFaults; // not the serial side's: the SNMP agent's
    std::string snmpAddress = "127.0.0.1";
    std::uint16_t snmpPort = 0;
    std::string snmpCommunity = "kelvin";
    bool snmp = true;
    int agents = 1;
    LinkSettings network;
    std::optional<std::pair<std::uint8_t, std::uint8_t>> version;
};

int fail(const std::string& text) {
    std::fprintf(stderr, "varnadex-sim: %s\n%s", text.c_str(), kUsage);
    return 2;
}

// --- the command line ------------------------------------------------------------------------

bool takesValue(const std::string& arg) {
    static const char* const kNames[] = {
        "--link",           "--log",         "--fault",     "--snmp",
        "--snmp-community", "--image",       "--agents",    "--firmware-version",
        "--link-delay",     "--link-jitter", "--link-loss", "--link-seed"};
    for (const char* name : kNames)
        if (arg == name) return true;
    return false;
}

int takeVersion(const std::string& value, Options& o) {
    unsigned major = 0, minor = 0;
    char tail = 0;
    if (std::sscanf(value.c_str(), "%u.%u%c", &major, &minor, &tail) != 2 || major > 255 ||
        minor > 255)
        return fail("--firmware-version wants MAJOR.MINOR, not " + value);
    o.version = {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)};
    return 0;
}

int takeAgents(const std::string& value, Options& o) {
    const auto count = parseWord(value);
    if (!count || *count < 1 || *count > kMaxAgents)
        return fail("--agents wants 1 to " + std::to_string(kMaxAgents) + ", not " + value);
    o.agents = *count;
    return 0;
}

int takeSnmpAddress(const std::string& value, Options& o) {
    const auto colon = value.rfind(':');
    const auto port =
        colon == std::string::npos ? std::nullopt : parseWord(value.substr(colon + 1));
    if (!port || colon == 0) return fail("--snmp wants ADDR:PORT, not " + value);
    o.snmpAddress = value.substr(0, colon);
    o.snmpPort = *port;
    return 0;
}

int takeFault(const std::string& value, Options& o) {
    FaultParse parsed = applySerialFault(value, o.serialFaults);
    if (parsed == FaultParse::UnknownName) parsed = applyBootFault(value, o.bootFaults);
    switch (parsed) {
    case FaultParse::Applied:
        break;
    case FaultParse::BadValue:
        return fail("bad value in --fault " + value);
    case FaultParse::UnknownName:
        o.otherFaults.push_back(value);
        break;
    }
    return 0;
}

// Digits with at most one point among them: no sign, exponent or "nan" gets through.
std::optional<double> parsePercent(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || value > 100.0)
        return std::nullopt;
    return value;
}

int takeLinkOption(const std::string& arg, const std::string& value, LinkSettings& link) {
    if (arg == "--link-loss") {
        const auto percent = parsePercent(value);
        if (!percent) return fail("--link-loss wants a percentage from 0 to 100, not " + value);
        link.lossPercent = *percent;
    } else if (arg == "--link-seed") {
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), link.seed);
        if (value.empty() || error != std::errc() || end != value.data() + value.size())
            return fail("--link-seed wants a whole number, not " + value);
    } else {
        const auto ms = parseWord(value);
        if (!ms || *ms > kMaxLinkMs)
            return fail(arg + " wants 0 to " + std::to_string(kMaxLinkMs) + " ms, not " + value);
        (arg == "--link-delay" ? link.delayMs : link.jitterMs) = *ms;
    }
    return 0;
}

// 0 to go on, otherwise the exit code.
int takeValue(const std::string& arg, const std::string& value, Options& o) {
    if (arg == "--link") {
        o.link = value;
    } else if (arg == "--log") {
        o.logFile = value;
    } else if (arg == "--image") {
        o.imageFile = value;
    } else if (arg == "--snmp-community") {
        o.snmpCommunity = value;
    } else if (arg == "--snmp") {
        return takeSnmpAddress(value, o);
    } else if (arg == "--agents") {
        return takeAgents(value, o);
    } else if (arg == "--firmware-version") {
        return takeVersion(value, o);
    } else if (arg == "--fault") {
        return takeFault(value, o);
    } else {
        return takeLinkOption(arg, value, o.network);
    }
    return 0;
}

// 0 to go on, -1 to end well at once, otherwise the exit code.
int parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> value;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--version") {
            std::puts("varnadex-sim " VARNADEX_VERSION);
            return -1;
        } else if (arg == "--no-snmp") {
            o.snmp = false;
            continue;
        } else if (!takesValue(arg)) {
            return fail("unknown option " + arg);
        }
        if (!value) {
            if (i + 1 >= argc) return fail(arg + " needs a value");
            value = argv[++i];
        }
        if (int code = takeValue(arg, *value, o)) return code;
    }
    return 0;
}

// --- the run ---------------------------------------------------------------------------------

// Blocked before any thread starts, so that only sigwait ever takes them.
sigset_t blockStopSignals() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return stopSignals;
}

// False when the file cannot be written; `stream` is then left for the caller to close.
bool openLog(const std::string& file, SimLog& log, std::FILE*& stream) {
    if (file == "-") {
        log.setStream(stdout);
    } else if (!file.empty()) {
        stream = std::fopen(file.c_str(), "w");
        if (!stream) return false;
        log.setStream(stream);
    }
    return true;
}

// The serial side is stopped before the simulator says why it cannot go on.
int failAfter(SerialConverter& serial, const std::string& text) {
    serial.stop();
    return fail(text);
}

int cannotAfter(SerialConverter& serial, const std::string& text) {
    serial.stop();
    std::fprintf(stderr, "varnadex-sim: %s\n", text.c_str());
    return 1;
}

int startSerial(SerialConverter& serial, const Options& o) {
    if (!serial.start()) {
        std::fprintf(stderr, "varnadex-sim: no pseudo-terminal to be had\n");
        return 1;
    }
    if (!o.link.empty() && !serial.keepLink(o.link)) {
        std::fprintf(stderr, "varnadex-sim: cannot make the link %s\n", o.link.c_str());
        return 1;
    }
    std::printf("serial %s\n", serial.slavePath().c_str());
    std::fflush(stdout);
    return 0;
}

int snmpFaultsOf(const Options& o, SnmpFaults& faults, SerialConverter& serial) {
    faults.community = o.snmpCommunity;
    for (const auto& fault : o.otherFaults) {
        if (applySnmpFault(fault, faults) != FaultParse::Applied)
            return failAfter(serial, "unknown or malformed fault " + fault);
    }
    return 0;
}

// A fleet of converters of its own; the serial side stays a converter apart.
int startFleet(SnmpFleet& fleet, const Options& o, SerialConverter& serial) {
    const auto first = parseIpv4Address(o.snmpAddress);
    if (!first)
        return failAfter(serial,
                         "--agents wants a numeric IPv4 --snmp address, not " + o.snmpAddress);
    const auto room = makeRoomForSockets(static_cast<std::size_t>(o.agents));
    if (!room.enough)
        return cannotAfter(
            serial, std::to_string(o.agents) + " agents need " + std::to_string(room.needed) +
                        " open files, more than the hard limit of " + std::to_string(room.limit) +
                        " (ulimit -Hn): raise it or run fewer agents");
    fleet.setLink(o.network);
    if (!fleet.start(*first, o.snmpPort, o.agents))
        return cannotAfter(serial, "cannot listen on " + std::to_string(o.agents) +
                                       " addresses from " + o.snmpAddress + ":" +
                                       std::to_string(o.snmpPort));
    if (o.version) fleet.setVersion(o.version->first, o.version->second);
    std::printf("snmp %s:%u x%d\n", o.snmpAddress.c_str(), unsigned(fleet.port()), o.agents);
    std::fflush(stdout);
    return 0;
}

int startAgent(SnmpAgent& agent, const Options& o, SerialConverter& serial) {
    agent.setLink(o.network);
    if (!agent.start(o.snmpAddress, o.snmpPort))
        return cannotAfter(serial,
                           "cannot listen on " + o.snmpAddress + ":" + std::to_string(o.snmpPort));
    std::printf("snmp %s:%u\n", o.snmpAddress.c_str(), unsigned(agent.port()));
    std::fflush(stdout);
    return 0;
}

// The bytes themselves, for a script to compare with what was meant to be sent.
int writeImage(const std::string& file, const std::vector<std::uint8_t>& image) {
    if (file.empty()) return 0;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "varnadex-sim: cannot write the image file %s\n", file.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (int code = parse(argc, argv, options)) return code < 0 ? 0 : code;
    const sigset_t stopSignals = blockStopSignals();

    SimLog log;
    std::FILE* logStream = nullptr;
    if (!openLog(options.logFile, log, logStream))
        return fail("cannot write the log file " + options.logFile);

    RegisterMemory memory;
    SerialConverter serial(memory, log, options.serialFaults, options.bootFaults);
    // Before the start: the serial side answers as soon as its line is printed.
    if (options.version) serial.setVersion(options.version->first, options.version->second);
    if (int code = startSerial(serial, options)) return code;

    SnmpFaults snmpFaults;
    if (int code = snmpFaultsOf(options, snmpFaults, serial)) return code;
    SnmpFleet fleet(log, snmpFaults);
    SnmpAgent agent(memory, log, snmpFaults);
    if (options.version) agent.setVersion(options.version->first, options.version->second);
    if (options.snmp) {
        const int code = options.agents > 1 ? startFleet(fleet, options, serial)
                                            : startAgent(agent, options, serial);
        if (code) return code;
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    agent.stop();
    fleet.stop();
    serial.stop();
    if (logStream) std::fclose(logStream);
    return writeImage(options.imageFile, serial.receivedImage());
}
