#pragma once

#include "config/ConverterConfig.h"

#include <string>
#include <vector>

namespace varnadex {

// The fields whose registers would differ between a converter holding `a` and one holding
// `b`, in register-map order. Texts are compared as the converter stores them, so "a5" and
// "A5", or two data formats with one code, are the same; so are two values that read back
// alike (a flag of 2 and of 1). firmwareVersion and the access settings are never compared,
// and the MAC address only when `enableMac` is set, as only then would a write store it.
std::vector<std::string> differingFields(const ConverterConfig& a, const ConverterConfig& b,
                                         bool enableMac);

} // namespace varnadex
