#pragma once
// The texts and fixed numbers of the program's shell: the tray icon, its balloons, the
// small dialogs and the pages of the vendor's web site the menu and the about box open.

#include <QString>

#include <string_view>

namespace marlune {

// One of these texts (UTF-8) as a QString.
inline QString ShellText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// Tray icon tips: when the icon is added, and after a balloon has gone.
inline constexpr std::string_view kTrayTip = "Marlune1.0 - Orvento";
inline constexpr std::string_view kTrayTipAfterBalloon = "Marlune1.0";
// Said once by the hide button when the desktop has no notification area; %1 is the hot key.
inline constexpr char kHiddenWithoutTrayText[] =
    "窗口将隐藏。这个桌面没有通知区域图标，按 %1 可以重新显示窗口。";
inline constexpr char kHiddenWithoutTrayNoHotKeyText[] =
    "窗口将隐藏。这个桌面没有通知区域图标，也没有可用的快捷键：运行 marlune --send 1135 可以重新显示窗口。";

// The price-alert balloon.
inline constexpr std::string_view kAlertBalloonTitle = "Marlune";
inline constexpr int kAlertBalloonTimeoutMs = 3000;
// The tip comes back this long after a balloon.
inline constexpr int kTipRestoreDelayMs = 15000;

// Balloon limits, in bytes of the GBK form (the notification area's fixed fields).
inline constexpr std::size_t kBalloonTextMaxBytes = 255;
inline constexpr std::size_t kBalloonTitleMaxBytes = 63;

// The unlock prompt.
inline constexpr std::string_view kUnlockTitle = "登陆";
inline constexpr std::string_view kUnlockLabel = "登陆密码：";
inline constexpr std::string_view kUnlockPrompt = "解锁密码：";
inline constexpr std::string_view kUnlockWrongPassword = "密码错误!请输入安全密码";
inline constexpr std::string_view kOkText = "确定";
inline constexpr std::string_view kCancelText = "取消";
inline constexpr std::string_view kQuitPromptText = "退出";

// The about box.
inline constexpr std::string_view kAboutBoxTitle = "关于Sorell";
inline constexpr std::string_view kAboutBoxProductLine = "Marlune1.0 - Orvento";
// Followed by the program's version (kMarluneVersion).
inline constexpr std::string_view kAboutVersionPrefix = "版本：";
inline constexpr std::string_view kAboutSitePrefix = "网站：";
inline constexpr std::string_view kAboutAdviceText = "意见和建议";
inline constexpr std::string_view kAboutHelpText = "使用帮助";
inline constexpr std::string_view kAboutOwnership = "Copyright (C) Orvento. 版权所有。";
inline constexpr std::string_view kAboutUserGroup = "用户交流群：10000001";

// Pages of the vendor's web site.
inline constexpr std::string_view kVendorRegisterPage = "/usercenter?action=registe";
inline constexpr std::string_view kVendorAdvicePage = "/ent/advice.php";
inline constexpr std::string_view kVendorMarketPage = "/stock/";

// Commands the owner takes from other programs.
inline constexpr int kCmdShowMenu = 100;
// marlune --toggle, --show, --hide: the ticker window as "显示窗口"/"隐藏窗口(最小化)" moves
// it, for desktop shortcuts where no global hot key can be had. marlune --refresh sends the
// ticker's own refresh command (1127).
inline constexpr int kCmdToggleWindow = 101;
inline constexpr int kCmdShowWindow = 102;
inline constexpr int kCmdHideWindow = 103;

} // namespace marlune
