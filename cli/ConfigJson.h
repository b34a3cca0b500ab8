#pragma once

#include "config/ConverterConfig.h"

#include <string>
#include <variant>

namespace varnadex {

// The configuration file of the command-line tool: one JSON member per converter field,
// named as the field, plus firmwareVersion (written by read, ignored by write).
std::string configToJson(const ConverterConfig& config);
// "field: value" lines, aligned.
std::string configToText(const ConverterConfig& config);

// Starts from the defaults and takes every converter field from the file. Refuses a file
// that is not JSON, lacks a field, has a member that is no field, a value of the wrong
// type or one the settings dialogs would not accept; the error names the field.
std::variant<ConverterConfig, std::string> configFromJson(const std::string& text);

} // namespace varnadex
