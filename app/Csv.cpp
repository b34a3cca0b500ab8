#include "app/Csv.h"

namespace varnadex {

CsvTable parseCsv(std::string_view text) {
    CsvTable table;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        CsvRecord record{line, {}};
        for (;;) { // one field per turn
            std::string field;
            if (i < text.size() && text[i] == '"') {
                const std::size_t opened = line;
                for (++i;; ++i) {
                    if (i >= text.size()) {
                        table.problem =
                            Problem(ExtraMsg::CsvQuoteNotClosed, {std::to_string(opened)});
                        return table;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n') ++line;
                    field += text[i];
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                    !text.substr(i).starts_with("\r\n")) {
                    table.problem = Problem(ExtraMsg::CsvTextAfterQuote, {std::to_string(line)});
                    return table;
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                       !text.substr(i).starts_with("\r\n"))
                    field += text[i++];
            }
            record.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < text.size()) i += text[i] == '\r' ? 2 : 1;
        ++line;
        table.records.push_back(std::move(record));
    }
    return table;
}

} // namespace varnadex
