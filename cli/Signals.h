#pragma once

#include "app/Interruption.h"
#include "cli/StopReport.h"

namespace varnadex {

// SIGINT, SIGTERM and SIGHUP ask `interruption` to stop; the work then ends at the next
// register exchange (a batch: once the converters being written are done) and says what the
// converters hold. The same signal again within a second is the same request: GNU timeout and
// a shell's process group send one signal twice at once. A later one, or another signal, ends
// the program at once, with the status a shell expects of it, after `report` has named the
// converters it leaves half written. SIGPIPE is ignored: a reader gone shows as a failed write.
void stopOnSignals(Interruption& interruption, const StopReport& report);
// The signal that asked to stop, 0 while none has.
int stopSignal();

} // namespace varnadex
