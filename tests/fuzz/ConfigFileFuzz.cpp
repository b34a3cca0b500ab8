#include "tests/fuzz/FuzzTargets.h"

#include <optional>
#include <string>

#include "config/ConfigFile.h"

namespace varnadex::test {
namespace {

bool read(const std::string& text, std::optional<ConverterConfig>& config) {
    auto result = parseConfigFile(text);
    config = std::move(result.config);
    return config || result.problem.has_value();
}

} // namespace
} // namespace varnadex::test

namespace varnadex::test {

bool fuzzConfigFile(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<ConverterConfig> config;
    // A refusal says why.
    if (!read(text, config)) return false;
    if (!config) return true;
    // What was taken writes back as a file that reads as the same configuration.
    std::optional<ConverterConfig> again;
    return read(configToJson(*config), again) && again == config;
}

} // namespace varnadex::test
