#include "cli/BatchCommand.h"

#include "cli/Report.h"
#include "config/ConfigFile.h"
#include "operations/Batch.h"
#include "operations/HostList.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <optional>
#include <ostream>

namespace varnadex {
namespace {

using json = nlohmann::ordered_json;

// A list of converters larger than this is no list: a device or a runaway pipe.
constexpr std::size_t kHostListLimit = 16 << 20;

struct Converter {
    PlannedConverter plan;
    JobResult result;
    std::string messages;
    std::string label; // "  HOST\n", as an exit forced by a signal names it
};

// One converter's line on standard output. A port is a device path, which may hold any bytes:
// it is shown escaped, so that the line stays valid UTF-8 whatever the list held.
std::string lineFor(const Converter& c, JobKind kind) {
    json line;
    line[c.plan.entry.serial ? "port" : "host"] = escapedValue(c.plan.entry.address);
    line["status"] = statusWord(c.result.status);
    if (c.result.status == JobStatus::Failed) {
        line["error"] = c.messages.empty() ? std::string("failed") : c.messages;
        // What a failed write left: the fields the converter took.
        if (!c.result.written.empty()) line["written"] = c.result.written;
    } else if (kind == JobKind::Read) {
        line["config"] = json::parse(configToJson(c.result.converter));
    } else if (kind == JobKind::Diff) {
        line["differences"] = differencesJson(c.result, c.plan.target);
    }
    return line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

struct Tally {
    std::size_t counts[4] = {};
    std::size_t differ = 0;
    std::size_t failed() const { return counts[static_cast<int>(JobStatus::Failed)]; }
};

Tally tally(const std::vector<Converter>& converters, std::size_t started) {
    Tally t;
    for (std::size_t i = 0; i < started; ++i) {
        const JobResult& result = converters[i].result;
        ++t.counts[static_cast<int>(result.status)];
        if (!result.fields.empty() && result.status != JobStatus::Failed) ++t.differ;
    }
    return t;
}

// The summary on standard error, in the run's language.
std::string summary(const Tally& t, std::size_t converters, std::size_t started, JobKind kind,
                    const MessageCatalogue& catalogue) {
    std::string text = catalogue.extra(ExtraMsg::BatchCount, std::to_string(converters));
    const std::pair<JobStatus, ExtraMsg> words[] = {
        {JobStatus::Ok, ExtraMsg::BatchOk},
        {JobStatus::Changed, ExtraMsg::BatchChanged},
        {JobStatus::Unchanged, ExtraMsg::BatchUnchanged},
        {JobStatus::Failed, ExtraMsg::BatchFailed}};
    const char* separator = ": ";
    for (const auto& [status, word] : words) {
        const std::size_t n = t.counts[static_cast<int>(status)];
        if (n == 0) continue;
        text += separator + catalogue.extra(word, std::to_string(n));
        separator = ", ";
    }
    if (kind == JobKind::Diff)
        text += ", " + catalogue.extra(ExtraMsg::BatchDiffer, std::to_string(t.differ));
    if (started < converters)
        text +=
            "; " + catalogue.extra(ExtraMsg::BatchNotStarted, std::to_string(converters - started));
    return text;
}

// Every converter's record made and checked before the first one is touched; nothing, after
// saying why, when the list is refused.
std::optional<std::vector<Converter>> plan(const JobRequest& request, const std::string& hostsFile,
                                           const MessageCatalogue& catalogue, CliEnvironment& env) {
    const FileRead file = readInputFile(hostsFile, kHostListLimit);
    if (!file.content) {
        env.err << "varnadex-cli: "
                << catalogue.extra(ExtraMsg::ConfigFileUnreadable, hostsFile, file.error) << "\n";
        return std::nullopt;
    }
    auto planned = planList(request, *file.content, catalogue, env.resolve);
    if (const auto* why = std::get_if<std::string>(&planned)) {
        env.err << "varnadex-cli: " << echoedValue(hostsFile) << ": " << *why << "\n";
        return std::nullopt;
    }
    std::vector<Converter> converters;
    for (auto& p : std::get<std::vector<PlannedConverter>>(planned)) {
        const std::string label = "  " + escapedValue(p.entry.address) + "\n";
        converters.push_back({std::move(p), {}, {}, label});
    }
    return converters;
}

// One converter's job, with its own operations (its own socket or port) and messages. Nothing
// thrown may end the program while other converters are being written.
void runOne(Converter& c, JobKind kind, const MessageCatalogue& catalogue, CliEnvironment& env) {
    CollectingSink sink;
    try {
        auto operations = env.makeOperations(sink, catalogue);
        ConverterJobs jobs(*operations, sink, catalogue);
        int slot = -1;
        if (env.stopReport)
            jobs.onWriting([&](bool writing) {
                if (writing)
                    slot = env.stopReport->beginWriting(c.label);
                else
                    env.stopReport->endWriting(std::exchange(slot, -1));
            });
        c.result = jobs.run(kind, c.plan.target, c.plan.assignments);
    } catch (const std::exception& e) {
        c.result.status = JobStatus::Failed;
        sink.show(MessageKind::Error, e.what());
    }
    c.messages = sink.text();
}

// The line of one converter that ended, whole or not at all; false once standard output is
// gone.
bool writeLine(const Converter& c, JobKind kind, CliEnvironment& env) {
    std::string line;
    try {
        line = lineFor(c, kind);
    } catch (const std::exception& e) {
        line = json{{"status", "failed"}, {"error", escapedValue(e.what())}}.dump() + "\n";
    }
    return static_cast<bool>(env.out << line << std::flush);
}

} // namespace

int runBatchCommand(const JobRequest& request, const std::string& hostsFile, unsigned jobs,
                    const MessageCatalogue& catalogue, CliEnvironment& env) {
    auto planned = plan(request, hostsFile, catalogue, env);
    if (!planned) return kExitUsage;
    std::vector<Converter>& converters = *planned;

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
        [&](std::size_t i) { runOne(converters[i], request.kind, catalogue, env); },
        [&](std::size_t i) {
            if (!outputLost && !writeLine(converters[i], request.kind, env)) outputLost = true;
        });

    const Tally t = tally(converters, started);
    env.err << "varnadex-cli: " << summary(t, converters.size(), started, request.kind, catalogue)
            << "\n";
    if (outputLost)
        env.err << "varnadex-cli: " << catalogue.extra(ExtraMsg::OutputLost, env.outputFailure())
                << "\n";
    env.err << std::flush;

    if (env.interruption && env.interruption->requested()) return 128 + env.interruptSignal();
    if (outputLost || t.failed() > 0) return kExitFailed;
    return t.differ > 0 ? kExitDiffers : kExitOk;
}

} // namespace varnadex
