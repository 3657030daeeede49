#pragma once
// The popup menu of the SET button and of a right click on the grid: owner-drawn
// entries 130 pixels wide, a cream band on the left, check marks from a bitmap and a
// show/hide entry whose text follows the window's state. The commands themselves are
// carried out by the window's owner.

#include <QMenu>
#include <QPixmap>
#include <QString>
#include <vector>

namespace marlune {

// Menu command ids.
enum MenuCommand : int {
    kMenuSettings = 32771,
    kMenuRefresh = 32772,
    kMenuTransparent = 32773, // not in the menu; its check mark follows TransBK
    kMenuShowHide = 32774,
    kMenuTopMost = 32775,
    kMenuStartTrading = 32777,
    kMenuAddStock = 32778,
    kMenuVendorHome = 32780,
    kMenuExit = 32784,
    kMenuAdvice = 32785,
    kMenuMarket = 32786,
    kMenuAbout = 32789,
    kMenuAlwaysChecked = 32790, // not in the menu; always shows a check mark
    kMenuPauseAlerts = 32791,   // "暂停预警": no alert shown until chosen again or the next start
    kMenuPlainMode = 32792,     // "朴素显示": every text in one colour, no underlines (stored)
};

struct MenuEntry {
    int id = 0; // 0 for a separator
    const char* text = "";
};

// The entries in menu order.
const std::vector<MenuEntry>& TickerMenuEntries();

// Sizes and offsets of the owner-drawn items.
constexpr int kMenuItemWidth = 130;
constexpr int kMenuItemHeight = 20;
constexpr int kMenuSeparatorHeight = 5;
constexpr int kMenuBandWidth = 20;
constexpr int kMenuTextX = 30;
constexpr int kMenuCheckX = 3;

// The text an entry shows, given the owner's WindowState.
QString MenuItemText(int id, const QString& ownText, int windowState);
// Whether an entry shows the check mark.
bool MenuItemChecked(int id, int topMost, int transBK, bool alertsPaused = false, bool plainMode = false);
// Vertical offsets of the text and the check mark inside an item by OsGeneration.
int MenuTextOffsetY(int osGeneration);
int MenuCheckOffsetY(int osGeneration);

class TickerMenu final : public QMenu {
    Q_OBJECT
public:
    TickerMenu(const QPixmap& checkMark, int osGeneration, QWidget* parent);

    // Brings texts and check marks up to date; call before showing.
    void Prepare(int windowState, int topMost, int transBK, bool alertsPaused = false,
                 bool plainMode = false);
    // The action of a command id, or null.
    QAction* ActionFor(int id) const;

signals:
    void commandChosen(int id);
};

} // namespace marlune
