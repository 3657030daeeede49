#pragma once
// The page that replaces a page the data window could not load.

#include <QString>

namespace marlune {

// The text the failure page shows.
inline constexpr char kFailurePageText[] = "网络访问失败.请检查网络";

// The failure page's HTML, exactly as the program has always written it: two pieces joined
// directly, so the body's background declaration is left as a bare "#" (browsers drop it and
// keep the default background). The body neither scrolls nor offers a context menu.
QString FailurePageHtml();

} // namespace marlune
