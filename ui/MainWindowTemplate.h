#pragma once

#include "ui/DialogTemplate.h"

#include <vector>

namespace varnadex::ui {

// Control ids of the main window.
namespace mainwin {
inline constexpr int kQuit = 1;
inline constexpr int kComPort = 1000;
inline constexpr int kComPortRadio = 1001;
inline constexpr int kNetworkRadio = 1002;
inline constexpr int kReadConf = 1021;
inline constexpr int kWriteConf = 1022;
inline constexpr int kFirmwareUpg = 1023;
inline constexpr int kReset = 1024;
inline constexpr int kProgress = 1039;
inline constexpr int kSerialSettings = 1040;
inline constexpr int kNetworkSettings = 1041;
inline constexpr int kAdvancedSettings = 1042;
inline constexpr int kRemoteSettings = 1043;
inline constexpr int kFirmwareVersion = 1047;
inline constexpr int kCommunity = 1050;
inline constexpr int kHost = 1053;
inline constexpr int kCancelOperation = 1058; // stops a Read Conf or Write Conf
// Menu commands (the About command keeps its system-menu id).
inline constexpr int kAboutCommand = 16;
inline constexpr int kOpenConfiguration = 2001;
inline constexpr int kSaveConfiguration = 2002;
inline constexpr int kFindConverters = 2003;
} // namespace mainwin

// One command of the main window's menu bar; id 0 draws a separator.
struct MenuItemTemplate {
    int id;
    const char* english;
    const char* hungarian;
    const char* shortcut; // portable key sequence text, or nullptr
};

struct MenuTemplate {
    const char* english;
    const char* hungarian;
    std::vector<MenuItemTemplate> items;
};

// Templates 102 (English) and 137 (Hungarian).
const DialogTemplate& mainWindowTemplate();
// Template 100: English in both layouts.
const DialogTemplate& aboutTemplate();
// The main window's menu bar, in both languages.
const std::vector<MenuTemplate>& mainMenuTemplate();

// Resource names of the artwork.
inline constexpr const char* kIconResource = ":/res/128.png";
inline constexpr const char* kBannerEnglish = "135";
inline constexpr const char* kBannerHungarian = "136";

} // namespace varnadex::ui
