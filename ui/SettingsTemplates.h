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

// The controls a dialog's code names, beside those it finds by their field (a radio group's
// first button stands for its group's field).
namespace serial_ids {
inline constexpr int dtrAlwaysHigh = 1019; // first of its group
inline constexpr int dtrDependsOnConn = 1020;
inline constexpr int crlfKeep = 1025; // first of its group
inline constexpr int crlfTrim = 1026;
} // namespace serial_ids

namespace advanced_ids {
inline constexpr int bufferKeep = 1032; // first of its group
inline constexpr int bufferClear = 1035;
inline constexpr int delaySmall = 1027; // first of its group
inline constexpr int delayMedium = 1028;
inline constexpr int delayHuge = 1029;
inline constexpr int optimizeMinimal = 1030; // first of its group
inline constexpr int optimizeFast = 1031;
inline constexpr int icmpEcho = 1017;
} // namespace advanced_ids

namespace network_ids {
inline constexpr int normalMode = 1045; // first of its group
inline constexpr int commandMode = 1046;
inline constexpr int tcpProtocol = 1043; // first of its group
inline constexpr int udpProtocol = 1044;
inline constexpr int clientMode = 1010; // first of its group
inline constexpr int serverMode = 1011;
} // namespace network_ids

namespace remote_ids {
inline constexpr int readEnabled = 1048;
inline constexpr int writeEnabled = 1049;
inline constexpr int community = 1050;
inline constexpr int filterAddress = 1052;
inline constexpr int filterMask = 1004;
} // namespace remote_ids

} // namespace varnadex::ui
