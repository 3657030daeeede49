#pragma once
// The ticker window: the one visible working window. A frameless tool window with the
// quote grid, a strip of caption buttons and a status line; it loads its settings and
// the watch list, shows what its refresh cycle (RefreshDriver) brings, docks at the screen
// edges and takes commands from its owner.

#include "quote/QuoteBook.h"
#include "ticker/CaptionButtons.h"
#include "ticker/ChromeRules.h"
#include "ticker/DataWindow.h"
#include "ticker/EdgeDocking.h"
#include "ticker/GridRefill.h"
#include "ticker/OneShotTimers.h"
#include "ticker/RefreshDriver.h"
#include "ticker/TickerLayout.h"
#include "ticker/TickerSettings.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPainter;
class QTimer;

namespace marlune {

class ChartPopupController;
class ColorKeyPointerWatch;
class HoverButton;
class QuoteDetailPopup;
class QuoteGrid;
class TickerMenu;
class TickerOwner;

// The window's own timer, beside the refresh and docking timers: it looks whether a
// compositing manager started or stopped.
enum TickerTimer : int { kTimerCompositor = 20 };
constexpr int kCompositorCheckMs = 2000;

class TickerWindow final : public QWidget, private DockingHost {
    Q_OBJECT
public:
    // Where download jobs go and what time it is; tests replace both.
    using JobsAndClocks = RefreshDriver::JobsAndClocks;

    // Runs the start-up sequence: reads base.ini and the watch list of the program folder,
    // lays the window out (hidden; the owner shows it), requests quotes and starts the
    // refresh timers. The owner is not owned and may be null (then nothing is passed on).
    explicit TickerWindow(TickerOwner* owner, QWidget* parent = nullptr);
    TickerWindow(TickerOwner* owner, JobsAndClocks jobsAndClocks, QWidget* parent = nullptr);
    ~TickerWindow() override;

    // A download job's report, on the GUI thread.
    void HandleFetchStatus(const FetchReport& report);

public slots:
    // Requests the quotes now (dropped within 4 seconds of the previous request, and
    // while the previous quote job still runs): the refresh button, the menu's 刷新.
    void refreshQuotes();
    // Reads base.ini's settings again (without laying the window out anew).
    void rereadSettings();
    // Settings applied: everything read again, the window laid out for the list, its quotes
    // asked at once and the refresh timers restarted.
    void applySettings();
    // Back to the stored place, shown (the hot key, the menu's 显示窗口).
    void restorePlace();
    // Moved back onto the screen when it sits at an edge, at its window level, and shown.
    void rePlace();
    // The plain mode on or off (menu "朴素显示"): every text in the plain colour, no
    // underlines; the quotes shown are painted again at once.
    void setPlainMode(bool on);
    // The transparent background on or off; re-placed after.
    void setTransparentBackground(bool transparent);
    // The caption strip shown while the mouse is over the header in transparent mode.
    void hoverHeader(bool on);

public:
    // The quote timer: started again with its period, or stopped (while the settings dialog
    // is open).
    void RestartRefresh();
    void StopRefresh();
    // Opens the popup menu at a screen position.
    void ShowPopupMenu(const QPoint& globalPos);

    // Set by the owner while the settings dialog is open: the caption buttons then only
    // bring the settings dialog to the front, and the window cannot be dragged.
    void SetLocked(bool locked) { m_locked = locked; }
    bool IsLocked() const { return m_locked; }
    // The owner's copy of TopMost, used by re-placing (command 1137).
    void SetTopMost(int topMost) { m_settings.topMost = topMost; }

    // State, for the owner and for tests.
    const TickerSettings& Settings() const { return m_settings; }
    const QuoteBook& Book() const { return m_refresh->Cycle().Book(); }
    RefreshDriver& Refresh() { return *m_refresh; }
    const RefreshDriver& Refresh() const { return *m_refresh; }
    int WindowWidth() const { return m_width; }
    int WindowHeight() const { return m_height; }
    ScreenArea Area() const { return m_area; }
    QString StatusText() const;
    QuoteGrid* Grid() const { return m_grid; }
    QLabel* StatusLine() const { return m_status; }
    HoverButton* CaptionButton(int id) const { return m_captionButtons->Button(id); }
    QuoteDetailPopup* DetailPopup() const { return m_popup; }
    TickerMenu* Menu() const { return m_menu; }
    // The window's position and size as the program places it; the part of it on the
    // screen is what the window system shows.
    QRect LogicalGeometry() const { return m_logical; }
    const EdgeDocking& Docking() const { return m_docking; }
    // Lifts the see-through window's mask while the pointer is over it.
    ColorKeyPointerWatch& PointerWatch() const { return *m_pointerWatch; }
    EdgeDocking& Docking() { return m_docking; }
    // The docking's and the compositor check's timers, by id.
    bool IsTimerActive(int id) const;
    int HeaderHover() const { return m_transparency.headerHover; }
    int OwnerWindowState() const;

    // Fires a one-shot timer's action now (tests drive the docking with it).
    void FireTimer(int id);

signals:
    // The alert messages a reply raised, each followed by "\n", for the owner to show.
    void alertsRaised(const QString& text);
    // After the grid was refilled from a reply.
    void quotesRefilled();

protected:
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // DockingHost
    void MoveWindowTo(int x, int y) override;
    void StartTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    bool CursorInsideWindow() const override;
    void SetOwnerWindowState(int state) override;
    void StorePosition(int x, int y) override;
    void HideDetailPopup() override;
    void RepaintWindow() override;

    friend class TickerBody;
    void paintBackground(QPainter& painter);
    QRect visiblePart(const QRect& logical) const;
    void placeWindow(int x, int y);
    void placeWindow(const QPoint& topLeft);
    void placeWindow(ScreenPoint topLeft);
    // The position that puts the whole window on a screen (the one holding most of it).
    ScreenPoint fittedPosition(ScreenPoint topLeft) const;
    void watchScreens();
    void onScreensChanged();
    // A drag of the window by the user, on the body or on the grid.
    void startDrag(const QPoint& globalPress);
    void dragTo(const QPoint& globalPos);
    void endDrag();
    void onMoveSettled();
    void setStatus(const QString& status);
    void connectRefresh();
    // The book holds new quotes: the grid shows them.
    void showQuotes();
    void readSettings();
    void loadWatchList();
    void createChildren();
    void applyChromeTransparency();
    void layOut();
    void computeSize();
    void placeChildren();
    void applyWindowLevel();
    void setUpGrid();
    void onTimer(int id);
    void onCaptionButton(int id);
    void onMenuCommand(int id);
    void setHeaderHover(int hover);
    // The compositor started or stopped: the see-through parts are refilled for alpha or
    // for the mask.
    void onColorKeyModeChanged();
    void hideLikeHideButton();
    void openDataWindow(const QString& path);
    std::int64_t now() const;
    QColor colorOf(Rgb rgb) const;
    // What the transparent mode makes see-through is filled with this: ColorBK, or
    // transparent while the colour key is made with alpha.
    QColor backgroundFill() const;
    GridColors gridColors() const;

    TickerOwner* m_owner;
    // The refresh cycle with its timers and downloads; the grid shows its book.
    std::unique_ptr<RefreshDriver> m_refresh;
    TickerSettings m_settings;
    ScreenArea m_area;
    std::string m_programFolder;
    int m_osGeneration = 0;
    int m_width = 0;
    int m_height = 0;
    int m_localWindowState = 0; // used when there is no owner
    bool m_locked = false;
    ChromeTransparency m_transparency;

    QPixmap m_strip;
    QPixmap m_checkMark;
    QWidget* m_body = nullptr;
    QRect m_logical;
    QPoint m_placedAt;
    QTimer* m_moveSettle = nullptr;
    ColorKeyPointerWatch* m_pointerWatch = nullptr;
    QuoteGrid* m_grid = nullptr;
    QLabel* m_status = nullptr;
    CaptionButtons* m_captionButtons = nullptr;
    QuoteDetailPopup* m_popup = nullptr;
    ChartPopupController* m_popupController = nullptr;
    TickerMenu* m_menu = nullptr;
    DataWindowOwner m_dataWindows{this};
    OneShotTimers m_timers{[this](int id) { onTimer(id); }, this};

    EdgeDocking m_docking{*this};

    bool m_dragging = false;
    // False on a native Wayland window, which cannot place itself: the desktop moves it,
    // and it neither docks nor stores its position.
    bool m_placesItself = true;
    QPoint m_dragOffset;
};

} // namespace marlune
