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
    "  --agents N             N SNMP agents (1-1024) on consecutive addresses from the --snmp\n"
    "                         one, all on its port, each with its own memory and MAC address\n"
    "  --no-snmp              no SNMP agent\n"
    "  --firmware-version M.N the version the converter reports (default 2.5 serial, 2.2 SNMP)\n"
    "  --help                 this text\n"
    "  --version              the program's version\n";

// Each agent holds a thread and three descriptors.
constexpr int kMaxAgents = 1024;

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
    std::optional<std::pair<std::uint8_t, std::uint8_t>> version;
};

int fail(const std::string& text) {
    std::fprintf(stderr, "varnadex-sim: %s\n%s", text.c_str(), kUsage);
    return 2;
}

// 0 to go on, otherwise the exit code.
int parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto needValue = [&]() {
            if (hasValue) return true;
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--version") {
            std::puts("varnadex-sim " VARNADEX_VERSION);
            return -1;
        } else if (arg == "--firmware-version" && i + 1 < argc) {
            unsigned major = 0, minor = 0;
            char tail = 0;
            if (std::sscanf(argv[++i], "%u.%u%c", &major, &minor, &tail) != 2 || major > 255 ||
                minor > 255)
                return fail(std::string("--firmware-version wants MAJOR.MINOR, not ") + argv[i]);
            o.version = {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)};
        } else if (arg == "--agents") {
            if (!needValue()) return fail(arg + " needs a value");
            const auto count = parseWord(value);
            if (!count || *count < 1 || *count > kMaxAgents)
                return fail("--agents wants 1 to " + std::to_string(kMaxAgents) + ", not " + value);
            o.agents = *count;
        } else if (arg == "--no-snmp") {
            o.snmp = false;
        } else if (arg == "--link" || arg == "--log" || arg == "--fault" || arg == "--snmp" ||
                   arg == "--snmp-community" || arg == "--image") {
            if (!needValue()) return fail(arg + " needs a value");
            if (arg == "--link") {
                o.link = value;
            } else if (arg == "--log") {
                o.logFile = value;
            } else if (arg == "--image") {
                o.imageFile = value;
            } else if (arg == "--snmp-community") {
                o.snmpCommunity = value;
            } else if (arg == "--snmp") {
                const auto colon = value.rfind(':');
                const auto port =
                    colon == std::string::npos ? std::nullopt : parseWord(value.substr(colon + 1));
                if (!port || colon == 0) return fail("--snmp wants ADDR:PORT, not " + value);
                o.snmpAddress = value.substr(0, colon);
                o.snmpPort = *port;
            } else {
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
            }
        } else {
            return fail("unknown option " + arg);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (int code = parse(argc, argv, options)) return code < 0 ? 0 : code;

    // Blocked before any thread starts, so that only sigwait below ever takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimLog log;
    std::FILE* logStream = nullptr;
    if (options.logFile == "-") {
        log.setStream(stdout);
    } else if (!options.logFile.empty()) {
        logStream = std::fopen(options.logFile.c_str(), "w");
        if (!logStream) return fail("cannot write the log file " + options.logFile);
        log.setStream(logStream);
    }

    RegisterMemory memory;
    SerialConverter serial(memory, log, options.serialFaults, options.bootFaults);
    if (!serial.start()) {
        std::fprintf(stderr, "varnadex-sim: no pseudo-terminal to be had\n");
        return 1;
    }
    if (!options.link.empty() && !serial.keepLink(options.link)) {
        std::fprintf(stderr, "varnadex-sim: cannot make the link %s\n", options.link.c_str());
        return 1;
    }
    std::printf("serial %s\n", serial.slavePath().c_str());
    std::fflush(stdout);

    SnmpFaults snmpFaults;
    snmpFaults.community = options.snmpCommunity;
    for (const auto& fault : options.otherFaults) {
        if (applySnmpFault(fault, snmpFaults) != FaultParse::Applied) {
            serial.stop();
            return fail("unknown or malformed fault " + fault);
        }
    }
    SnmpFleet fleet(log, snmpFaults);
    if (options.snmp && options.agents > 1) {
        // A fleet of converters of its own; the serial side stays a converter apart.
        const auto first = parseIpv4Address(options.snmpAddress);
        if (!first) {
            serial.stop();
            return fail("--agents wants a numeric IPv4 --snmp address, not " + options.snmpAddress);
        }
        if (!fleet.start(*first, options.snmpPort, options.agents)) {
            serial.stop();
            std::fprintf(stderr, "varnadex-sim: cannot listen on %d addresses from %s:%u\n",
                         options.agents, options.snmpAddress.c_str(), unsigned(options.snmpPort));
            return 1;
        }
        if (options.version) fleet.setVersion(options.version->first, options.version->second);
        std::printf("snmp %s:%u x%d\n", options.snmpAddress.c_str(), unsigned(fleet.port()),
                    options.agents);
        std::fflush(stdout);
        options.snmp = false;
    }
    SnmpAgent agent(memory, log, snmpFaults);
    if (options.version) {
        serial.setVersion(options.version->first, options.version->second);
        agent.setVersion(options.version->first, options.version->second);
    }
    if (options.snmp) {
        if (!agent.start(options.snmpAddress, options.snmpPort)) {
            serial.stop();
            std::fprintf(stderr, "varnadex-sim: cannot listen on %s:%u\n",
                         options.snmpAddress.c_str(), unsigned(options.snmpPort));
            return 1;
        }
        std::printf("snmp %s:%u\n", options.snmpAddress.c_str(), unsigned(agent.port()));
        std::fflush(stdout);
    }

    int signal = 0;
    sigwait(&stopSignals, &signal);
    agent.stop();
    fleet.stop();
    serial.stop();
    if (logStream) std::fclose(logStream);
    if (!options.imageFile.empty()) {
        // The bytes themselves, for a script to compare with what was meant to be sent.
        const auto image = serial.receivedImage();
        std::FILE* out = std::fopen(options.imageFile.c_str(), "wb");
        if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() ||
            std::fclose(out) != 0) {
            std::fprintf(stderr, "varnadex-sim: cannot write the image file %s\n",
                         options.imageFile.c_str());
            return 1;
        }
    }
    return 0;
}
