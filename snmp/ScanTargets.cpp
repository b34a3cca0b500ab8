#include "snmp/ScanTargets.h"

#include "app/Text.h"
#include "config/FieldText.h"
#include "snmp/SnmpSocket.h"

#include <algorithm>
#include <unordered_set>

namespace varnadex {
namespace {

bool looksNumeric(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

class Expander {
public:
    Expander(const TargetSources& sources, TargetList& out) : sources_(sources), out_(out) {}

    bool add(const std::string& raw, bool fromFile) {
        const std::string target(trimmed(raw, " \t\r"));
        if (target.empty()) return fail({ExtraMsg::ScanNotTarget, {raw}});
        if (target[0] == '@') {
            // One level only: a file that names files could name itself.
            if (fromFile) return fail({ExtraMsg::ScanFileInFile, {target}});
            return addFile(target.substr(1));
        }
        if (const auto slash = target.find('/'); slash != std::string::npos)
            return addRange(target, target.substr(0, slash), target.substr(slash + 1));
        if (auto address = parseIpv4Address(target)) {
            keep(*address);
            return true;
        }
        // "10.1.0.300" is a mistyped address, not a host name to look up.
        if (looksNumeric(target)) return fail({ExtraMsg::ScanNotIpv4, {target}});
        // Nothing that cannot be a name is asked of the resolver.
        if (!isHostName(target)) return fail({ExtraMsg::ScanNotTarget, {target}});
        const auto found = sources_.resolve ? sources_.resolve(target) : std::vector<Ipv4Address>{};
        if (found.empty()) return fail({ExtraMsg::ScanUnknownHost, {target}});
        for (auto address : found)
            keep(address);
        return true;
    }

private:
    bool addRange(const std::string& target, const std::string& base, const std::string& bits) {
        const auto address = parseIpv4Address(base);
        const auto parsed = bits.size() > 2 ? std::nullopt : parseDecimal(bits, 99);
        if (!address || !parsed) return fail({ExtraMsg::ScanNotCidr, {target}});
        const auto prefix = static_cast<int>(*parsed);
        if (prefix > 32) return fail({ExtraMsg::ScanPrefixTooLong, {target}});
        if (prefix < kWidestScanPrefix)
            return fail({ExtraMsg::ScanTooWide, {target, std::to_string(kWidestScanPrefix)}});
        const std::uint64_t count = std::uint64_t{1} << (32 - prefix);
        const Ipv4Address first = *address & ~static_cast<Ipv4Address>(count - 1);
        for (std::uint64_t i = 0; i < count; ++i)
            keep(first + static_cast<Ipv4Address>(i));
        return true;
    }

    bool addFile(const std::string& path) {
        std::string error;
        const auto text = sources_.readFile ? sources_.readFile(path, error) : std::nullopt;
        if (!text) return fail({ExtraMsg::ScanFileUnreadable, {path, error}});
        std::size_t begin = 0;
        int line = 0;
        while (begin <= text->size()) {
            auto end = text->find('\n', begin);
            if (end == std::string::npos) end = text->size();
            std::string entry = text->substr(begin, end - begin);
            begin = end + 1;
            ++line;
            if (const auto hash = entry.find('#'); hash != std::string::npos) entry.resize(hash);
            if (trimmed(entry, " \t\r").empty()) continue;
            if (!add(entry, true)) {
                out_.problem =
                    Problem(ExtraMsg::ScanInFile, {path, std::to_string(line)}, *out_.problem);
                return false;
            }
        }
        return true;
    }

    void keep(Ipv4Address address) {
        if (seen_.insert(address).second) out_.addresses.push_back(address);
    }

    bool fail(Problem why) {
        out_.problem = std::move(why);
        return false;
    }

    const TargetSources& sources_;
    TargetList& out_;
    std::unordered_set<Ipv4Address> seen_;
};

} // namespace

std::string formatIpv4Address(Ipv4Address a) {
    return formatIpv4({static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a >> 16),
                       static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)});
}

std::optional<Ipv4Address> parseIpv4Address(const std::string& text) {
    const auto bytes = parseIpv4(text);
    if (!bytes) return std::nullopt;
    return static_cast<Ipv4Address>((*bytes)[0]) << 24 |
           static_cast<Ipv4Address>((*bytes)[1]) << 16 |
           static_cast<Ipv4Address>((*bytes)[2]) << 8 | (*bytes)[3];
}

TargetList expandTargets(const std::vector<std::string>& targets, const TargetSources& sources) {
    TargetList out;
    Expander expander(sources, out);
    for (const auto& target : targets) {
        if (!expander.add(target, false)) {
            out.addresses.clear();
            return out;
        }
    }
    if (out.addresses.empty()) out.problem = Problem(ExtraMsg::ScanNoAddress);
    return out;
}

} // namespace varnadex
