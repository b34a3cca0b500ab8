#include "app/ConfApp.h"

#include <cstdlib>
#include <filesystem>

namespace varnadex {

namespace {

// Windows writes the program's path with backslashes (forward ones are accepted as well);
// elsewhere a backslash is an ordinary character of a file name.
#ifdef _WIN32
constexpr const char* kPathSeparators = "/\\";
#else
constexpr const char* kPathSeparators = "/";
#endif

} // namespace

std::optional<std::string> systemEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

std::vector<std::string> settingsFileCandidates(const std::string& programDirectory,
                                                const EnvironmentLookup& environment) {
    const std::string inSubdirectory = std::string("/varnadex/") + kSettingsFileName;
    // Relative paths in the XDG variables are invalid and ignored, as the base directory
    // rules ask: they would make the file depend on the current directory.
    auto absolute = [](const std::optional<std::string>& v) { return v && v->rfind('/', 0) == 0; };

    std::vector<std::string> candidates{programDirectory + "/" + kSettingsFileName};
    if (auto configHome = environment("XDG_CONFIG_HOME"); absolute(configHome)) {
        candidates.push_back(*configHome + inSubdirectory);
    } else if (auto home = environment("HOME"); absolute(home)) {
        candidates.push_back(*home + "/.config" + inSubdirectory);
    }
    std::vector<std::string> configDirs;
    if (auto dirs = environment("XDG_CONFIG_DIRS")) {
        std::size_t start = 0;
        while (start <= dirs->size()) {
            auto colon = dirs->find(':', start);
            if (colon == std::string::npos) colon = dirs->size();
            std::optional<std::string> dir = dirs->substr(start, colon - start);
            if (absolute(dir)) configDirs.push_back(*dir);
            start = colon + 1;
        }
    }
    if (configDirs.empty()) configDirs.push_back("/etc/xdg");
    for (const auto& dir : configDirs)
        candidates.push_back(dir + inSubdirectory);
    return candidates;
}

void CConfApp::loadLanguage(const std::string& programPath) {
    auto slash = programPath.find_last_of(kPathSeparators);
    programDirectory = slash == std::string::npos ? std::string() : programPath.substr(0, slash);
    const auto candidates = settingsFileCandidates(programDirectory, environment);
    std::string chosen = candidates.front();
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            chosen = candidate;
            break;
        }
    }
    profile.SetPath(chosen);
    setLanguage(profile.ReadInt("General", "Language", 0));
}

void CConfApp::setLanguage(int chosen) {
    language = chosen;
    messageCatalogue.fill(chosen);
}

void CConfApp::InitInstance(const std::string& programPath, const std::string& commandLine,
                            const MainWindowRunner& runMainWindow) {
    loadLanguage(programPath);
    runMainWindow(*this, commandLineEnablesMac(commandLine) ? 1 : 0);
}

bool commandLineEnablesMac(const std::string& commandLine) {
    return commandLine.find("/ENABLEMAC") != std::string::npos;
}

std::string applicationName(const std::string& programPath) {
    auto slash = programPath.find_last_of(kPathSeparators);
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

} // namespace varnadex
