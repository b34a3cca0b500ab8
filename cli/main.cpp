#include "app/Operations.h"
#include "cli/CliApp.h"
#include "cli/Signals.h"
#include "platform/SystemClock.h"

#ifdef _WIN32
#include "platform/WinText.h"

#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <iostream>

namespace {

// Where the program lies, for the settings file beside it; argv[0] when the system will not say.
std::string ownPath(const char* argv0) {
#ifdef _WIN32
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n > 0 && n < path.size()) return varnadex::narrow(std::wstring_view(path.data(), n));
#else
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
#endif
    return argv0;
}

bool stderrIsTerminal() {
#ifdef _WIN32
    return ::_isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The messages are UTF-8 (the Hungarian ones need it); the console shows them as such.
    ::SetConsoleOutputCP(CP_UTF8);
#endif
    varnadex::SystemClock clock;
    varnadex::Interruption interruption;
    varnadex::stopOnSignals(interruption);
    varnadex::CliEnvironment env{ownPath(argv[0]),
                                 std::cout,
                                 std::cerr,
                                 stderrIsTerminal(),
                                 varnadex::makeOperations,
                                 clock,
                                 &interruption,
                                 varnadex::stopSignal};
    return varnadex::runCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
