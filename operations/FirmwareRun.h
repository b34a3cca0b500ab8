#pragma once

#include "app/Clock.h"
#include "app/Interruption.h"
#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "operations/Operations.h"

#include <functional>
#include <optional>
#include <string>

namespace varnadex {

// Why `path` cannot be loaded as firmware (not opened, or no image after its header), checked
// before any port is opened; nothing when it can.
std::optional<Problem> firmwareFileProblem(const std::string& path);

enum class DownloadEnd { Succeeded, Failed, Interrupted };

// A firmware download from start to verdict, as a program without a window timer runs it: the
// start, then one slice a second. A stop asked through `stop` ends it between two slices and
// says that the converter holds an incomplete image. `progress` hears after each slice what
// has gone, the seconds since the start, and whether that slice was the last.
DownloadEnd runFirmwareDownload(
    IOperations& operations, ConverterConfig& config, const std::string& path, IClock& clock,
    const Interruption* stop, IMessageSink& sink, const MessageCatalogue& catalogue,
    const std::function<void(const FirmwareProgress&, double seconds, bool last)>& progress);

} // namespace varnadex
