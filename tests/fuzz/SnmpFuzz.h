#pragma once

#include <cstddef>
#include <cstdint>

namespace varnadex::test {

// One fuzz input: five bytes that describe the request sent (kind, community length, id,
// register, value), then the datagram received. Runs ReadResponse and walks the datagram
// with the BER reader under both rules. False when an accepted answer breaks what the codec
// promises; memory faults are the sanitizers' to find.
bool fuzzSnmpResponse(const std::uint8_t* data, std::size_t size);

} // namespace varnadex::test
