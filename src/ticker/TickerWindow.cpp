#include "ticker/TickerWindow.h"

#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/StartupFiles.h"
#include "net/ServiceEndpoints.h"
#include "platform/DisplayPlatform.h"
#include "platform/WindowPlatform.h"
#include "quote/DerivedValues.h"
#include "quote/WatchExtras.h"
#include "quote/WatchListFile.h"
#include "ticker/ChartImageCache.h"
#include "ticker/ChartPopupController.h"
#include "ticker/ColorKeyPointerWatch.h"
#include "ticker/DesktopScreens.h"
#include "ticker/GridRefill.h"
#include "ticker/QuoteDetailPopup.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerMenu.h"
#include "ticker/TickerOwner.h"
#include "ticker/WebPane.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <ctime>

namespace marlune {

namespace {

// Every grid row takes this many pixels of the window's height, its spare pixel included.
constexpr int kGridRowPitch = 21;

// How long a window position must stay before the docking reacts to it.
constexpr int kMoveSettleMs = 40;

// The body of the window around the grid, in the caption strip's lower tone.
const QColor kBodyColour(0xDC, 0xE7, 0xF4);

} // namespace

// The window's content: background, caption buttons, grid and status line, always in
// its full size. The window itself shows the part of it that is on the screen.
class TickerBody final : public QWidget {
public:
    explicit TickerBody(TickerWindow* window) : QWidget(window), m_window(window) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_window->paintBackground(painter);
    }

private:
    TickerWindow* m_window;
};

TickerWindow::TickerWindow(TickerOwner* owner, QWidget* parent)
    : TickerWindow(owner, JobsAndClocks{}, parent) {}

TickerWindow::TickerWindow(TickerOwner* owner, JobsAndClocks jobsAndClocks, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_owner(owner),
      m_refresh(
          std::make_unique<RefreshDriver>(std::move(jobsAndClocks), ProgramFolder(), AlertStatePath())) {
    setWindowTitle(QStringLiteral("Marlune"));
    m_placesItself = platform::WindowsPlaceThemselves();
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    // Before the window exists: where a compositor blends windows, the window gets an
    // alpha channel, and transparent mode makes its background transparent with it.
    platform::PrepareColorKeyAlpha(this);
    m_body = new TickerBody(this);
    m_pointerWatch = new ColorKeyPointerWatch(this);
    m_moveSettle = new QTimer(this);
    m_moveSettle->setSingleShot(true);
    m_moveSettle->setInterval(kMoveSettleMs);
    connect(m_moveSettle, &QTimer::timeout, this, &TickerWindow::onMoveSettled);
    QFont windowFont = font();
    windowFont.setPixelSize(12);
    setFont(windowFont);

    // Start-up: screen, program folder and the detail popup first, then the settings
    // and the watch list, the children, the layout, and the first refresh.
    m_area = ReadScreenArea();
    m_programFolder = ProgramFolder();
    m_osGeneration = platform::OsGeneration();
    m_popup = new QuoteDetailPopup(this);
    readSettings();
    loadWatchList();
    m_strip = QPixmap(QStringLiteral(":/images/caption_strip.png"));
    m_checkMark = QPixmap(QStringLiteral(":/images/check_mark.png"));
    createChildren();
    applyChromeTransparency();
    layOut();
    if (m_settings.transBK == 1)
        platform::SetColorKey(this, colorOf(m_settings.colorBK));
    // Downloads cut off by the end of an earlier run left their temporary files.
    RemoveStaleReplyTemps(DataFolder(), ProgramStartTime());
    connectRefresh();
    m_refresh->Cycle().Start();
    watchScreens();
    // A window with an alpha channel follows the compositor: without one its transparent
    // pixels would show black, so the colour key falls back to the mask meanwhile.
    if (testAttribute(Qt::WA_TranslucentBackground))
        StartTimer(kTimerCompositor, kCompositorCheckMs);
}

TickerWindow::~TickerWindow() {
    // Its workers end before the widgets they report to.
    m_refresh.reset();
}

// ---------------------------------------------------------------------------------
// Start-up pieces

void TickerWindow::readSettings() {
    m_settings = ReadTickerSettings(BaseIniPath(), XmlSettingsPath());
    m_docking.SetAutoHide(m_settings.display.autoHide);
    m_transparency.transBK = m_settings.transBK;
    m_transparency.showTitle = m_settings.showTitle;
    m_refresh->Cycle().Configure(
        {m_settings.dataSource, m_settings.autoSource, m_settings.tradeHoursOnly, m_settings.freshSec});
}

void TickerWindow::loadWatchList() {
    // A list.ini refused for its size or type is left alone; the first-run list stands in.
    // Alerts shown before this start (or before the list was edited) are not shown again.
    WatchList list = ReadListFile(ListIniPath(), MarketReading::Number, DefaultListIni()).entries;
    WatchExtrasFile(WatchExtrasPath()).ApplyTo(list);
    m_refresh->Cycle().SetWatchList(std::move(list));
}

QColor TickerWindow::colorOf(Rgb rgb) const {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QColor TickerWindow::backgroundFill() const {
    const QColor background = colorOf(m_settings.colorBK);
    return m_transparency.transBK == 1 ? platform::ColorKeyFill(this, background) : background;
}

GridColors TickerWindow::gridColors() const {
    if (m_settings.stealth.plainMode)
        return PlainGridColors(colorOf(m_settings.stealth.plainColor), backgroundFill());
    return {colorOf(m_settings.colorUp),
            colorOf(m_settings.colorDown),
            colorOf(m_settings.colorName),
            colorOf(m_settings.colorTitle),
            backgroundFill(),
            QColor(),
            true,
            true};
}

void TickerWindow::createChildren() {
    m_captionButtons = new CaptionButtons(m_strip, m_body);
    connect(m_captionButtons, &CaptionButtons::clicked, this, &TickerWindow::onCaptionButton);

    // The window's own browser pane, sized to nothing as the window template has it. It shows
    // no page, so its browser engine never starts.
    auto* browserPane = new WebPane(m_body);
    browserPane->setObjectName(QStringLiteral("browserPane"));
    browserPane->setGeometry(0, 0, 0, 0);

    m_grid = new QuoteGrid(m_body);
    m_status = new QLabel(m_body);
    m_status->setAutoFillBackground(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_status->setTextFormat(Qt::PlainText);

    // Dragging on the grid moves the window as dragging on the body does.
    connect(m_grid, &QuoteGrid::windowDragStarted, this, &TickerWindow::startDrag);
    connect(m_grid, &QuoteGrid::windowDragMoved, this, &TickerWindow::dragTo);
    connect(m_grid, &QuoteGrid::windowDragEnded, this, [this] {
        unsetCursor();
        if (m_dragging)
            endDrag();
    });

    m_popupController = new ChartPopupController(m_grid, m_popup, this);
    m_popupController->setBook(&m_refresh->Cycle().Book());
    // An open detail popup shows the quotes of the row under it as they are now.
    connect(this, &TickerWindow::quotesRefilled, m_popupController, &ChartPopupController::refreshPopup);
    connect(m_popupController, &ChartPopupController::dataWindowRequested, this,
            [this](const QString& url) { openDataWindow(url); });
    connect(m_popupController, &ChartPopupController::menuRequested, this,
            [this](const QPoint& pos) { ShowPopupMenu(pos); });

    m_menu = new TickerMenu(m_checkMark, m_osGeneration, this);
    connect(m_menu, &TickerMenu::commandChosen, this, &TickerWindow::onMenuCommand);
}

void TickerWindow::applyChromeTransparency() {
    const QColor background = backgroundFill();
    m_captionButtons->SetTransparency(m_transparency, background);
    m_docking.SetTransparent(m_transparency.transBK == 1);
    m_pointerWatch->SetOn(m_transparency.transBK == 1);
    QPalette statusPalette = m_status->palette();
    statusPalette.setColor(QPalette::WindowText, gridColors().title);
    statusPalette.setColor(QPalette::Window, background);
    m_status->setPalette(statusPalette);
    SetQuoteGridBackground(*m_grid, background);
    update();
}

void TickerWindow::setUpGrid() {
    const GridColors colors = gridColors();
    SetUpQuoteGrid(*m_grid, static_cast<int>(Book().watchList.size()), colors);
    ApplyDisplayToGrid(*m_grid, m_settings.display);
    m_popup->SetChartColors(colors.up, colors.down);
    // The detail popup shows rising and falling values in the grid's colours.
    m_popup->SetSignColors(colors.up, colors.down);
}

void TickerWindow::computeSize() {
    // Columns, header row and total line left out by the display settings narrow and
    // shorten the window.
    const int n = static_cast<int>(Book().watchList.size());
    m_width = TickerWidth() - HiddenColumnsWidth(m_settings.display);
    m_height = TickerHeight(n) - kGridRowPitch * HiddenRowCount(m_settings.display);
}

void TickerWindow::layOut() {
    computeSize();
    const ScreenPoint stored{m_settings.lastX, m_settings.lastY};
    // The whole window starts on a screen, its bottom and left edges too.
    const ScreenPoint corrected = fittedPosition(StartPosition(stored, m_width, m_height, m_area));
    if (!(corrected == stored) && m_placesItself) {
        m_settings.lastX = corrected.x;
        m_settings.lastY = corrected.y;
        ProfileWriteInt(BaseIniPath(), baseini::kLastX.section, baseini::kLastX.name, corrected.x);
        ProfileWriteInt(BaseIniPath(), baseini::kLastY.section, baseini::kLastY.name, corrected.y);
    }
    m_docking.SetWindowSize(m_width, m_height);
    m_docking.SetScreens(ReadDockScreens());
    m_docking.SetDockPosition(m_settings.lastX, m_settings.lastY);
    applyWindowLevel();
    m_body->resize(m_width, m_height);
    placeWindow(m_settings.lastX, m_settings.lastY);
    setUpGrid();
    placeChildren();
    setStatus(QString::fromUtf8(kStatusReadingQuotes));
}

void TickerWindow::placeChildren() {
    const int n = static_cast<int>(Book().watchList.size());
    m_captionButtons->Place(m_width);
    const int hiddenRows = kGridRowPitch * HiddenRowCount(m_settings.display);
    m_grid->setGeometry(kGridX, kGridY, GridWidth(m_width), QuoteGridHeight(n) - hiddenRows);
    m_status->setGeometry(kStatusX, StatusY(n) - hiddenRows, StatusWidth(m_width), kStatusHeight);
}

void TickerWindow::applyWindowLevel() {
    platform::WindowLevel level = platform::WindowLevel::Normal;
    if (m_settings.topMost == 1)
        level = platform::WindowLevel::TopMost;
    else if (m_osGeneration == 0 || m_osGeneration == 1)
        level = platform::WindowLevel::Desktop;
    platform::SetWindowLevel(this, level);
}

void TickerWindow::connectRefresh() {
    connect(m_refresh.get(), &RefreshDriver::quotesApplied, this, &TickerWindow::showQuotes);
    connect(m_refresh.get(), &RefreshDriver::alertsRaised, this, &TickerWindow::alertsRaised);
    connect(m_refresh.get(), &RefreshDriver::statusChanged, this, &TickerWindow::setStatus);
    connect(m_refresh.get(), &RefreshDriver::chartFileArrived, this,
            [this](const QString& path) { m_popup->chartImages().FileDownloaded(path.toStdString()); });
    connect(m_refresh.get(), &RefreshDriver::chartFileGone, this,
            [this](const QString& path) { m_popup->chartImages().FileGone(path.toStdString()); });
}

std::int64_t TickerWindow::now() const {
    return m_refresh->Now();
}

void TickerWindow::refreshQuotes() {
    m_refresh->Cycle().Refresh();
}

void TickerWindow::HandleFetchStatus(const FetchReport& report) {
    m_refresh->HandleFetchStatus(report);
}

void TickerWindow::showQuotes() {
    // The grid paints what the book holds.
    RefillQuoteGrid(*m_grid, Book(), gridColors(), m_settings.display.displayFresh);
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
    emit quotesRefilled();
}

void TickerWindow::StopRefresh() {
    m_refresh->Cycle().RestartQuoteTimer(QuoteTimerRestart::kStopped);
}

void TickerWindow::RestartRefresh() {
    m_refresh->Cycle().RestartQuoteTimer(QuoteTimerRestart::kPeriod);
}

void TickerWindow::StartTimer(int id, int milliseconds) {
    m_timers.Start(id, milliseconds);
}

void TickerWindow::KillTimer(int id) {
    m_timers.Stop(id);
}

bool TickerWindow::IsTimerActive(int id) const {
    return m_timers.IsActive(id);
}

void TickerWindow::FireTimer(int id) {
    KillTimer(id);
    onTimer(id);
}

void TickerWindow::onTimer(int id) {
    if (id == kTimerCompositor) {
        if (platform::UpdateColorKeyMode(this))
            onColorKeyModeChanged();
        StartTimer(kTimerCompositor, kCompositorCheckMs);
    } else {
        m_docking.OnTimer(id);
    }
}

void TickerWindow::onColorKeyModeChanged() {
    // What was filled with the old see-through colour gets the new one: transparent for
    // alpha, the key for the mask, which is then made from the new paint.
    applyChromeTransparency();
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

void TickerWindow::setStatus(const QString& status) {
    // The same text again needs no repaint: most refreshes end with the same text.
    if (m_status->text() == status)
        return;
    m_status->setText(status);
    // The new text must not be cut by a mask made for the old one.
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

QString TickerWindow::StatusText() const {
    return m_status->text();
}

// ---------------------------------------------------------------------------------
// Commands

void TickerWindow::rereadSettings() {
    readSettings();
    applyChromeTransparency();
}

void TickerWindow::hoverHeader(bool on) {
    const bool slidAway = m_docking.State() != 0 && m_docking.HideFlagValue() != 0;
    if (on && m_settings.showTitle == 1 && m_settings.transBK == 1 && !slidAway)
        m_transparency.headerHover = 1;
    if (!on && m_settings.showTitle == 1 && m_settings.transBK == 1 && m_docking.State() == 0 &&
        m_docking.HideFlagValue() == 0)
        m_transparency.headerHover = 0;
    setHeaderHover(m_transparency.headerHover);
}

void TickerWindow::applySettings() {
    const int oldWidth = m_width;
    const int oldHeight = m_height;
    readSettings();
    loadWatchList();
    // Stocks still on the list keep the quotes of the last reply until the new ones come; the
    // profit and loss and the totals are those of the rows shown now.
    ComputeDerivedValues(m_refresh->Cycle().Book());
    applyChromeTransparency();
    if (m_transparency.transBK == 1)
        platform::SetColorKey(this, colorOf(m_settings.colorBK));
    else if (platform::HasColorKey(this))
        platform::ClearColorKey(this);
    // New colours and new stocks show at once; the quotes follow with the request below.
    setUpGrid();
    const GridColors colors = gridColors();
    RefillQuoteGrid(*m_grid, m_refresh->Cycle().Book(), colors, m_settings.display.displayFresh);
    computeSize();
    if (m_width != oldWidth || m_height != oldHeight) {
        m_docking.SetWindowSize(m_width, m_height);
        m_body->resize(m_width, m_height);
        // More rows must not push the window's bottom off the screen; a window slid out
        // of sight at an edge stays there.
        if (m_docking.State() == kHiddenRight || m_docking.State() == kHiddenTop)
            placeWindow(m_logical.x(), m_logical.y());
        else
            placeWindow(fittedPosition(ScreenPoint{m_logical.x(), m_logical.y()}));
        placeChildren();
    }
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
    // A changed list or source needs its quotes now, whenever the last request was.
    m_refresh->Cycle().SettingsApplied();
}

void TickerWindow::setPlainMode(bool on) {
    m_settings.stealth.plainMode = on;
    applyChromeTransparency();
    setUpGrid();
    RefillQuoteGrid(*m_grid, Book(), gridColors(), m_settings.display.displayFresh);
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

void TickerWindow::setTransparentBackground(bool transparent) {
    m_settings.transBK = transparent ? 1 : 0;
    m_transparency.transBK = m_settings.transBK;
    applyChromeTransparency();
    if (transparent) {
        platform::SetColorKey(this, colorOf(m_settings.colorBK));
        hide();
        show();
    } else {
        platform::ClearColorKey(this);
    }
    rePlace();
}

void TickerWindow::setHeaderHover(int hover) {
    m_transparency.headerHover = hover;
    applyChromeTransparency();
    repaint();
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

void TickerWindow::rePlace() {
    // A window all on a screen stays where it is; one partly off the screens comes back.
    std::size_t primary = 0;
    const std::vector<ScreenRect> screens = ReadScreens(primary);
    if (auto target =
            RePlacedPosition(ScreenPoint{m_logical.x(), m_logical.y()}, m_width, m_height, screens, primary))
        placeWindow(*target);
    applyWindowLevel();
    show();
    if (m_settings.topMost == 1)
        raise();
}

void TickerWindow::restorePlace() {
    placeWindow(m_settings.lastX, m_settings.lastY);
    if (m_settings.transBK == 1) {
        platform::SetColorKey(this, colorOf(m_settings.colorBK));
        hide();
    } else {
        platform::ClearColorKey(this);
    }
    show();
}

void TickerWindow::onCaptionButton(int id) {
    const bool lockable = id == kButtonClose || id == kButtonHide || id == kButtonSet || id == kButtonData;
    if (lockable && m_locked) {
        if (m_owner != nullptr)
            m_owner->BringSettingsToFront();
        return;
    }
    switch (id) {
    case kButtonClose:
        if (m_owner != nullptr)
            m_owner->ExitRequested();
        break;
    case kButtonHide:
        if (m_owner != nullptr)
            m_owner->BeforeHideByButton();
        hideLikeHideButton();
        break;
    case kButtonSet:
        RestartRefresh();
        ShowPopupMenu(QCursor::pos());
        break;
    case kButtonData:
        openDataWindow(QString::fromStdString(ServiceBaseUrl(Service::kVendorSite) + "/stock/ministock.php"));
        break;
    case kButtonFresh:
        refreshQuotes();
        break;
    default:
        break;
    }
}

void TickerWindow::hideLikeHideButton() {
    hide();
    SetOwnerWindowState(kWindowHidden);
    if (m_owner != nullptr)
        m_owner->NoteWindowHidden();
}

void TickerWindow::ShowPopupMenu(const QPoint& globalPos) {
    m_popupController->hidePopup();
    m_menu->Prepare(OwnerWindowState(), m_settings.topMost, m_settings.transBK,
                    m_owner != nullptr && m_owner->AlertsPaused(), m_settings.stealth.plainMode);
    activateWindow();
    m_menu->popup(globalPos);
}

void TickerWindow::onMenuCommand(int id) {
    if (m_owner != nullptr)
        m_owner->OnMenuCommand(id);
}

void TickerWindow::openDataWindow(const QString& url) {
    m_dataWindows.Open(url);
}

int TickerWindow::OwnerWindowState() const {
    return m_owner != nullptr ? m_owner->GetWindowState() : m_localWindowState;
}

// ---------------------------------------------------------------------------------
// Placement

QRect TickerWindow::visiblePart(const QRect& logical) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return logical;
    const QRect visible = logical.intersected(screen->virtualGeometry());
    // Entirely off the screen: keep the window whole, wherever it is.
    return visible.isEmpty() ? logical : visible;
}

void TickerWindow::placeWindow(int x, int y) {
    // Window managers keep windows partly on the screen, so a window slid out of sight
    // at an edge would stop short of it. Instead the window shrinks to the part of its
    // content that is on the screen, which looks the same.
    m_logical = QRect(x, y, m_width, m_height);
    m_placedAt = m_logical.topLeft();
    const QRect visible = visiblePart(m_logical);
    m_body->move(m_logical.topLeft() - visible.topLeft());
    setFixedSize(visible.size());
    move(visible.topLeft());
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

void TickerWindow::placeWindow(const QPoint& topLeft) {
    placeWindow(topLeft.x(), topLeft.y());
}

void TickerWindow::placeWindow(ScreenPoint topLeft) {
    placeWindow(topLeft.x, topLeft.y);
}

ScreenPoint TickerWindow::fittedPosition(ScreenPoint topLeft) const {
    std::size_t primary = 0;
    const std::vector<ScreenRect> screens = ReadScreens(primary);
    return FitOnScreen(topLeft, m_width, m_height, screens, primary);
}

void TickerWindow::onScreensChanged() {
    m_area = ReadScreenArea();
    m_docking.SetScreens(ReadDockScreens());
    if (m_docking.State() == kHiddenRight || m_docking.State() == kHiddenTop) {
        // The edge it was slid behind may be gone: it comes back at its stored place.
        m_docking.Undock();
        placeWindow(fittedPosition(ScreenPoint{m_settings.lastX, m_settings.lastY}));
    } else {
        placeWindow(fittedPosition(ScreenPoint{m_logical.x(), m_logical.y()}));
    }
}

void TickerWindow::watchScreens() {
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &TickerWindow::onScreensChanged);
        connect(screen, &QScreen::geometryChanged, this, &TickerWindow::onScreensChanged);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        onScreensChanged();
    });
    // A removed screen still counts while this is sent: look again once it is gone.
    connect(qApp, &QGuiApplication::screenRemoved, this,
            [this] { QTimer::singleShot(0, this, &TickerWindow::onScreensChanged); });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &TickerWindow::onScreensChanged);
}

// ---------------------------------------------------------------------------------
// DockingHost

void TickerWindow::MoveWindowTo(int x, int y) {
    if (QPoint(x, y) == m_logical.topLeft()) {
        // Already there: no move will be reported, so the docking hears of it now.
        const QRect r = m_logical;
        m_docking.OnPlacedByProgram(DockRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
        return;
    }
    placeWindow(x, y);
}

bool TickerWindow::CursorInsideWindow() const {
    return geometry().contains(QCursor::pos());
}

void TickerWindow::SetOwnerWindowState(int state) {
    if (m_owner != nullptr)
        m_owner->SetWindowState(state);
    else
        m_localWindowState = state;
}

void TickerWindow::StorePosition(int x, int y) {
    if (x == m_settings.lastX && y == m_settings.lastY)
        return;
    m_settings.lastX = x;
    m_settings.lastY = y;
    ProfileWriteInt(BaseIniPath(), baseini::kLastX.section, baseini::kLastX.name, x);
    ProfileWriteInt(BaseIniPath(), baseini::kLastY.section, baseini::kLastY.name, y);
}

void TickerWindow::HideDetailPopup() {
    m_popupController->hidePopup();
}

void TickerWindow::RepaintWindow() {
    repaint();
    if (platform::HasColorKey(this))
        platform::RefreshColorKey(this);
}

// ---------------------------------------------------------------------------------
// Events

void TickerWindow::paintBackground(QPainter& painter) {
    if (!WindowShowsBackgroundStrip(m_transparency)) {
        // Replaces what was there: a transparent fill must clear, not blend.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(m_body->rect(), backgroundFill());
        return;
    }
    painter.fillRect(m_body->rect(), kBodyColour);
    painter.drawPixmap(0, 0, m_strip);
}

void TickerWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Window managers report passing positions, e.g. the corner of the screen while a
    // window is being mapped: the docking sees a move once the position has settled.
    m_moveSettle->start();
}

void TickerWindow::onMoveSettled() {
    // Moves made by the window system or the user: the body keeps its place inside.
    m_logical.moveTopLeft(pos() + m_body->pos());
    if (!m_placesItself)
        return;
    // While the user drags, the window goes where the mouse takes it; docking and storing
    // wait for the drop.
    if (m_dragging)
        return;
    const QRect r = m_logical;
    const DockRect rect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    // Where the program put the window it stays: only a move by someone else, the user or
    // the window manager on the user's behalf, may dock it.
    if (m_logical.topLeft() == m_placedAt)
        m_docking.OnPlacedByProgram(rect);
    else
        m_docking.OnMove(rect);
    // A window that was cut at the screen's edge and is now back on it, or the reverse.
    if (m_logical.topLeft() != m_placedAt && visiblePart(m_logical) != geometry())
        placeWindow(m_logical.x(), m_logical.y());
}

void TickerWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_locked) {
        QWidget::mousePressEvent(event);
        return;
    }
    startDrag(event->globalPosition().toPoint());
}

void TickerWindow::startDrag(const QPoint& globalPress) {
    if (m_locked)
        return;
    if (!m_placesItself) {
        // The desktop moves the window; where it ends is not the program's to know.
        if (windowHandle() != nullptr)
            windowHandle()->startSystemMove();
        return;
    }
    m_docking.OnDragStart();
    m_popupController->hidePopup();
    setCursor(Qt::SizeAllCursor);
    // The window follows the mouse itself rather than through the window manager's move,
    // so that it knows where the drag ends: only then does it dock and store its place.
    m_dragging = true;
    m_dragOffset = globalPress - m_logical.topLeft();
}

void TickerWindow::dragTo(const QPoint& globalPos) {
    if (m_dragging)
        placeWindow(globalPos - m_dragOffset);
}

void TickerWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        dragTo(event->globalPosition().toPoint());
    else if (event->buttons() == Qt::NoButton)
        unsetCursor();
    if (m_placesItself)
        m_docking.OnMouseMove();
    QWidget::mouseMoveEvent(event);
}

void TickerWindow::mouseReleaseEvent(QMouseEvent* event) {
    unsetCursor();
    if (m_dragging && event->button() == Qt::LeftButton)
        endDrag();
    QWidget::mouseReleaseEvent(event);
}

void TickerWindow::endDrag() {
    m_dragging = false;
    // Wherever the drop is, the whole window lands on a screen; there it docks at an edge
    // or stays and is stored, as after any other move.
    placeWindow(fittedPosition(ScreenPoint{m_logical.x(), m_logical.y()}));
    m_moveSettle->stop();
    const QRect r = m_logical;
    m_docking.OnMove(DockRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
}

void TickerWindow::enterEvent(QEnterEvent* event) {
    // The mouse can arrive without moving over the window, e.g. when the window slides
    // under it: entering counts as a move.
    if (m_placesItself)
        m_docking.OnMouseMove();
    m_pointerWatch->Look();
    QWidget::enterEvent(event);
}

void TickerWindow::leaveEvent(QEvent* event) {
    const QRect r = m_logical;
    if (m_placesItself)
        m_docking.OnMouseLeave(DockRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
    m_pointerWatch->Look();
    QWidget::leaveEvent(event);
}

void TickerWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        m_dataWindows.Close();
        m_popupController->hidePopup();
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The window only goes out of sight: the owner keeps it and can show it again.
        onCaptionButton(kButtonHide);
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

} // namespace marlune
