#include "config/RegisterMap.h"

#include "config/CodePage.h"
#include "config/FieldText.h"

#include <algorithm>
#include <vector>

namespace varnadex {
namespace {

std::vector<const Field*> sortedByRegister() {
    std::vector<const Field*> out;
    for (const Field& f : fields())
        if (uses(f, Sent)) out.push_back(&f);
    std::sort(out.begin(), out.end(), [](auto a, auto b) { return a->first < b->first; });
    return out;
}

std::vector<TransferStep> stepsBy(int Field::*step) {
    std::vector<std::pair<int, TransferStep>> numbered;
    for (const Field& f : fields()) {
        if (f.*step != 0) numbered.push_back({f.*step, {&f, false}});
        if (step == &Field::writeStep && f.charsStep != 0)
            numbered.push_back({f.charsStep, {&f, true}});
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TransferStep> out;
    for (const auto& [n, s] : numbered)
        out.push_back(s);
    return out;
}

struct DataFormatCode {
    const char* text;
    std::uint8_t code;
    const char* readBack;
};

// 7M1 and 8M1 share their codes with 7N2 and 8N2 and read back as those.
constexpr DataFormatCode kDataFormats[] = {
    {"8N1", 0x00, "8N1"}, {"7N2", 0x10, "7N2"}, {"7M1", 0x10, "7N2"}, {"7S1", 0x11, "7S1"},
    {"7E1", 0x31, "7E1"}, {"7O1", 0x32, "7O1"}, {"8N2", 0x40, "8N2"}, {"8M1", 0x40, "8N2"},
    {"8S1", 0x41, "8S1"}, {"8E1", 0xC1, "8E1"}, {"8O1", 0xC2, "8O1"},
};

constexpr const char* kDataFormatList[] = {"8N1", "7E1", "7O1", "7M1", "7S1", "7N2",
                                           "8E1", "8O1", "8M1", "8S1", "8N2"};

} // namespace

std::span<const Field* const> registerMap() {
    static const std::vector<const Field*> map = sortedByRegister();
    return map;
}

const Field& macField() {
    static const Field* const mac = [] {
        for (const Field* f : registerMap())
            if (f->kind == AccessorKind::Mac) return f;
        return registerMap().front();
    }();
    return *mac;
}

std::span<const TransferStep> readOrder() {
    static const std::vector<TransferStep> order = stepsBy(&Field::readStep);
    return order;
}

std::span<const TransferStep> writeOrder() {
    static const std::vector<TransferStep> order = stepsBy(&Field::writeStep);
    return order;
}

std::span<const char* const> dataFormatTexts() {
    return kDataFormatList;
}

std::optional<std::uint8_t> dataFormatCodeFor(const std::string& text) {
    for (const auto& d : kDataFormats)
        if (text == d.text) return d.code;
    return std::nullopt;
}

std::optional<std::string> dataFormatTextFor(std::uint8_t code) {
    for (const auto& d : kDataFormats)
        if (code == d.code) return std::string(d.readBack);
    return std::nullopt;
}

std::string registerText(AccessorKind kind, std::span<const std::uint8_t> b) {
    switch (kind) {
    case AccessorKind::Mac:
        return formatMac({b[0], b[1], b[2], b[3], b[4], b[5]});
    case AccessorKind::Ipv4:
        return formatIpv4({b[0], b[1], b[2], b[3]});
    case AccessorKind::Word:
        return std::to_string(b[0] * 256 + b[1]);
    case AccessorKind::Hex:
        return hexByte(b[0]);
    case AccessorKind::Byte:
        break;
    }
    return std::to_string(b[0]);
}

std::string communityForWrite(const std::string& community) {
    return firstCharacters(community, kCommunityMaxLength);
}

std::array<std::uint8_t, 256> registerImage(const ConverterConfig& c) {
    std::array<std::uint8_t, 256> image{};
    auto put = [&](std::uint8_t first, std::span<const std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            image[static_cast<std::uint8_t>(first + i)] = bytes[i];
    };
    for (const Field* field : registerMap()) {
        const Field& f = *field;
        const std::string* text = textOf(f, c);
        switch (f.kind) {
        case AccessorKind::Mac:
            if (auto b = parseMac(*text)) put(f.first, *b);
            continue;
        case AccessorKind::Ipv4:
            if (auto b = parseIpv4(*text)) put(f.first, *b);
            continue;
        case AccessorKind::Word:
            if (auto w = parseWord(*text)) {
                const std::uint8_t b[2] = {static_cast<std::uint8_t>(*w >> 8),
                                           static_cast<std::uint8_t>(*w & 0xFF)};
                put(f.first, b);
            }
            continue;
        case AccessorKind::Hex:
            if (auto b = parseHexByte(*text)) image[f.first] = *b;
            continue;
        default:
            break;
        }
        if (f.rule == Rule::Community) {
            std::string community = toConverterText(communityForWrite(*text)).value_or("");
            image[f.first] = static_cast<std::uint8_t>(community.size());
            for (std::size_t i = 0; i < community.size(); ++i)
                image[f.first + 1 + i] = static_cast<std::uint8_t>(community[i]);
            continue;
        }
        if (auto v = registerValueFor(f, c)) image[f.first] = *v;
    }
    return image;
}

} // namespace varnadex
