#pragma once
// When the painted chrome (background strip and caption buttons) shows, and when it
// is filled with the background colour instead so that it vanishes with the colour key.

namespace marlune {

// The ticker window's transparency settings, copied into every caption button.
struct ChromeTransparency {
    int transBK = 0;     // 1: colour-keyed transparent background
    int showTitle = 0;   // 1: the header may show in transparent mode
    int headerHover = 0; // 1: the header is being shown (commands 1139 / 1140)
};

// The window background: the strip is drawn unless the window is transparent with
// its header hidden.
inline bool WindowShowsBackgroundStrip(const ChromeTransparency& t) {
    return !(t.transBK == 1 && t.headerHover == 0 && t.showTitle == 0);
}

// A caption button draws its picture unless it is to vanish with the header.
inline bool ButtonShowsPicture(const ChromeTransparency& t) {
    return t.transBK != 1 || (t.showTitle != 0 && t.showTitle != 1) ||
           (t.showTitle == 1 && t.headerHover == 1);
}

// A caption button reacts to the mouse unless the header is hidden for good.
inline bool ButtonTracksHover(const ChromeTransparency& t) {
    return t.transBK != 1 || t.showTitle != 0;
}

// Caption button tips show unless the window is transparent without its header.
inline bool CaptionTipsActive(const ChromeTransparency& t) {
    return t.transBK != 1 || t.showTitle == 1;
}

} // namespace marlune
