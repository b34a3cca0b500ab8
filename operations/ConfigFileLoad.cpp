#include "operations/ConfigFileLoad.h"

#include "config/ConfigFile.h"
#include "platform/FileIo.h"

namespace varnadex {

LoadedConfig loadConfigFile(const std::string& path) {
    LoadedConfig loaded;
    const FileRead file = readInputFile(path, kConfigFileLimit);
    if (!file.content) {
        loaded.unreadable = file.error;
        return loaded;
    }
    ConfigFileResult parsed = parseConfigFile(*file.content);
    loaded.config = std::move(parsed.config);
    loaded.refused = std::move(parsed.problem);
    loaded.warnings = std::move(parsed.warnings);
    return loaded;
}

} // namespace varnadex
