#include "cli/Report.h"

#include "config/ConfigFile.h"

namespace varnadex {
namespace {

using json = nlohmann::ordered_json;

} // namespace

const char* statusWord(JobStatus status) {
    switch (status) {
    case JobStatus::Ok:
        return "ok";
    case JobStatus::Changed:
        return "changed";
    case JobStatus::Unchanged:
        return "unchanged";
    case JobStatus::Failed:
        return "failed";
    }
    return "failed";
}

json differencesJson(const JobResult& result, const ConverterConfig& wanted) {
    // The values as a configuration file holds them, so they read as the file does.
    const json onConverter = json::parse(configToJson(result.converter));
    const json inFile = json::parse(configToJson(wanted));
    json out = json::array();
    for (const auto& field : result.fields)
        out.push_back(
            {{"field", field}, {"converter", onConverter[field]}, {"file", inFile[field]}});
    return out;
}

std::string differencesText(const JobResult& result, const ConverterConfig& wanted) {
    auto plain = [](const json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); };
    std::string out;
    for (const auto& d : differencesJson(result, wanted))
        out += plain(d["field"]) + ": " + plain(d["converter"]) + " on the converter, " +
               plain(d["file"]) + " in the file\n";
    return out;
}

void CollectingSink::show(MessageKind kind, const std::string& text) {
    if (kind == MessageKind::Plain) return;
    text_ += (text_.empty() ? "" : " ") + text;
}

} // namespace varnadex
