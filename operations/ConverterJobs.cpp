#include "operations/ConverterJobs.h"

#include "config/ConfigCompare.h"
#include "config/ConfigFile.h"
#include "config/ConfigProcedures.h"
#include "config/Fields.h"
#include "snmp/SnmpSocket.h"

namespace varnadex {
namespace {

// The commands whose record is written or compared, and so must be one a write could store.
bool checksRecord(JobKind kind) {
    return kind == JobKind::Write || kind == JobKind::WriteVerified || kind == JobKind::Apply ||
           kind == JobKind::Diff || kind == JobKind::Set;
}

} // namespace

std::optional<std::string> refusedBeforeSending(const JobRequest& request,
                                                const ConverterConfig& target,
                                                const MessageCatalogue& catalogue) {
    if (target.accessMode == 1)
        if (auto refused = refuseAgentAccess(target.agentHost, target.accessCommunity, catalogue))
            return refused;
    if (!checksRecord(request.kind)) return std::nullopt;
    ConverterConfig checked = target;
    for (const auto& [name, value] : request.assignments) {
        const Field* field = findField(name);
        if (field && uses(*field, OnlyWithMac) && !target.enableMac)
            return catalogue.say(Problem(ExtraMsg::MacNeedsEnable, {field->name}));
        if (auto refused = setField(checked, name, value)) return catalogue.say(*refused);
    }
    return checkWritable(checked, catalogue);
}

JobResult ConverterJobs::read(const ConverterConfig& target) {
    JobResult result;
    result.converter = target;
    if (operations_.ReadConf(result.converter)) result.status = JobStatus::Ok;
    return result;
}

JobResult ConverterJobs::diff(const ConverterConfig& wanted) {
    JobResult result = read(wanted);
    if (result.status == JobStatus::Ok)
        result.fields = differingFields(result.converter, wanted, wanted.enableMac != 0);
    return result;
}

JobResult ConverterJobs::write(ConverterConfig wanted, bool verify) {
    JobResult result;
    OperationControl control = control_;
    control.fieldWritten = [&](const char* field) { result.written.emplace_back(field); };
    operations_.setControl(control);
    if (writing_) writing_(true);
    const bool written = operations_.WriteConf(wanted);
    if (writing_) writing_(false);
    operations_.setControl(control_);
    if (!written) return result;
    if (verify) {
        ConverterConfig back = wanted;
        if (!operations_.ReadConf(back)) return result;
        result.fields = differingFields(back, wanted, wanted.enableMac != 0);
        if (!result.fields.empty()) {
            std::string names;
            for (const auto& f : result.fields)
                names += (names.empty() ? "" : ", ") + f;
            sink_.show(MessageKind::Error, catalogue_.extra(ExtraMsg::VerifyFailed, {}, names));
            return result;
        }
    }
    result.status = JobStatus::Ok;
    return result;
}

JobResult ConverterJobs::apply(const ConverterConfig& wanted) {
    JobResult found = diff(wanted);
    if (found.status != JobStatus::Ok) return found;
    if (found.fields.empty()) {
        found.status = JobStatus::Unchanged;
        return found;
    }
    JobResult written = write(wanted, true);
    written.converter = found.converter;
    if (written.status == JobStatus::Ok) written.status = JobStatus::Changed;
    return written;
}

JobResult ConverterJobs::set(const ConverterConfig& target,
                             const std::vector<FieldAssignment>& assignments) {
    JobResult found = read(target);
    if (found.status != JobStatus::Ok) return found;
    ConverterConfig wanted = found.converter;
    for (const auto& [name, value] : assignments) {
        if (auto refused = setField(wanted, name, value)) {
            sink_.show(MessageKind::Error, catalogue_.say(*refused));
            found.status = JobStatus::Failed;
            return found;
        }
    }
    JobResult written = write(wanted, true);
    written.converter = found.converter;
    return written;
}

JobResult ConverterJobs::reset(ConverterConfig target) {
    JobResult result;
    result.converter = target;
    if (operations_.Reset(target)) result.status = JobStatus::Ok;
    return result;
}

JobResult ConverterJobs::run(JobKind kind, const ConverterConfig& target,
                             const std::vector<FieldAssignment>& assignments) {
    switch (kind) {
    case JobKind::Read:
        return read(target);
    case JobKind::Write:
    case JobKind::WriteVerified:
        return write(target, kind == JobKind::WriteVerified);
    case JobKind::Diff:
        return diff(target);
    case JobKind::Apply:
        return apply(target);
    case JobKind::Set:
        return set(target, assignments);
    case JobKind::Reset:
        return reset(target);
    }
    return {};
}

} // namespace varnadex
