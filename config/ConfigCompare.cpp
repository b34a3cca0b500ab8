#include "config/ConfigCompare.h"

#include "config/RegisterMap.h"

#include <algorithm>

namespace varnadex {
namespace {

// The record's registers as a read would bring them back: a byte that several values share
// (255 and 0 for a flag that reads 255 as off, 2 and 1 for a flag) becomes the one a write of
// the read record would store.
std::array<std::uint8_t, 256> settledImage(const ConverterConfig& config) {
    auto image = registerImage(config);
    for (const Field* f : registerMap()) {
        if (f->rule == Rule::Text || f->rule == Rule::Community) continue;
        ConverterConfig scratch;
        applyRegisterValue(*f, image[f->first], scratch);
        if (auto settled = registerValueFor(*f, scratch)) image[f->first] = *settled;
    }
    return image;
}

} // namespace

std::vector<std::string> differingFields(const ConverterConfig& a, const ConverterConfig& b,
                                         bool enableMac) {
    const auto left = settledImage(a);
    const auto right = settledImage(b);
    std::vector<std::string> out;
    for (const Field* f : registerMap()) {
        if (uses(*f, OnlyWithMac) && !enableMac) continue;
        // The community's characters follow its length register; unused ones are 0 in both.
        const std::size_t count = f->rule == Rule::Community ? 1 + kCommunityMaxLength : f->count;
        if (!std::equal(left.begin() + f->first, left.begin() + f->first + count,
                        right.begin() + f->first))
            out.emplace_back(f->name);
    }
    return out;
}

} // namespace varnadex
