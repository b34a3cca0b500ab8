#pragma once

// Shared by the settings dialogs' GUI tests.

#include "support/QtTests.h"
#include "ui/DataExchange.h"
#include "ui/SettingsTemplates.h"

// The ids of the controls that show fields, as the templates give them (the dialogs find
// them by the field's name).
namespace varnadex::ui {
namespace serial_ids {
inline constexpr int baudRate = 1012;
inline constexpr int rtsCtsFlowControl = 1016;
inline constexpr int dataFormat = 1013;
} // namespace serial_ids
namespace advanced_ids {
inline constexpr int networkTimeout = 1033;
inline constexpr int keepAliveTimer = 1034;
inline constexpr int patternChar = 1055;
inline constexpr int patternCharEnabled = 1056;
} // namespace advanced_ids
namespace network_ids {
inline constexpr int macAddress = 1018;
inline constexpr int ipAddress = 1003;
inline constexpr int localPort = 1009;
inline constexpr int subnetMask = 1004;
inline constexpr int gatewayAddress = 1005;
inline constexpr int remoteAddress = 1006;
inline constexpr int remotePort = 1008;
inline constexpr int remoteSubnetMask = 1007;
} // namespace network_ids
} // namespace varnadex::ui
