#pragma once

#include "snmp/ScanTargets.h"

#ifdef _WIN32
#include "platform/WinProbeSocket.h"
#else
#include "platform/PosixProbeSocket.h"
#endif

namespace varnadex {

#ifdef _WIN32
using SystemProbeSocket = WinProbeSocket;
#else
using SystemProbeSocket = PosixProbeSocket;
#endif

// Host names through the system's resolver (IPv4 only) and files through readInputFile.
TargetSources systemTargetSources();

} // namespace varnadex
