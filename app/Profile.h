#pragma once

#include <string>

namespace varnadex {

// Reader of the INI-style settings file beside the program. It only ever reads: the file is
// never created, written or touched.
class CProfile {
public:
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& path() const { return path_; }

    // Value of key in [section]; the default when the file, the section or the key is
    // missing or the value is empty. At most 299 characters are returned.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // ReadString with the default as "%d", then a lenient decimal conversion.
    int ReadInt(const std::string& section, const std::string& key, int def) const;

private:
    std::string path_;
};

} // namespace varnadex
