#include "ui/MainWindowTemplate.h"

namespace varnadex::ui {

using K = ControlKind;
using namespace mainwin;

// One control a line, as a resource script has them.
// clang-format off
const DialogTemplate& mainWindowTemplate() {
    static const DialogTemplate tmpl{
        102, 137, "Varnadex v2.2", "Varnadex v2.2", {0, 0, 298, 170}, {},
        {
            {-1, K::GroupBox, "", "", {6, 3, 285, 47}},
            {-1, K::Picture, kBannerEnglish, kBannerHungarian, {8, 8, 281, 40}},
            {-1, K::GroupBox, "", "", {7, 53, 224, 60}},
            {-1, K::Label, "COM Port", "COM Port", {12, 62, 32, 8}, {}, None, kComPort},
            {kComPort, K::ComboEditable, "", "", {92, 60, 50, 42}},
            {-1, K::Label, "Hostname or IP Address", "Host-név vagy IP cím",
             {12, 78, 77, 8}, {12, 78, 70, 8}, None, kHost},
            {kHost, K::Edit, "", "", {92, 76, 82, 14}, {}, StartsDisabled},
            {-1, K::Label, "Community (Password)", "Community (Jelszó)",
             {12, 95, 72, 8}, {12, 95, 60, 8}, None, kCommunity},
            {kCommunity, K::Edit, "", "", {92, 93, 82, 14}, {}, StartsDisabled},
            {kComPortRadio, K::RadioButton, "COM Port", "COM Port", {181, 61, 47, 10}, {},
             FirstInGroup},
            {kNetworkRadio, K::RadioButton, "Network", "Hálózat", {182, 75, 43, 10},
             {182, 75, 40, 10}},
            {kSerialSettings, K::PushButton, "Serial Port Settings", "Soros port beállítások",
             {7, 117, 85, 14}},
            {kAdvancedSettings, K::PushButton, "Advanced Settings", "Finombeállítások",
             {97, 117, 85, 14}, {97, 117, 95, 14}},
            {kNetworkSettings, K::PushButton, "Network Settings", "Hálózati beállítások",
             {7, 133, 85, 14}},
            {kRemoteSettings, K::PushButton, "Remote Config Settings",
             "Távoli hozzáférés beállítások", {97, 133, 85, 14}, {97, 133, 95, 14}},
            {kProgress, K::ProgressBar, "", "", {7, 151, 225, 11}, {7, 151, 219, 11}, Bordered},
            {-1, K::Label, "Firmware\nVersion", "Firmware\nVerzió", {196, 115, 30, 16},
             {201, 115, 30, 16}, Centered, kFirmwareVersion},
            {kFirmwareVersion, K::Edit, "", "", {193, 133, 39, 14}, {198, 132, 36, 14},
             StartsDisabled},
            {kQuit, K::DefaultButton, "Quit", "Kilépés", {241, 56, 50, 14}},
            {kReadConf, K::PushButton, "Read Conf", "Olvasás", {241, 74, 50, 14}},
            {kWriteConf, K::PushButton, "Write Conf", "Írás", {241, 90, 50, 14}},
            {kReset, K::PushButton, "RESET", "Újraindítás", {241, 108, 50, 14}},
            {kCancelOperation, K::PushButton, "Cancel", "Mégsem", {241, 126, 50, 14}, {},
             StartsDisabled},
            {kFirmwareUpg, K::PushButton, "Firmware Upg", "Firmware frissítés",
             {241, 148, 50, 14}, {233, 148, 58, 14}},
        },
    };
    return tmpl;
}

const DialogTemplate& aboutTemplate() {
    static const DialogTemplate tmpl{
        100, 100, "About Varnadex", "About Varnadex", {0, 0, 229, 74}, {},
        {
            {-1, K::Picture, kIconResource, kIconResource, {7, 7, 0, 0}},
            {-1, K::Label, "Varnadex Version 2.2", "Varnadex Version 2.2", {44, 13, 170, 8}},
            {kQuit, K::DefaultButton, "OK", "OK", {89, 53, 50, 14}},
        },
    };
    return tmpl;
}

const std::vector<MenuTemplate>& mainMenuTemplate() {
    // The About command is English in both layouts, as the About box itself.
    static const std::vector<MenuTemplate> menus{
        {"&File", "&Fájl",
         {
             {kOpenConfiguration, "&Open Configuration...", "Konfiguráció &megnyitása...",
              "Ctrl+O"},
             {kSaveConfiguration, "&Save Configuration...", "Konfiguráció m&entése...",
              "Ctrl+S"},
             {0, nullptr, nullptr, nullptr},
             {kFindConverters, "&Find Converters...", "Konverterek &keresése...", "Ctrl+F"},
             {0, nullptr, nullptr, nullptr},
             {kQuit, "&Quit", "&Kilépés", nullptr},
         }},
        {"&Help", "&Súgó",
         {
             {kAboutCommand, "&About Varnadex...", "&About Varnadex...", "F1"},
         }},
    };
    return menus;
}
// clang-format on

} // namespace varnadex::ui
