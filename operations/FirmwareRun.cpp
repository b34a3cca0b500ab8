#include "operations/FirmwareRun.h"

#include "maintenance/FirmwareFile.h"
#include "maintenance/FirmwareUpgrade.h"

namespace varnadex {

// The timer's interval in the window: a slice a second.
constexpr Millis kTickInterval{1000};

std::optional<Problem> firmwareFileProblem(const std::string& path) {
    FirmwareFile file;
    auto problem = FirmwareUpgrade::OpenImage(file, path);
    file.close();
    return problem;
}

DownloadEnd runFirmwareDownload(
    IOperations& operations, ConverterConfig& config, const std::string& path, IClock& clock,
    const Interruption* stop, IMessageSink& sink, const MessageCatalogue& catalogue,
    const std::function<void(const FirmwareProgress&, double seconds, bool last)>& progress) {
    const auto stopped = [&] { return stop && stop->requested(); };
    if (!operations.FirmwareStart(config, path))
        return stopped() ? DownloadEnd::Interrupted : DownloadEnd::Failed;
    const Millis started = clock.now();
    for (;;) {
        if (stopped()) {
            // Between two slices: the converter's loader holds what came so far.
            operations.FirmwareAbort();
            sink.show(MessageKind::Error, catalogue.extra(ExtraMsg::FirmwareInterrupted));
            return DownloadEnd::Interrupted;
        }
        clock.sleepFor(kTickInterval);
        if (stopped()) continue;
        const bool more = operations.FirmwareTick();
        const double seconds = static_cast<double>((clock.now() - started).count()) / 1000.0;
        if (progress) progress(operations.firmwareProgress(), seconds, !more);
        if (!more)
            return operations.firmwareSucceeded() ? DownloadEnd::Succeeded : DownloadEnd::Failed;
    }
}

} // namespace varnadex
