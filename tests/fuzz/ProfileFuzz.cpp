#include "tests/fuzz/FuzzTargets.h"

#include "app/Profile.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace varnadex::test {
namespace {

// One file for the whole run, rewritten for each input and removed at exit.
class ScratchFile {
public:
    ScratchFile()
        : path_((std::filesystem::temp_directory_path() /
                 ("varnadex-profile-fuzz-" + std::to_string(::getpid()) + ".ini"))
                    .string()) {}
    ~ScratchFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    const std::string& hold(const std::uint8_t* data, std::size_t size) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return path_;
    }

private:
    std::string path_;
};

struct Lookup {
    const char* section;
    const char* key;
};
// What the program reads, and names that only differ in case or blanks from it.
constexpr Lookup kLookups[] = {
    {"General", "Language"}, {"general", "LANGUAGE"}, {"", ""}, {"Gen eral", "Lang"}};

} // namespace

bool fuzzProfile(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return true;
    static ScratchFile file;
    const Lookup& lookup = kLookups[data[0] % std::size(kLookups)];
    CProfile profile;
    profile.SetPath(file.hold(data + 1, size - 1));

    const std::string def = "-";
    const std::string value = profile.ReadString(lookup.section, lookup.key, def);
    if (value.empty() || value.size() > 299) return false;
    // ReadInt reads the same value; it cannot tell a stored text from its default's.
    const int number = profile.ReadInt(lookup.section, lookup.key, 7);
    return value != def || number == 7 || number == 0;
}

} // namespace varnadex::test
