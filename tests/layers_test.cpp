// The folders are layers, and each folder's library links only what lies below it. This reads
// every #include of the product's sources and fails on one that reaches up or sideways, so that
// the build keeps the shape when someone reaches for a convenient header.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What each folder may include besides itself, from the bottom up.
const std::map<std::string, std::set<std::string>> kBelow = {
    {"app", {}},
    {"config", {"app"}},
    {"serial", {"app", "config"}},
    {"snmp", {"app", "config"}},
    {"maintenance", {"app", "config", "serial", "snmp"}},
    {"platform", {"app", "config", "serial", "snmp"}},
    {"operations", {"app", "config", "serial", "snmp", "maintenance", "platform"}},
    {"cli", {"app", "config", "serial", "snmp", "maintenance", "platform", "operations"}},
    {"ui", {"app", "config", "serial", "snmp", "maintenance", "platform", "operations", "res"}},
    // The simulator is a converter: it knows the frames and the messages, not the program.
    {"sim", {"app", "config", "serial", "snmp"}},
    {"res", {}},
};

TEST(Layers, EveryIncludeRunsDown) {
    const fs::path root = VARNADEX_SOURCE_DIR;
    const std::regex include(R"re(^\s*#\s*include\s*"([a-z]+)/)re");
    std::vector<std::string> upward;
    std::size_t files = 0;
    for (const auto& [folder, allowed] : kBelow) {
        if (!fs::is_directory(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const auto ext = entry.path().extension();
            if (ext != ".h" && ext != ".cpp") continue;
            ++files;
            std::ifstream in(entry.path());
            int lineNumber = 0;
            for (std::string line; std::getline(in, line);) {
                ++lineNumber;
                std::smatch m;
                if (!std::regex_search(line, m, include)) continue;
                const std::string target = m[1];
                if (target == folder || allowed.contains(target)) continue;
                upward.push_back(fs::relative(entry.path(), root).string() + ":" +
                                 std::to_string(lineNumber) + " includes " + target + "/");
            }
        }
    }
    EXPECT_GT(files, 100u) << "the sources were not found under " << root;
    for (const auto& u : upward)
        ADD_FAILURE() << u;
}

} // namespace
