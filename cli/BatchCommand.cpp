#include "cli/BatchCommand.h"

#include "app/Batch.h"
#include "app/HostList.h"
#include "cli/Report.h"
#include "config/ConfigFile.h"
#include "config/ConfigProcedures.h"
#include "platform/FileIo.h"
#include "snmp/SnmpSocket.h"

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
};

// The commands whose record is written or compared, and so must be one a write could store.
bool checksRecord(JobKind kind) {
    return kind == JobKind::Write || kind == JobKind::WriteVerified || kind == JobKind::Apply ||
           kind == JobKind::Diff || kind == JobKind::Set;
}

json lineFor(const Converter& c, JobKind kind) {
    json line;
    line[c.entry.serial ? "port" : "host"] = c.entry.address;
    line["status"] = statusWord(c.result.status);
    if (c.result.status == JobStatus::Failed)
        line["error"] = c.messages.empty() ? std::string("failed") : c.messages;
    else if (kind == JobKind::Read)
        line["config"] = json::parse(configToJson(c.result.converter));
    else if (kind == JobKind::Diff)
        line["differences"] = differencesJson(c.result, c.target);
    return line;
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
        if (name == "macAddress" && !target.enableMac)
            return "macAddress is written only with --enable-mac";
        if (auto refused = setField(checked, name, value)) return refused;
    }
    QuietSink quiet;
    return ConfigProcedures(quiet, catalogue).checkWritable(checked);
}

int runBatchCommand(const CommandRequest& request, const std::string& hostsFile, unsigned jobs,
                    const MessageCatalogue& catalogue, CliEnvironment& env) {
    const FileRead file = readInputFile(hostsFile, kHostListLimit);
    if (!file.content) {
        env.err << "varnadex-cli: cannot read \"" << echoedValue(hostsFile) << "\": " << file.error
                << "\n";
        return kExitUsage;
    }
    HostList list = parseHostList(*file.content);
    if (!list.error.empty()) {
        env.err << "varnadex-cli: " << echoedValue(hostsFile) << ": " << list.error << "\n";
        return kExitUsage;
    }

    // Every converter's record is made and checked before the first one is touched.
    std::vector<Converter> converters;
    for (auto& entry : list.entries) {
        Converter c{std::move(entry), request.base, request.assignments, {}, {}};
        auto refused = applyHostEntry(c.entry, c.target);
        if (request.kind == JobKind::Set) {
            // The list's values are this converter's part of the change.
            for (const auto& [name, value] : c.entry.cells)
                if (name != "community") c.assignments.emplace_back(name, value);
        }
        if (!refused) {
            CommandRequest own = request;
            own.assignments = c.assignments;
            if (auto problem = refusedBeforeSending(own, c.target, catalogue))
                refused = "line " + std::to_string(c.entry.line) + ": " + *problem;
        }
        if (refused) {
            env.err << "varnadex-cli: " << echoedValue(hostsFile) << ": " << *refused << "\n";
            return kExitUsage;
        }
        converters.push_back(std::move(c));
    }

    const std::size_t started = runBatch(
        converters.size(), jobs, env.interruption,
        [&](std::size_t i) {
            Converter& c = converters[i];
            CollectingSink sink;
            // Its own operations, so its own socket or port: converters never share one.
            auto operations = env.makeOperations(sink, catalogue);
            c.result = ConverterJobs(*operations, sink, catalogue)
                           .run(request.kind, c.target, c.assignments);
            c.messages = sink.text();
        },
        [&](std::size_t i) {
            env.out << lineFor(converters[i], request.kind).dump() << '\n' << std::flush;
        });

    int counts[4] = {};
    std::size_t differ = 0;
    for (std::size_t i = 0; i < started; ++i) {
        ++counts[static_cast<int>(converters[i].result.status)];
        if (!converters[i].result.fields.empty() &&
            converters[i].result.status != JobStatus::Failed)
            ++differ;
    }
    env.err << "varnadex-cli: " << converters.size() << " converters";
    char separator = ':';
    for (JobStatus s : {JobStatus::Ok, JobStatus::Changed, JobStatus::Unchanged, JobStatus::Failed})
        if (counts[int(s)] > 0) {
            env.err << separator << ' ' << counts[int(s)] << ' ' << statusWord(s);
            separator = ',';
        }
    if (request.kind == JobKind::Diff) env.err << ", " << differ << " differ";
    if (started < converters.size())
        env.err << "; stopped, " << converters.size() - started << " not started";
    env.err << "\n" << std::flush;

    if (env.interruption && env.interruption->requested()) return 128 + env.interruptSignal();
    if (counts[int(JobStatus::Failed)] > 0) return kExitFailed;
    return differ > 0 ? kExitDiffers : kExitOk;
}

} // namespace varnadex
