#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace varnadex {

// The code point of the UTF-8 character at `i`, moving `i` past it; nothing, with `i` left
// where it was, for a malformed, over-long, surrogate or cut-off sequence.
std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& i);

} // namespace varnadex
