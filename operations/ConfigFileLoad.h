#pragma once

#include "app/MessageCatalogue.h"
#include "config/ConverterConfig.h"

#include <optional>
#include <string>
#include <vector>

namespace varnadex {

// A configuration file as the window opens it and the CLI takes it.
struct LoadedConfig {
    std::optional<ConverterConfig> config; // its configuration, when it is good
    std::optional<std::string> unreadable; // the system's reason it could not be read
    std::optional<Problem> refused;        // why what it holds is no configuration
    std::vector<Problem> warnings;         // values worth a look, written as they stand
};

// Reads `path` ("-": standard input), at most a configuration file's size, and checks it.
LoadedConfig loadConfigFile(const std::string& path);

} // namespace varnadex
