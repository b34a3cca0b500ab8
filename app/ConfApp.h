#pragma once

#include "app/MessageCatalogue.h"
#include "app/MessageSink.h"
#include "app/Profile.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnadex {

inline constexpr const char* kSettingsFileName = "varnadex.ini";

// The value of an environment variable, nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
std::optional<std::string> systemEnvironment(const std::string& name);

// Where the settings file may lie, in the order they are tried: beside the program (so a copy
// unpacked anywhere keeps working as it always did), then the user's XDG configuration
// directory ($XDG_CONFIG_HOME, default ~/.config), then the system's ($XDG_CONFIG_DIRS,
// default /etc/xdg), each with "varnadex/varnadex.ini" appended. An installed program's own
// directory is not writable by its users, hence the other two.
std::vector<std::string> settingsFileCandidates(const std::string& programDirectory,
                                                const EnvironmentLookup& environment);

// The application object: finds the settings file, reads the language, fills the catalogue
// and runs the main window. (The sockets need no start-up of their own: on Windows the socket
// layer starts with the first socket.)
class CConfApp {
public:
    using MainWindowRunner = std::function<void(CConfApp& app, int enableMac)>;

    // programPath is the running program's file; commandLine what follows the program name.
    // Returns after the main window has closed.
    void InitInstance(const std::string& programPath, const std::string& commandLine,
                      const MainWindowRunner& runMainWindow);

    // Start-up steps 1 to 4 alone, for the programs that share the settings file but have
    // no window (the command-line tool).
    // The settings file read is the first of settingsFileCandidates that exists; with none,
    // the one beside the program (which then gives the defaults).
    void loadLanguage(const std::string& programPath);
    // The language chosen otherwise than by the settings file (a command line's --lang): 1
    // English, anything else Hungarian, and the catalogue to match.
    void setLanguage(int chosen);

    EnvironmentLookup environment = systemEnvironment;
    MessageCatalogue messageCatalogue;
    int language = 0;
    CProfile profile;
    std::string programDirectory;
};

// "/ENABLEMAC" anywhere in the command line, case-sensitive.
bool commandLineEnablesMac(const std::string& commandLine);

// The program file's name without its directory and extension: the caption of plain boxes.
std::string applicationName(const std::string& programPath);

} // namespace varnadex
