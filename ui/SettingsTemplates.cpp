#include "ui/SettingsTemplates.h"

namespace varnadex::ui {

namespace {

// The controls that show a field: a dialog finds them by the field's name.
constexpr int kBaudRate = 1012;
constexpr int kFlowControl = 1016;
constexpr int kDataFormat = 1013;
constexpr int kNetworkTimeout = 1033;
constexpr int kKeepAlive = 1034;
constexpr int kPatternChar = 1055;
constexpr int kPatternCheck = 1056;
constexpr int kMac = 1018;
constexpr int kIp = 1003;
constexpr int kLocalPort = 1009;
constexpr int kSubnet = 1004;
constexpr int kGateway = 1005;
constexpr int kRemoteAddress = 1006;
constexpr int kRemotePort = 1008;
constexpr int kRemoteMask = 1007;

// Every template follows one frame: OK and Cancel stacked at the top right, 44 units wide and
// 7 from the edges; one group box from the left margin to 5 units short of the buttons,
// framing every field. Inside it the labels form a column on the left and the fields start
// at a common x, so that the rows line up; the Hungarian forms move only what their longer
// texts push aside.
constexpr int kButtonWidth = 44;

ControlTemplate okButton(int dialogWidth) {
    return {kIdOk,
            ControlKind::DefaultButton,
            "OK",
            "OK",
            {dialogWidth - 7 - kButtonWidth, 7, kButtonWidth, 14}};
}

ControlTemplate cancelButton(int dialogWidth) {
    return {kIdCancel,
            ControlKind::PushButton,
            "Cancel",
            "Mégsem",
            {dialogWidth - 7 - kButtonWidth, 24, kButtonWidth, 14}};
}

ControlTemplate frame(int dialogWidth, int dialogHeight) {
    return {-1,
            ControlKind::GroupBox,
            "",
            "",
            {7, 7, dialogWidth - 7 - kButtonWidth - 5 - 7, dialogHeight - 14}};
}

ControlTemplate label(const char* en, const char* hu, int buddy, DluRect rect,
                      DluRect huRect = {}) {
    return {-1, ControlKind::Label, en, hu, rect, huRect, None, buddy};
}

// The field a control shows and its place in the exchange order.
struct Binding {
    const char* field = nullptr;
    int exchange = 0;
};

ControlTemplate bound(ControlTemplate c, Binding b) {
    c.field = b.field;
    c.exchange = b.exchange;
    return c;
}

ControlTemplate edit(int id, Binding b, DluRect rect, DluRect huRect = {}, unsigned flags = None) {
    return bound({id, ControlKind::Edit, nullptr, nullptr, rect, huRect, flags}, b);
}

ControlTemplate radio(int id, const char* en, const char* hu, DluRect rect, DluRect huRect = {}) {
    return {id, ControlKind::RadioButton, en, hu, rect, huRect};
}

// The first button of a radio group, which stands for the group's field.
ControlTemplate firstRadio(int id, Binding b, const char* en, const char* hu, DluRect rect,
                           DluRect huRect = {}) {
    return bound({id, ControlKind::RadioButton, en, hu, rect, huRect, FirstInGroup}, b);
}

ControlTemplate check(int id, Binding b, const char* en, const char* hu, DluRect rect,
                      DluRect huRect = {}) {
    return bound({id, ControlKind::CheckBox, en, hu, rect, huRect}, b);
}

ControlTemplate combo(int id, Binding b, ControlKind kind, DluRect rect, DluRect huRect = {}) {
    return bound({id, kind, nullptr, nullptr, rect, huRect}, b);
}

DialogTemplate makeSerial() {
    namespace id = serial_ids;
    constexpr int w = 324, h = 94;
    return {
        130,
        138,
        "Serial Port Settings",
        "Soros port beállítások",
        {0, 0, w, h},
        {},
        {
            frame(w, h),
            // Both languages wrap the new-line label, so that the radio buttons of the two
            // groups form columns under the fields; the English column is a little wider.
            label("Port Speed (b/s)", "Portsebeség (b/s)", kBaudRate, {14, 19, 66, 8},
                  {14, 19, 62, 8}),
            combo(kBaudRate, {"baudRate", 5}, ControlKind::ComboEditable, {84, 16, 56, 100},
                  {80, 16, 56, 100}),
            check(kFlowControl, {"rtsCtsFlowControl", 1}, "Flow Control (RTS/CTS)",
                  "Torlódáskezelés (RTS/CTS)", {164, 18, 90, 10}, {146, 18, 104, 10}),
            label("Data Format", "Adatformátum", kDataFormat, {14, 37, 66, 8}, {14, 37, 62, 8}),
            combo(kDataFormat, {"dataFormat", 4}, ControlKind::ComboList, {84, 34, 56, 120},
                  {80, 34, 56, 120}),
            label("DTR/DSR Signal", "DTR/DSR jelek", id::dtrAlwaysHigh, {14, 54, 66, 8},
                  {14, 54, 62, 8}),
            firstRadio(id::dtrAlwaysHigh, {"dtrMode", 3}, "Always High", "Mindig magas",
                       {84, 53, 60, 10}, {80, 53, 60, 10}),
            radio(id::dtrDependsOnConn, "Depends on Conn State", "Kapcsolódás állapotától függ",
                  {164, 53, 92, 10}, {146, 53, 108, 10}),
            label("Duplicated New Line\n(ASCII 13, 10)", "Dupla soremelés\n(ASCII 13, 10)",
                  id::crlfKeep, {14, 67, 66, 16}, {14, 67, 62, 16}),
            firstRadio(id::crlfKeep, {"crlfMode", 2}, "Keep", "Maradjon", {84, 70, 60, 10},
                       {80, 70, 60, 10}),
            radio(id::crlfTrim, "Trim Second Character", "Második levágása", {164, 70, 90, 10},
                  {146, 70, 76, 10}),
            okButton(w),
            cancelButton(w),
        },
    };
}

DialogTemplate makeAdvanced() {
    namespace id = advanced_ids;
    constexpr int w = 320, h = 135, huW = 342;
    // Label column: 80 units in English, 88 in Hungarian; fields at 96 and 104. The buffer
    // label wraps, so that the radio buttons of the three groups stand in columns (English
    // 96, 160, 214; Hungarian 104, 182, 240).
    return {
        133,
        141,
        "Advanced Settings",
        "Finombeállítások",
        {0, 0, w, h},
        {0, 0, huW, h},
        {
            {-1, ControlKind::GroupBox, "", "", frame(w, h).rect, frame(huW, h).rect},
            label("Network Timeout (sec)", "Hálózati időtúllépés (mp)", kNetworkTimeout,
                  {14, 17, 80, 8}, {14, 17, 88, 8}),
            edit(kNetworkTimeout, {"networkTimeout", 5}, {96, 14, 30, 14}, {104, 14, 30, 14},
                 DigitsOnly),
            label("Keep-alive Timer (sec)", "Életjel küldés időköze (mp)", kKeepAlive,
                  {14, 34, 80, 8}, {14, 34, 88, 8}),
            edit(kKeepAlive, {"keepAliveTimer", 4}, {96, 31, 30, 14}, {104, 31, 30, 14}),
            label("(0 - Disable Keep-alive)", "(0 - Nincs életjel küldés)", 0, {132, 34, 80, 8},
                  {140, 34, 82, 8}),
            label("Buffer Handling on\nNew Network Connection",
                  "Puffer kezelése új\nkapcsolat felépítésekor", id::bufferKeep, {14, 47, 80, 16},
                  {14, 47, 88, 16}),
            firstRadio(id::bufferKeep, {"bufferHandling", 6}, "Keep Data", "Adatok megtartása",
                       {96, 50, 47, 10}, {104, 50, 75, 10}),
            radio(id::bufferClear, "Clear Buffer", "Puffer törlése", {160, 50, 53, 10},
                  {182, 50, 57, 10}),
            label("Network Delay", "Hálózati késleltetés", id::delaySmall, {14, 65, 80, 8},
                  {14, 65, 88, 8}),
            firstRadio(id::delaySmall, {"networkDelay", 2}, "Small", "Kicsi", {96, 64, 33, 10},
                       {104, 64, 30, 10}),
            radio(id::delayMedium, "Medium", "Közepes", {160, 64, 40, 10}, {182, 64, 41, 10}),
            radio(id::delayHuge, "Huge", "Nagy", {214, 64, 32, 10}, {240, 64, 31, 10}),
            label("Optimized for", "Optimalizálás", id::optimizeMinimal, {14, 79, 80, 8},
                  {14, 79, 88, 8}),
            firstRadio(id::optimizeMinimal, {"optimizeFor", 3}, "Minimal Traffic",
                       "Minimális forgalom", {96, 78, 62, 10}, {104, 78, 75, 10}),
            radio(id::optimizeFast, "Fast Packet Forward", "Gyors csomagtovábbítás",
                  {160, 78, 78, 10}, {182, 78, 94, 10}),
            check(id::icmpEcho, {"icmpEchoEnabled", 1}, "Enable ICMP Echo Reply (ping)",
                  "ICMP Echo Reply (ping) engedélyezése", {14, 92, 114, 10}, {14, 92, 138, 10}),
            edit(kPatternChar, {"patternChar", 8}, {108, 107, 20, 14}, {116, 107, 20, 14},
                 StartsDisabled),
            label("Pattern char (HEX)", "Minta karakter (HEX)", kPatternChar, {14, 110, 80, 8},
                  {14, 110, 88, 8}),
            check(kPatternCheck, {"patternCharEnabled", 7}, "", "", {96, 109, 10, 10},
                  {104, 109, 10, 10}),
            {kIdOk, ControlKind::DefaultButton, "OK", "OK", okButton(w).rect, okButton(huW).rect},
            {kIdCancel, ControlKind::PushButton, "Cancel", "Mégsem", cancelButton(w).rect,
             cancelButton(huW).rect},
        },
    };
}

DialogTemplate makeNetwork() {
    namespace id = network_ids;
    constexpr int w = 321, h = 167;
    // One label column of 76 units in both languages; fields at 94, the two ports' labels
    // at 168 and their edits at 213.
    return {
        132,
        140,
        "Network Settings",
        "Hálózati beállítások",
        {0, 0, w, h},
        {},
        {
            frame(w, h),
            label("MAC Address", "MAC azonosító", kMac, {14, 17, 76, 8}),
            edit(kMac, {"macAddress", 1}, {94, 14, 66, 14}, {}, StartsDisabled),
            label("Working Mode", "Működési mód", id::normalMode, {14, 33, 76, 8}),
            firstRadio(id::normalMode, {"workingMode", 2}, "Normal", "Normál", {94, 32, 40, 10}),
            radio(id::commandMode, "Command", "Parancs", {140, 32, 50, 10}),
            label("Protocol", "Protokoll", id::tcpProtocol, {14, 46, 76, 8}),
            firstRadio(id::tcpProtocol, {"protocol", 3}, "TCP/IP", "TCP/IP", {94, 45, 40, 10}),
            radio(id::udpProtocol, "UDP/IP", "UDP/IP", {140, 45, 50, 10}),
            label("TCP Mode", "TCP mód", id::clientMode, {14, 59, 76, 8}),
            firstRadio(id::clientMode, {"tcpMode", 4}, "Client", "Kliens", {94, 58, 40, 10}),
            radio(id::serverMode, "Server", "Szerver", {140, 58, 50, 10}),
            label("IP Address", "IP cím", kIp, {14, 76, 76, 8}),
            edit(kIp, {"ipAddress", 5}, {94, 73, 66, 14}),
            label("Local Port", "Helyi port", kLocalPort, {168, 76, 42, 8}),
            edit(kLocalPort, {"localPort", 6}, {213, 73, 36, 14}, {}, StartsDisabled),
            label("Subnet Mask", "Alhálózati maszk", kSubnet, {14, 93, 76, 8}),
            edit(kSubnet, {"subnetMask", 7}, {94, 90, 66, 14}),
            label("Gateway IP Address", "Átjáró IP címe", kGateway, {14, 110, 76, 8}),
            edit(kGateway, {"gatewayAddress", 8}, {94, 107, 66, 14}),
            label("Remote Address", "Távoli eszköz IP címe", kRemoteAddress, {14, 127, 76, 8}),
            edit(kRemoteAddress, {"remoteAddress", 9}, {94, 124, 66, 14}),
            label("Remote Port", "Távoli port", kRemotePort, {168, 127, 42, 8}),
            edit(kRemotePort, {"remotePort", 10}, {213, 124, 36, 14}),
            label("Remote Subnet Mask", "Távoli alhálózati maszk", kRemoteMask, {14, 144, 76, 8}),
            edit(kRemoteMask, {"remoteSubnetMask", 11}, {94, 141, 66, 14}, {}, StartsDisabled),
            okButton(w),
            cancelButton(w),
        },
    };
}

DialogTemplate makeRemoteConfig() {
    namespace id = remote_ids;
    constexpr int w = 245, h = 130;
    // Here OK and Cancel come first in the tab order, and the check boxes before the
    // community edit that stands between them on screen.
    return {
        134,
        139,
        "Remote Config Settings",
        "Távoli hozzáférés beállítások",
        {0, 0, w, h},
        {},
        {
            frame(w, h),
            okButton(w),
            cancelButton(w),
            check(id::readEnabled, {"snmpReadEnabled", 1}, "Enable Read Config (SNMP Get)",
                  "Távoli olvasás engedélyezése (SNMP Get)", {14, 28, 150, 10}),
            check(id::writeEnabled, {"snmpWriteEnabled", 2}, "Enable Write Config (SNMP Set)",
                  "Távoli írás engedélyezése (SNMP Set)", {14, 62, 150, 10}),
            edit(id::community, {"snmpCommunity", 3}, {112, 42, 66, 14}),
            label("Community String (Password)", "Community (Jelszó)", id::community,
                  {14, 45, 96, 8}),
            edit(id::filterAddress, {"snmpFilterAddress", 5}, {112, 90, 66, 14}),
            edit(id::filterMask, {"snmpFilterMask", 4}, {112, 106, 66, 14}),
            label("Network IP Address", "Hálózat IP címe", id::filterAddress, {14, 93, 96, 8}),
            label("Network Mask", "Hálózati maszk", id::filterMask, {14, 109, 96, 8}),
            label("Filter Settings:", "Szűrés beállítása:", 0, {14, 78, 96, 8}),
            label("Remote configuration is based on SNMP v1.0",
                  "Távoli hozzáférés az SNMP v1.0-ra alapozva működik", 0, {14, 15, 171, 8}),
        },
    };
}

} // namespace

const DialogTemplate& serialSettingsTemplate() {
    static const DialogTemplate t = makeSerial();
    return t;
}

const DialogTemplate& advancedSettingsTemplate() {
    static const DialogTemplate t = makeAdvanced();
    return t;
}

const DialogTemplate& networkSettingsTemplate() {
    static const DialogTemplate t = makeNetwork();
    return t;
}

const DialogTemplate& remoteConfigTemplate() {
    static const DialogTemplate t = makeRemoteConfig();
    return t;
}

} // namespace varnadex::ui
