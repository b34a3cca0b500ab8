#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "config/ConverterConfig.h"
#include "operations/Operations.h"

#include <functional>
#include <optional>
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
    // The fields the write stored whole, in the order it wrote them: on a failure, what the
    // converter took of the new configuration (nothing: it is unchanged).
    std::vector<std::string> written;
};

enum class JobKind { Read, Write, WriteVerified, Diff, Apply, Set, Reset };

// FIELD=VALUE, as set gives them.
using FieldAssignment = std::pair<std::string, std::string>;

// What is asked of a converter, or of every converter of a list.
struct JobRequest {
    JobKind kind = JobKind::Read;
    // The file's configuration (or the defaults) with the run's access settings.
    ConverterConfig base;
    std::vector<FieldAssignment> assignments; // set only
};

// What is refused before anything is sent to `target`: a malformed HOST:PORT or community,
// a value no write could store (set's assignments are checked on the defaults, as the
// converter's own values are not known yet). Why, or nothing.
std::optional<std::string> refusedBeforeSending(const JobRequest& request,
                                                const ConverterConfig& target,
                                                const MessageCatalogue& catalogue);

// The work on one converter that a fleet needs, made of Read Conf and Write Conf over one
// operations object. Records carry their access settings; comparisons are those of
// differingFields, with the record's enableMac. Bad input is the caller's to refuse first.
class ConverterJobs {
public:
    // `control` follows and stops every read and write the jobs make.
    ConverterJobs(IOperations& operations, IMessageSink& sink, const MessageCatalogue& catalogue,
                  OperationControl control = {})
        : operations_(operations), sink_(sink), catalogue_(catalogue),
          control_(std::move(control)) {
        operations_.setControl(control_);
    }

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
    OperationControl control_;
    std::function<void(bool)> writing_;
};

} // namespace varnadex
