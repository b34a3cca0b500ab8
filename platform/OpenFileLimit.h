#pragma once

namespace varnadex {

// How many converters can be worked on at once when each holds one descriptor (its socket or
// its port), at most `wanted` and at least 1. The soft limit of open files is first raised to
// the hard one; what this process already holds and a margin for its own files are kept back.
// Where the system sets no such limit, `wanted`.
unsigned fitJobsToOpenFileLimit(unsigned wanted);

} // namespace varnadex
