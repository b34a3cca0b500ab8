#include "operations/Operations.h"
#include "cli/CliApp.h"
#include "cli/LineOutput.h"
#include "cli/Signals.h"
#include "cli/StopReport.h"
#include "platform/SystemClock.h"

#ifdef _WIN32
#include "platform/WinText.h"

#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

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

// A standard descriptor left closed would be the next socket's or port's number, and what the
// program prints would go to the converter: each is held with /dev/null. True when standard
// output was closed, which output must still find a failure.
bool holdClosedStandardDescriptors() {
    bool outputClosed = false;
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        outputClosed = outputClosed || fd == 1;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
#endif
    return outputClosed;
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
    const bool outputClosed = holdClosedStandardDescriptors();
    varnadex::SystemClock clock;
    varnadex::Interruption interruption;
    static varnadex::StopReport stopReport; // the signal handler may read it up to _exit
    varnadex::stopOnSignals(interruption, stopReport);
    // Standard output in whole pieces, its failures kept (a reader gone, a full disk).
    varnadex::LineOutput stdoutBuffer(1);
    if (outputClosed) stdoutBuffer.failWith(std::strerror(EBADF));
    std::ostream out(&stdoutBuffer);
    varnadex::CliEnvironment env{
        ownPath(argv[0]),         out,   std::cerr,     stderrIsTerminal(),
        varnadex::makeOperations, clock, &interruption, varnadex::stopSignal};
    env.outputFailure = [&] { return stdoutBuffer.failure(); };
    env.stopReport = &stopReport;
    const int status = varnadex::runCli(std::vector<std::string>(argv + 1, argv + argc), env);
    // What is still waiting (a help text) goes now; a failure then is the exit's own.
    if (!(out << std::flush) && status == 0) return 1;
    return status;
}
