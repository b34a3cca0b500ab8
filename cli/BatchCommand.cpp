#include "cli/BatchCommand.h"

#include "operations/Batch.h"
#include "operations/HostList.h"
#include "cli/Report.h"
#include "config/ConfigFile.h"
#include "config/ConfigProcedures.h"
#include "config/Fields.h"
#include "platform/FileIo.h"
#include "snmp/SnmpSocket.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>

namespace varnadex {
namespace {

using json = nlohmann::ordered_json;

// A list of converters larger than this is no list: a device or a runaway pipe.
constexpr std::size_t kHostListLimit = 16 << 20;

class QuietSink : public IMessageSink {
public:
    void show(MessageKind, const std::string&) override {}
};

struct Converter {
    HostEntry entry;
    ConverterConfig target;
    std::vector<FieldAssignment> assignments;
    JobResult result;
    std::string messages;
    std::string label; // "  HOST\n", as an exit forced by a signal names it
};

// The commands whose record is written or compared, and so must be one a write could store.
bool checksRecord(JobKind kind) {
    return kind == JobKind::Write || kind == JobKind::WriteVerified || kind == JobKind::Apply ||
           kind == JobKind::Diff || kind == JobKind::Set;
}

// One converter's line on standard output. A port is a device path, which may hold any bytes:
// it is shown escaped, so that the line stays valid UTF-8 whatever the list held.
std::string lineFor(const Converter& c, JobKind kind) {
    json line;
    line[c.entry.serial ? "port" : "host"] = escapedValue(c.entry.address);
    line["status"] = statusWord(c.result.status);
    if (c.result.status == JobStatus::Failed)
        line["error"] = c.messages.empty() ? std::string("failed") : c.messages;
    else if (kind == JobKind::Read)
        line["config"] = json::parse(configToJson(c.result.converter));
    else if (kind == JobKind::Diff)
        line["differences"] = differencesJson(c.result, c.target);
    return line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

// What names one converter, however the list spells it: the address and port a host resolves
// to, or the device a port is (a link followed to its end).
std::string converterKey(const HostEntry& entry, const CliEnvironment& env) {
    if (entry.serial) {
        std::error_code ec;
        const auto device = std::filesystem::canonical(entry.address, ec);
        return "port " + (ec ? entry.address : device.string());
    }
    const auto address = splitAgentHost(entry.address);
    if (!address) return "host " + entry.address;
    const auto found = env.resolve ? env.resolve(address->host) : std::vector<Ipv4Address>{};
    std::string host = found.empty() ? address->host : formatIpv4Address(found.front());
    // A name that does not resolve fails at its turn; spelt twice it is still one converter.
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return "host " + host + ":" + std::to_string(address->port);
}

// The summary on standard error, in the run's language.
std::string summary(const std::vector<Converter>& converters, std::size_t started, JobKind kind,
                    const MessageCatalogue& catalogue, std::size_t& failed, std::size_t& differ) {
    std::size_t counts[4] = {};
    failed = differ = 0;
    for (std::size_t i = 0; i < started; ++i) {
        const JobResult& result = converters[i].result;
        ++counts[static_cast<int>(result.status)];
        if (!result.fields.empty() && result.status != JobStatus::Failed) ++differ;
    }
    failed = counts[static_cast<int>(JobStatus::Failed)];
    std::string text = catalogue.extra(ExtraMsg::BatchCount, std::to_string(converters.size()));
    const std::pair<JobStatus, ExtraMsg> words[] = {
        {JobStatus::Ok, ExtraMsg::BatchOk},
        {JobStatus::Changed, ExtraMsg::BatchChanged},
        {JobStatus::Unchanged, ExtraMsg::BatchUnchanged},
        {JobStatus::Failed, ExtraMsg::BatchFailed}};
    const char* separator = ": ";
    for (const auto& [status, word] : words) {
        if (counts[static_cast<int>(status)] == 0) continue;
        text += separator + catalogue.extra(word, std::to_string(counts[static_cast<int>(status)]));
        separator = ", ";
    }
    if (kind == JobKind::Diff)
        text += ", " + catalogue.extra(ExtraMsg::BatchDiffer, std::to_string(differ));
    if (started < converters.size())
        text += "; " + catalogue.extra(ExtraMsg::BatchNotStarted,
                                       std::to_string(converters.size() - started));
    return text;
}

} // namespace

std::optional<std::string> refusedBeforeSending(const CommandRequest& request,
                                                const ConverterConfig& target,
                                                const MessageCatalogue& catalogue) {
    if (target.accessMode == 1)
        if (auto refused = refuseAgentAccess(target.agentHost, target.accessCommunity, catalogue))
            return refused;
    if (!checksRecord(request.kind)) return std::nullopt;
    // set checks its values on the defaults: what the converter holds is not known yet.
    ConverterConfig checked = target;
    for (const auto& [name, value] : request.assignments) {
        const Field* field = findField(name);
        if (field && uses(*field, OnlyWithMac) && !target.enableMac)
            return catalogue.say(Problem(ExtraMsg::MacNeedsEnable, {field->name}));
        if (auto refused = setField(checked, name, value)) return catalogue.say(*refused);
    }
    QuietSink quiet;
    return ConfigProcedures(quiet, catalogue).checkWritable(checked);
}

int runBatchCommand(const CommandRequest& request, const std::string& hostsFile, unsigned jobs,
                    const MessageCatalogue& catalogue, CliEnvironment& env) {
    const auto refuse = [&](const std::string& why) {
        env.err << "varnadex-cli: " << echoedValue(hostsFile) << ": " << why << "\n";
        return kExitUsage;
    };
    const FileRead file = readInputFile(hostsFile, kHostListLimit);
    if (!file.content) {
        env.err << "varnadex-cli: "
                << catalogue.extra(ExtraMsg::ConfigFileUnreadable, hostsFile, file.error) << "\n";
        return kExitUsage;
    }
    HostList list = parseHostList(*file.content);
    if (list.problem) return refuse(catalogue.say(*list.problem));

    // Every converter's record is made and checked before the first one is touched.
    std::vector<Converter> converters;
    std::map<std::string, std::size_t> seen; // converter key: its index
    for (auto& entry : list.entries) {
        Converter c{std::move(entry), request.base, request.assignments, {}, {}, {}};
        if (auto refused = applyHostEntry(c.entry, c.target))
            return refuse(catalogue.say(*refused));
        if (request.kind == JobKind::Set) {
            // The list's values are this converter's part of the change.
            for (const auto& [name, value] : c.entry.cells)
                if (name != "community") c.assignments.emplace_back(name, value);
        }
        CommandRequest own = request;
        own.assignments = c.assignments;
        if (auto problem = refusedBeforeSending(own, c.target, catalogue))
            return refuse(
                catalogue.extra(ExtraMsg::ListLine, std::to_string(c.entry.line), *problem));
        // Two jobs on one converter at once would mix their registers.
        const auto [at, fresh] = seen.emplace(converterKey(c.entry, env), converters.size());
        if (!fresh) {
            const Converter& first = converters[at->second];
            return refuse(
                catalogue.say(onLine(c.entry.line, {ExtraMsg::ListSameConverter,
                                                    {c.entry.address, first.entry.address,
                                                     std::to_string(first.entry.line)}})));
        }
        c.label = "  " + escapedValue(c.entry.address) + "\n";
        converters.push_back(std::move(c));
    }

    // Each converter in flight holds a descriptor; more than the limit allows would fail
    // converters for this machine's sake.
    const unsigned fitted = env.fitJobs ? env.fitJobs(jobs) : jobs;
    if (fitted < jobs && converters.size() > fitted)
        env.err << "varnadex-cli: "
                << catalogue.extra(ExtraMsg::JobsLowered, std::to_string(jobs),
                                   std::to_string(fitted))
                << "\n";

    // No new converter starts once the user asks to stop or standard output is gone; the ones
    // in flight always finish.
    bool outputLost = false;
    const auto stopping = [&] {
        return outputLost || (env.interruption && env.interruption->requested());
    };
    const std::size_t started = runBatch(
        converters.size(), std::min(fitted, jobs), stopping,
        [&](std::size_t i) {
            Converter& c = converters[i];
            CollectingSink sink;
            // Nothing thrown may end the program while other converters are being written.
            try {
                // Its own operations, so its own socket or port: converters never share one.
                auto operations = env.makeOperations(sink, catalogue);
                ConverterJobs converterJobs(*operations, sink, catalogue);
                int slot = -1;
                if (env.stopReport)
                    converterJobs.onWriting([&](bool writing) {
                        if (writing)
                            slot = env.stopReport->beginWriting(c.label);
                        else
                            env.stopReport->endWriting(std::exchange(slot, -1));
                    });
                c.result = converterJobs.run(request.kind, c.target, c.assignments);
            } catch (const std::exception& e) {
                c.result.status = JobStatus::Failed;
                sink.show(MessageKind::Error, e.what());
            }
            c.messages = sink.text();
        },
        [&](std::size_t i) {
            if (outputLost) return;
            std::string line;
            try {
                line = lineFor(converters[i], request.kind);
            } catch (const std::exception& e) {
                line = json{{"status", "failed"}, {"error", escapedValue(e.what())}}.dump() + "\n";
            }
            // One piece, flushed: the line reaches standard output whole or not at all.
            if (!(env.out << line << std::flush)) outputLost = true;
        });

    std::size_t failed = 0, differ = 0;
    env.err << "varnadex-cli: "
            << summary(converters, started, request.kind, catalogue, failed, differ) << "\n";
    if (outputLost)
        env.err << "varnadex-cli: " << catalogue.extra(ExtraMsg::OutputLost, env.outputFailure())
                << "\n";
    env.err << std::flush;

    if (env.interruption && env.interruption->requested()) return 128 + env.interruptSignal();
    if (outputLost || failed > 0) return kExitFailed;
    return differ > 0 ? kExitDiffers : kExitOk;
}

} // namespace varnadex
