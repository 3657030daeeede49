#pragma once
// Every settings key the program reads or writes, with its default and meaning, in
// one place: config/base.ini (sections [sys] and [color]) and scnf/SSTConf.xml.
// Readers use these constants, never the names as literals. Also the two colour
// notations of the files.

#include <cstdint>
#include <string>
#include <string_view>

namespace marlune {

// ---------------------------------------------------------------------------------
// config/base.ini

// A key of base.ini. The section is named as the readers ask for it; the first run
// writes section names in lower case ("[sys]", "[color]") and the profile functions
// match them without regard to case.
struct IniKey {
    const char* section;
    const char* name;
    const char* firstRunValue; // what the first run writes; a missing key reads as "" or 0
    const char* meaning;
};

namespace baseini {

inline constexpr const char kSys[] = "sys";
inline constexpr const char kColor[] = "Color";

// The vendor's web host, written after "ServerDomain=" by the first run.
inline constexpr const char kVendorHost[] = "www.orvento.example";

inline constexpr IniKey kNewStockTip{kSys, "NewStockTip", "1",
                                     "kept for the new-stock tip option, which lives in SSTConf.xml"};
inline constexpr IniKey kHotKey{kSys, "HotKey", "1",
                                "character of the show/hide hot key: a digit 0-9 or a capital letter A-Z"};
inline constexpr IniKey kHotKeyPress{kSys, "HotKeyPress", "1", "modifier of the hot key: 1 = Alt, 2 = Ctrl"};
inline constexpr IniKey kFreshSec{
    kSys, "FreshSec", "10",
    "refresh period of the quotes in seconds, 4 to 60 (1 to 3 read as 4); 0 = no automatic refresh"};
inline constexpr IniKey kDataSour{
    kSys, "DataSour", "1",
    "quote source: 1 = Sina, 2 = NetEase 163, 3 = Google, 4 = Tencent, 5 = East Money"};
// Not written by the first run: missing means on.
inline constexpr IniKey kAutoSource{kSys, "AutoSource", "1",
                                    "1 = when the quote source stops answering, ask the next working one"};
inline constexpr IniKey kTradeHoursOnly{kSys, "TradeHoursOnly", "1",
                                        "1 = the periodic refresh asks for quotes only during trading hours"};
inline constexpr IniKey kReSoft{kSys, "ReSoft", "", "full path of the trading program the menu starts"};
inline constexpr IniKey kShowTitle{kSys, "ShowTitle", "0",
                                   "1 = the ticker shows its header while its background is transparent"};
inline constexpr IniKey kTransBK{kSys, "TransBK", "0",
                                 "1 = the ticker has a colour-keyed transparent background"};
inline constexpr IniKey kTopMost{kSys, "TopMost", "1", "1 = the ticker stays on top of other windows"};
inline constexpr IniKey kServerIp{kSys, "ServerIp", "127.0.0.1", "reserved server address; nothing reads it"};
inline constexpr IniKey kServerPort{kSys, "ServerPort", "80", "reserved server port; nothing reads it"};
inline constexpr IniKey kServerDomain{kSys, "ServerDomain", kVendorHost,
                                      "reserved server name; nothing reads it"};
inline constexpr IniKey kSecurty{kSys, "Securty", "0",
                                 "kept for the password lock, which lives in SSTConf.xml"};
inline constexpr IniKey kLastX{kSys, "LastX", "100", "left edge of the ticker window on the screen, pixels"};
inline constexpr IniKey kLastY{kSys, "LastY", "400", "top edge of the ticker window on the screen, pixels"};

inline constexpr IniKey kCustColor{kColor, "CustColor", "0",
                                   "read by the ticker but without effect: the five colours are always used"};
inline constexpr IniKey kColorUp{kColor, "ColorUp", "0000ff", "text colour of rising quotes (red)"};
inline constexpr IniKey kColorDown{kColor, "ColorDown", "009900", "text colour of falling quotes (green)"};
inline constexpr IniKey kColorName{kColor, "ColorName", "ff0000", "text colour of the stock names (blue)"};
inline constexpr IniKey kColorTitle{kColor, "ColorTitle", "000000", "text colour of the header row (black)"};
inline constexpr IniKey kColorBK{kColor, "ColorBK", "e6ffff",
                                 "background colour of the quote grid (pale yellow)"};
inline constexpr IniKey kCustFont{kColor, "CustFont", "0", "reserved font option; nothing reads it"};

// Not written by the first run: a missing key reads as 0.
inline constexpr IniKey kAlertSound{kSys, "AlertSound", "0",
                                    "1 = alerts sound (the notification service's message sound, else the "
                                    "desktop's beep); 0 = silent"};

// Every key in the order of the first-run file.
inline constexpr IniKey kAllKeys[] = {
    kNewStockTip, kHotKey,    kHotKeyPress, kFreshSec,     kDataSour, kReSoft,   kShowTitle, kTransBK,
    kTopMost,     kServerIp,  kServerPort,  kServerDomain, kSecurty,  kLastX,    kLastY,     kCustColor,
    kColorUp,     kColorDown, kColorName,   kColorTitle,   kColorBK,  kCustFont,
};

// Values of DataSour. Any other value is handled as Sina.
enum DataSource : int { kDataSourceSina = 1, kDataSourceNetEase = 2, kDataSourceGoogle = 3 };

// Values of HotKeyPress.
enum HotKeyModifier : int { kHotKeyAlt = 1, kHotKeyCtrl = 2 };

// The range of FreshSec the settings offer: 0 (no automatic refresh), or 4 to 60 seconds.
inline constexpr int kFreshSecMax = 60;
// Quotes are requested at most once per 4 seconds, so a shorter period would only drop calls.
inline constexpr int kFreshSecMin = 4;

// The refresh period a stored FreshSec gives: 1 to 3 seconds read as 4; 0 (no automatic
// refresh) and every other value as stored.
constexpr int RefreshPeriodOf(int storedFreshSec) {
    return storedFreshSec > 0 && storedFreshSec < kFreshSecMin ? kFreshSecMin : storedFreshSec;
}

} // namespace baseini

// ---------------------------------------------------------------------------------
// scnf/SSTConf.xml

// A key of SSTConf.xml: an element two levels below the document's root. A key that
// is missing when it is read is added with kDefaultOnMiss.
struct XmlKey {
    const char* name;
    const char* meaning;
};

namespace sstconf {

inline constexpr const char kDefaultOnMiss[] = "0";

inline constexpr XmlKey kDisplayFresh{"DisplayFresh", "show the refresh time in the ticker window"};
inline constexpr XmlKey kTopMost{"TopMost", "keep the ticker window on top"};
inline constexpr XmlKey kAutoRun{"AutoRun", "start the program with the desktop session"};
inline constexpr XmlKey kMiniTray{"MiniTray", "hide the tray icon too when the hot key hides the window"};
inline constexpr XmlKey kMiniWnd{"MiniWnd", "hide the window when the program starts"};
inline constexpr XmlKey kAutoHide{"AutoHide", "hide the window when it is docked at a screen edge"};
inline constexpr XmlKey kAutoUpdate{"AutoUpdate", "check for updates automatically"};
inline constexpr XmlKey kNewStockTip{"NewStockTip", "show tips about newly listed stocks"};
inline constexpr XmlKey kActiveWnd{"ActiveWnd", "show stock data in the active window"};
inline constexpr XmlKey kSTcode{"STcode", "show the code column"};
inline constexpr XmlKey kSTUpDownRato{"STUpDownRato", "show the change-rate column"};
inline constexpr XmlKey kSTValueRato{"STValueRato", "show the profit-rate column"};
inline constexpr XmlKey kSTPrice{"STPrice", "show the latest-price column"};
inline constexpr XmlKey kSTName{"STName", "show the name column"};
inline constexpr XmlKey kSTUpDown{"STUpDown", "show the change column"};
inline constexpr XmlKey kSTValue{"STValue", "show the profit column"};
inline constexpr XmlKey kSTTotalValue{"STTotalValue", "show the total profit"};
inline constexpr XmlKey kCustColor{"CustColor", "1 = use the five custom colours below"};
inline constexpr XmlKey kColorUp{"ColorUp", "colour of rising quotes (RRGGBB), read when CustColor is 1"};
inline constexpr XmlKey kColorDown{"ColorDown",
                                   "colour of falling quotes (RRGGBB), read when CustColor is 1"};
inline constexpr XmlKey kColorName{"ColorName", "colour of the names (RRGGBB), read when CustColor is 1"};
inline constexpr XmlKey kColorTitle{"ColorTitle", "colour of the header (RRGGBB), read when CustColor is 1"};
inline constexpr XmlKey kColorBK{"ColorBK", "background colour (RRGGBB), read when CustColor is 1"};
inline constexpr XmlKey kShowHead{"ShowHead", "show the header row in the ticker window"};
inline constexpr XmlKey kFontSize{"FontSize", "font size index 0 to 4"};
inline constexpr XmlKey kFontBold{"FontBold", "bold font"};
inline constexpr XmlKey kProxyType{"ProxyType",
                                   "0 = no proxy, 1 = HTTP proxy, 2 = the desktop's proxy settings"};
inline constexpr XmlKey kProxyIp{"ProxyIp", "proxy host as a dotted IPv4 address"};
inline constexpr XmlKey kProxyPort{"ProxyPort", "proxy port, decimal"};
inline constexpr XmlKey kProxyUser{"ProxyUser", "proxy user name"};
inline constexpr XmlKey kProxyPasswd{"ProxyPasswd", "proxy password, plain text"};
inline constexpr XmlKey kSecurty{"Securty", "password-lock mode 0 to 3"};
inline constexpr XmlKey kLoginPd{"LoginPd", "the lock password"};
inline constexpr XmlKey kLockTime{"LockTime",
                                  "the lock delay in minutes, as the text of the chosen list entry"};
inline constexpr XmlKey kUpdateTime{"UpdateTime",
                                    "time of the last successful update check, seconds since 1970"};
// Stealth options; older versions leave these elements alone.
inline constexpr XmlKey kPlainMode{
    "PlainMode", "1 = every text of the ticker in PlainColor: no up/down colours, no underlines"};
inline constexpr XmlKey kPlainColor{"PlainColor", "the one text colour of the plain mode (RRGGBB)"};
inline constexpr XmlKey kHideAfterClose{
    "HideAfterClose", "1 = hide the ticker after the day's last session and show it at the next open"};
inline constexpr XmlKey kHideWhenStale{"HideWhenStale",
                                       "1 = with HideAfterClose, hide it too while the quotes are stale"};
inline constexpr XmlKey kNoRefreshHidden{"NoRefreshHidden",
                                         "1 = no requests at all while the user has hidden the ticker"};

// Every key, in the order the display, network and security pages read them.
inline constexpr XmlKey kAllKeys[] = {
    kDisplayFresh, kTopMost,    kAutoRun,        kMiniTray,      kMiniWnd,         kAutoHide,  kAutoUpdate,
    kNewStockTip,  kActiveWnd,  kSTcode,         kSTUpDownRato,  kSTValueRato,     kSTPrice,   kSTName,
    kSTUpDown,     kSTValue,    kSTTotalValue,   kCustColor,     kColorUp,         kColorDown, kColorName,
    kColorTitle,   kColorBK,    kShowHead,       kFontSize,      kFontBold,        kProxyType, kProxyIp,
    kProxyPort,    kProxyUser,  kProxyPasswd,    kSecurty,       kLoginPd,         kLockTime,  kUpdateTime,
    kPlainMode,    kPlainColor, kHideAfterClose, kHideWhenStale, kNoRefreshHidden,
};

// Values of ProxyType.
enum ProxyKind : int { kProxyNone = 0, kProxyHttp = 1, kProxyDesktop = 2 };

// The display page's colours when CustColor is not 1, as 0xRRGGBB.
inline constexpr std::uint32_t kDefaultRgbUp = 0xFF0000;
inline constexpr std::uint32_t kDefaultRgbDown = 0x009900;
inline constexpr std::uint32_t kDefaultRgbName = 0x0000FF;
inline constexpr std::uint32_t kDefaultRgbTitle = 0x000000;
inline constexpr std::uint32_t kDefaultRgbBK = 0xFFFFE6;

} // namespace sstconf

// ---------------------------------------------------------------------------------
// Colours. base.ini keeps six hexadecimal digits of the Windows colour value
// 0x00BBGGRR ("0000ff" is red); SSTConf.xml keeps them in the order red, green, blue
// ("ff0000" is red).

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(Rgb x, Rgb y) { return x.r == y.r && x.g == y.g && x.b == y.b; }
    friend bool operator!=(Rgb x, Rgb y) { return !(x == y); }
};

// The number a "%06x" scan reads: blanks skipped, then at most six characters of an
// optional sign, an optional "0x" and hexadecimal digits; 0 when no digit comes.
// Only the low 24 bits are kept.
std::uint32_t ScanHexColor(std::string_view text);

// 0xRRGGBB and the Windows colour value 0x00BBGGRR.
constexpr std::uint32_t ToRrggbb(Rgb c) {
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}
constexpr Rgb FromRrggbb(std::uint32_t v) {
    return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
               static_cast<std::uint8_t>(v)};
}
constexpr std::uint32_t ToColorref(Rgb c) {
    return (std::uint32_t{c.b} << 16) | (std::uint32_t{c.g} << 8) | c.r;
}
constexpr Rgb FromColorref(std::uint32_t v) {
    return Rgb{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
               static_cast<std::uint8_t>(v >> 16)};
}

// A base.ini colour text ("0000ff" is red) and back.
Rgb ParseIniColor(std::string_view text);
std::string IniColorText(Rgb color);

// An SSTConf.xml colour text ("ff0000" is red) and back.
Rgb ParseXmlColor(std::string_view text);
std::string XmlColorText(Rgb color);

} // namespace marlune
