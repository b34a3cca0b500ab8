#pragma once

// Text at the Win32 boundary: the program keeps UTF-8 throughout, and Windows takes UTF-16.

#include <string>
#include <string_view>

namespace varnadex {

// UTF-8 to UTF-16 and back; malformed input becomes U+FFFD, as the system converts it.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
// The system's own words for an error code, in UTF-8, without the trailing line break.
std::string systemMessage(unsigned long error);

} // namespace varnadex
