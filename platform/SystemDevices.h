#pragma once

#include "snmp/ScanTargets.h"

#ifdef _WIN32
#include "platform/WinProbeSocket.h"
#include "platform/WinSerialPort.h"
#include "platform/WinUdpSocket.h"
#else
#include "platform/PosixProbeSocket.h"
#include "platform/PosixSerialPort.h"
#include "platform/PosixUdpSocket.h"
#endif

namespace varnadex {

// This system's layer behind the platform interfaces: the one place that tells them apart.
#ifdef _WIN32
using SystemSerialPort = WinSerialPort;
using SystemUdpSocket = WinUdpSocket;
using SystemProbeSocket = WinProbeSocket;
#else
using SystemSerialPort = PosixSerialPort;
using SystemUdpSocket = PosixUdpSocket;
using SystemProbeSocket = PosixProbeSocket;
#endif

// Host names through the system's resolver (IPv4 only) and files through readInputFile.
TargetSources systemTargetSources();

} // namespace varnadex
