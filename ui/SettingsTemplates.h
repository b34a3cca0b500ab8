#pragma once

#include "ui/DialogTemplate.h"

namespace varnadex::ui {

// The four settings dialogs as data, each in its English and Hungarian form.
const DialogTemplate& serialSettingsTemplate();   // 130 / 138
const DialogTemplate& advancedSettingsTemplate(); // 133 / 141
const DialogTemplate& networkSettingsTemplate();  // 132 / 140
const DialogTemplate& remoteConfigTemplate();     // 134 / 139

// Control ids shared by every dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

namespace serial_ids {
inline constexpr int baudRate = 1012;
inline constexpr int rtsCtsFlowControl = 1016;
inline constexpr int dataFormat = 1013;
inline constexpr int dtrAlwaysHigh = 1019; // first of the dtrMode group
inline constexpr int dtrDependsOnConn = 1020;
inline constexpr int crlfKeep = 1025; // first of the crlfMode group
inline constexpr int crlfTrim = 1026;
} // namespace serial_ids

namespace advanced_ids {
inline constexpr int networkTimeout = 1033;
inline constexpr int keepAliveTimer = 1034;
inline constexpr int bufferKeep = 1032; // first of the bufferHandling group
inline constexpr int bufferClear = 1035;
inline constexpr int delaySmall = 1027; // first of the networkDelay group
inline constexpr int delayMedium = 1028;
inline constexpr int delayHuge = 1029;
inline constexpr int optimizeMinimal = 1030; // first of the optimizeFor group
inline constexpr int optimizeFast = 1031;
inline constexpr int icmpEcho = 1017;
inline constexpr int patternChar = 1055;
inline constexpr int patternCharEnabled = 1056;
} // namespace advanced_ids

namespace network_ids {
inline constexpr int macAddress = 1018;
inline constexpr int normalMode = 1045; // first of the workingMode group
inline constexpr int commandMode = 1046;
inline constexpr int tcpProtocol = 1043; // first of the protocol group
inline constexpr int udpProtocol = 1044;
inline constexpr int clientMode = 1010; // first of the tcpMode group
inline constexpr int serverMode = 1011;
inline constexpr int ipAddress = 1003;
inline constexpr int localPort = 1009;
inline constexpr int subnetMask = 1004;
inline constexpr int gatewayAddress = 1005;
inline constexpr int remoteAddress = 1006;
inline constexpr int remotePort = 1008;
inline constexpr int remoteSubnetMask = 1007;
} // namespace network_ids

namespace remote_ids {
inline constexpr int readEnabled = 1048;
inline constexpr int writeEnabled = 1049;
inline constexpr int community = 1050;
inline constexpr int filterAddress = 1052;
inline constexpr int filterMask = 1004;
} // namespace remote_ids

} // namespace varnadex::ui
