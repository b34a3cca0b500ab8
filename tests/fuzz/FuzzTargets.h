#pragma once

// The fuzz targets over the other decoders of outside input. Each takes one fuzz input and
// returns false when the decoder breaks a promise it makes; memory faults and undefined
// behaviour are the sanitizers' to find. libFuzzer runs each through fuzz_main.cpp, and
// fuzz_corpus_test replays every kept corpus in every build.

#include <cstddef>
#include <cstdint>

namespace varnadex::test {

// The program's serial reply reader: the first bytes pick the exchange (read, write, version
// or a raw reply with its sizes), the rest feed a port read by read.
bool fuzzSerialReply(const std::uint8_t* data, std::size_t size);

// The settings file beside the program: the first byte picks the section and key looked up,
// the rest is the file.
bool fuzzProfile(const std::uint8_t* data, std::size_t size);

// The simulator's serial side: the first byte picks the configuration firmware's frame parser
// or the firmware loader and how the bytes arrive, the rest is what the program sent.
bool fuzzSerialRequests(const std::uint8_t* data, std::size_t size);

// The simulator's SNMP agent: the first byte picks its faults, the rest is one request
// datagram, handled twice so that the repeated-attempt counting runs too.
bool fuzzSnmpRequest(const std::uint8_t* data, std::size_t size);

// The command-line tool's configuration file: the whole input is the file's text.
bool fuzzConfigFile(const std::uint8_t* data, std::size_t size);

} // namespace varnadex::test
