#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "operations/Operations.h"
#include "config/ConverterConfig.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace varnadex {

enum class JobStatus {
    Ok,
    Changed,   // apply wrote the configuration and it took
    Unchanged, // apply found nothing to write
    Failed,    // the operation's messages say why
};

struct JobResult {
    JobStatus status = JobStatus::Failed;
    // What the converter held: after read, and as first read by diff, apply and set.
    ConverterConfig converter;
    // diff: the fields that differ. A failed verify: the fields that did not take.
    std::vector<std::string> fields;
};

enum class JobKind { Read, Write, WriteVerified, Diff, Apply, Set, Reset };

// FIELD=VALUE, as set gives them.
using FieldAssignment = std::pair<std::string, std::string>;

// The work on one converter that a fleet needs, made of Read Conf and Write Conf over one
// operations object. Records carry their access settings; comparisons are those of
// differingFields, with the record's enableMac. Bad input is the caller's to refuse first.
class ConverterJobs {
public:
    ConverterJobs(IOperations& operations, IMessageSink& sink, const MessageCatalogue& catalogue)
        : operations_(operations), sink_(sink), catalogue_(catalogue) {}

    JobResult read(const ConverterConfig& target);
    // Ok either way; `fields` lists what differs from `wanted`.
    JobResult diff(const ConverterConfig& wanted);
    // The normal Write Conf; with `verify` the converter is read back and every field that
    // did not take fails the job.
    JobResult write(ConverterConfig wanted, bool verify);
    // Writes (and verifies) only when the converter differs from `wanted`.
    JobResult apply(const ConverterConfig& wanted);
    // Reads the converter, changes the named fields, writes the whole record and verifies.
    JobResult set(const ConverterConfig& target, const std::vector<FieldAssignment>& assignments);
    JobResult reset(ConverterConfig target);

    // One of the above; `assignments` serve Set only.
    JobResult run(JobKind kind, const ConverterConfig& target,
                  const std::vector<FieldAssignment>& assignments = {});

    // Called with true as a write to the converter begins and with false once it has ended,
    // whatever its outcome: from then to now the converter may hold part of a configuration.
    void onWriting(std::function<void(bool)> hook) { writing_ = std::move(hook); }

private:
    IOperations& operations_;
    IMessageSink& sink_;
    const MessageCatalogue& catalogue_;
    std::function<void(bool)> writing_;
};

} // namespace varnadex
