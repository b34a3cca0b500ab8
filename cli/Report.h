#pragma once

#include "operations/ConverterJobs.h"
#include "app/MessageSink.h"

#include <nlohmann/json.hpp>

#include <string>

namespace varnadex {

// The word a job's outcome is told with: ok, changed, unchanged or failed.
const char* statusWord(JobStatus status);

// diff's findings: each differing field with its value on the converter and in the wanted
// record. As JSON: [{"field": ..., "converter": ..., "file": ...}, ...].
nlohmann::ordered_json differencesJson(const JobResult& result, const ConverterConfig& wanted);
// One line per field: "FIELD: VALUE on the converter, VALUE in the file".
std::string differencesText(const JobResult& result, const ConverterConfig& wanted);

// The messages of one converter's job in a batch, for its line's "error": the failures and
// the reasons noted with them, since "Done" and notices belong to a single run.
class CollectingSink : public IMessageSink {
public:
    void show(MessageKind kind, const std::string& text) override;
    void note(const std::string& text) override { show(MessageKind::Error, text); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace varnadex
