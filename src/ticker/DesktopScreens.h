#pragma once
// What the desktop's screens are, read from Qt into the plain types the window's layout
// (TickerLayout.h) and docking (EdgeDocking.h) rules take. Read anew whenever a screen
// comes, goes or changes.

#include "ticker/EdgeDocking.h"
#include "ticker/TickerLayout.h"

#include <cstddef>
#include <vector>

namespace marlune {

// The primary screen's size and the right and bottom edges of its work area.
ScreenArea ReadScreenArea();
// The work areas of all screens; the primary one's index goes to `primary`.
std::vector<ScreenRect> ReadScreens(std::size_t& primary);
// The same work areas as the docking takes them.
std::vector<DockRect> ReadDockScreens();

} // namespace marlune
