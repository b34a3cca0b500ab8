#pragma once

#include "app/MessageCatalogue.h"
#include "config/ConverterConfig.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

} // namespace varnadex
