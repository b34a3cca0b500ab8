#pragma once

#include "app/MessageCatalogue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnadex {

struct CsvRecord {
    std::size_t line = 0; // where the record starts, from 1
    std::vector<std::string> fields;
};

struct CsvTable {
    std::vector<CsvRecord> records;
    std::optional<Problem> problem; // nothing when the whole text was read
};

// Comma-separated values as RFC 4180 has them, and as spreadsheets save them: a field in
// double quotes may hold commas, line breaks and doubled quotes; records end in CRLF or LF,
// and the last one may have no line end. A UTF-8 byte-order mark at the start is skipped.
// An unterminated quote, or text after a closing quote, is an error naming the line.
CsvTable parseCsv(std::string_view text);

} // namespace varnadex
