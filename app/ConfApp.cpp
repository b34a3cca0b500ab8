#include "app/ConfApp.h"

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

void CConfApp::loadLanguage(const std::string& programPath) {
    auto slash = programPath.find_last_of(kPathSeparators);
    programDirectory = slash == std::string::npos ? std::string() : programPath.substr(0, slash);
    profile.SetPath(programDirectory + "/" + kSettingsFileName);
    language = profile.ReadInt("General", "Language", 0);
    messageCatalogue.fill(language);
}

bool CConfApp::InitInstance(const std::string& programPath, const std::string& commandLine,
                            ISocketLayer& sockets, IMessageSink& startupSink,
                            const MainWindowRunner& runMainWindow) {
    loadLanguage(programPath);
    if (!sockets.initialise()) {
        startupSink.show(MessageKind::Warning, kSocketsInitFailed);
        return false;
    }
    runMainWindow(*this, commandLineEnablesMac(commandLine) ? 1 : 0);
    return true;
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
