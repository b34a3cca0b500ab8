#pragma once

#include "app/Interruption.h"

namespace varnadex {

// SIGINT, SIGTERM and SIGHUP ask `interruption` to stop; the work then ends at the next
// register exchange and says what the converter holds. A second signal ends the program at
// once, with the status a shell expects of it.
void stopOnSignals(Interruption& interruption);
// The signal that asked to stop, 0 while none has.
int stopSignal();

} // namespace varnadex
