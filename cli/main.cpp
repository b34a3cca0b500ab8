#include "app/Operations.h"
#include "cli/CliApp.h"
#include "cli/Signals.h"
#include "platform/SystemClock.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    varnadex::SystemClock clock;
    varnadex::Interruption interruption;
    varnadex::stopOnSignals(interruption);
    varnadex::CliEnvironment env{ec ? std::string(argv[0]) : self.string(),
                                 std::cout,
                                 std::cerr,
                                 isatty(STDERR_FILENO) == 1,
                                 varnadex::makeOperations,
                                 clock,
                                 &interruption,
                                 varnadex::stopSignal};
    return varnadex::runCli(std::vector<std::string>(argv + 1, argv + argc), env);
}
