#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnadex {

// The converter keeps texts as one byte per character in the Central European ANSI code
// page (Windows-1250): that is what every earlier configuration tool stored in its registers
// and sent as the SNMP community. The program holds texts as UTF-8, so they are converted
// where they cross to the converter.

// Nothing when the text holds a character the code page does not have, or is not UTF-8.
std::optional<std::string> toConverterText(std::string_view utf8);
// Every byte has a meaning; the five the code page leaves undefined become the C1 control
// characters of the same number, and toConverterText turns them back into the same bytes.
std::string fromConverterText(std::string_view bytes);

// Characters, not bytes, of a UTF-8 text, and its first n characters.
std::size_t characterCount(std::string_view utf8);
std::string firstCharacters(std::string_view utf8, std::size_t n);

} // namespace varnadex
