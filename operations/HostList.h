#pragma once

#include "app/MessageCatalogue.h"
#include "config/ConverterConfig.h"
#include "operations/ConverterJobs.h"
#include "platform/Resolve.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace varnadex {

// One converter of a list: a row of the CSV file.
struct HostEntry {
    std::size_t line = 0;
    bool serial = false; // from the `port` column: a serial port's name
    std::string address; // HOST, HOST:PORT or the port's name
    // The row's other cells that hold something, by column: converter fields, and
    // `community` for the community to reach the converter with.
    std::vector<std::pair<std::string, std::string>> cells;
};

struct HostList {
    std::vector<HostEntry> entries;
    std::optional<Problem> problem; // nothing when the list is good
};

// A CSV file whose header names a `host` column, a `port` column or both, and optional
// columns named after converter fields. Each row names exactly one converter; a converter
// listed twice is refused, since two jobs on one converter at once would mix their
// registers. Rows with every cell empty are skipped.
HostList parseHostList(std::string_view csv);

// Points `config` at the entry's converter and takes the entry's cells into it, with the
// checks of a configuration file's members; firmwareVersion, as in a file, is not sent.
// Returns why a cell was refused, naming the line and the column.
std::optional<Problem> applyHostEntry(const HostEntry& entry, ConverterConfig& config);

// The problem `why` as one of the list's line `line`.
Problem onLine(std::size_t line, Problem why);

// One converter of a list made ready: the request's record with the row's access and cells,
// and for set the row's own part of the change.
struct PlannedConverter {
    HostEntry entry;
    ConverterConfig target;
    std::vector<FieldAssignment> assignments;
};

// The whole list checked before anything is sent: every row's cells, what a write would
// refuse, and one converter spelt twice (found by its resolved address and port: localhost
// and 127.0.0.1, 10.1.0.7 and 10.1.0.7:161). The plan, or why not, naming the line.
std::variant<std::vector<PlannedConverter>, std::string> planList(const JobRequest& request,
                                                                  std::string_view csv,
                                                                  const MessageCatalogue& catalogue,
                                                                  const Resolver& resolve);

} // namespace varnadex
