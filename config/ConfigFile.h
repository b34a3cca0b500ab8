#pragma once

#include "app/MessageCatalogue.h"
#include "config/ConverterConfig.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnadex {

// The configuration file that `varnadex-cli read` writes and `write` and the window's "Open
// Configuration..." take: one JSON member per converter field, named as the field, plus
// firmwareVersion (written, never sent).

// Anything larger is no configuration file: a device or a runaway pipe.
inline constexpr std::size_t kConfigFileLimit = 1 << 20;

std::string configToJson(const ConverterConfig& config);

// A JSON Schema (draft 2020-12) of the file, made from the field table: every member's type,
// pattern or range and description, and nothing else, so that an editor refuses what the
// program refuses.
std::string configSchema();
// "field: value" lines, aligned.
std::string configToText(const ConverterConfig& config);

struct ConfigFileResult {
    std::optional<ConverterConfig> config; // the file's configuration, when it is good
    std::optional<Problem> problem;        // otherwise why not, naming the field
    // Values the registers hold but a settings dialog would not offer (a Network Timeout of 5
    // read from a converter): written as they stand, and worth one line each to the user.
    std::vector<Problem> warnings;
};

// Starts from the defaults and takes every converter field from the text. Refuses, naming the
// field: text that is not JSON or holds a number no field type can hold, a missing member, a
// member twice, a member that is no field, a value of the wrong type, a value the field's
// registers cannot hold, and a data-format text that contradicts the code beside it.
ConfigFileResult parseConfigFile(std::string_view text);

// One FIELD=VALUE, as `varnadex-cli set` and a column of a list of converters give it, with
// the checks a file's member gets; numbers are decimal text. A data format brings its code
// along. Returns why the value was refused, naming the field; `config` is then unchanged.
// Values outside a dialog's range are taken, with a line in `warnings`.
std::optional<Problem> setField(ConverterConfig& config, const std::string& name,
                                const std::string& text, std::vector<Problem>* warnings = nullptr);

} // namespace varnadex
