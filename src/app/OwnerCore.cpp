#include "app/OwnerCore.h"

#include "app/ShellTexts.h"
#include "config/Profile.h"
#include "config/SettingsKeys.h"
#include "ticker/TickerOwner.h"

namespace marlune {

OwnerCore::OwnerCore(OwnerEffects& effects, platform::GlobalHotKey& hotKey, std::string baseIniPath)
    : m_effects(effects), m_hotKey(hotKey), m_baseIniPath(std::move(baseIniPath)) {}

void OwnerCore::Configure(const ShellSettings& settings) {
    m_settings = settings;
    updateRefreshPause();
}

// ---------------------------------------------------------------------------------
// Hot key and tray icon

void OwnerCore::registerHotKey() {
    // Nothing is held any more once the program is on its way out.
    if (m_ended)
        return;
    if (auto choice = HotKeyFromSettings(m_settings.hotKey, m_settings.hotKeyPress))
        m_hotKey.Register(choice->modifiers, choice->key); // a taken combination fails quietly
    else
        m_hotKey.Unregister();
}

void OwnerCore::unregisterHotKey() {
    m_hotKey.Unregister();
}

void OwnerCore::addIcon() {
    m_effects.AddTrayIcon();
    m_iconShown = true;
}

void OwnerCore::deleteIcon() {
    m_effects.DeleteTrayIcon();
    m_iconShown = false;
}

// ---------------------------------------------------------------------------------
// Start-up and exit

void OwnerCore::StartUp(bool trayAvailable) {
    m_trayAvailable = trayAvailable;
    // Added even without a tray: the desktop shows it once a tray appears.
    addIcon();
    registerHotKey();
    // The window counts as hidden since start-up for the lock after hiding.
    m_lastHideTime = m_effects.SteadySeconds();
    if (m_settings.lock.asksAtStartUp()) {
        m_locked = true;
        if (askPassword(kUnlockLabel))
            m_locked = false;
        if (m_ended)
            return;
    }
    if (m_locked) {
        setWindowState(kWindowHidden);
        // Without a tray icon or a hot key nothing could raise the prompt again: an
        // invisible program nobody can reach is of no use, so it ends.
        if (!m_trayAvailable && !m_hotKey.IsRegistered())
            Exit();
        return;
    }
    if (m_settings.startHidden == 1) {
        setWindowState(kWindowHidden);
        return;
    }
    m_effects.ShowTicker();
    setWindowState(kWindowShown);
}

void OwnerCore::Exit() {
    if (m_ended)
        return;
    m_ended = true;
    m_hotKey.Unregister();
    if (m_iconShown)
        deleteIcon();
    m_effects.EndProgram();
}

// ---------------------------------------------------------------------------------
// Lock

bool OwnerCore::askPassword(std::string_view prompt) {
    m_prompting = true;
    unregisterHotKey();
    const bool ok = m_effects.AskPassword(m_settings.lock.password, std::string(prompt));
    m_prompting = false;
    registerHotKey(); // whatever the outcome
    return ok;
}

bool OwnerCore::LockCheck() {
    if (m_ended)
        return false;
    const std::int64_t now = m_effects.SteadySeconds();
    // A prompt that was refused stays due, whatever the mode: otherwise a refused
    // start-up password (mode 1) would let the next show through.
    if (!m_locked) {
        if (!m_settings.lock.locksAfterHiding())
            return true;
        // A time before the hide cannot come from a clock that only runs forward; if
        // it ever did, it would not count as within the period.
        const std::int64_t idle = now - m_lastHideTime;
        if (idle >= 0 && idle <= m_settings.lock.periodSeconds) {
            m_lastHideTime = now;
            return true;
        }
    }
    // One prompt at a time: a second show path while it is up only fails.
    if (m_prompting)
        return false;
    m_locked = true;
    if (!askPassword(kUnlockPrompt) || m_ended)
        return false;
    m_locked = false;
    // The user has just proved who they are: the idle period starts again from here.
    m_lastHideTime = m_effects.SteadySeconds();
    return true;
}

// ---------------------------------------------------------------------------------
// Showing and hiding

void OwnerCore::showIconAgain() {
    // With the hide-tray flag the icon went with the window. An icon that is gone for
    // another reason (the flag was switched off meanwhile) comes back too.
    if (m_settings.hideTray == 1 || !m_iconShown)
        addIcon();
}

void OwnerCore::setWindowState(int state, bool bySchedule) {
    m_windowState = state;
    m_hiddenBySchedule = bySchedule;
    updateRefreshPause();
}

void OwnerCore::updateRefreshPause() {
    const bool userHid =
        (m_windowState == kWindowHidden || m_windowState == kWindowHiddenByHotKey) && !m_hiddenBySchedule;
    const bool paused = m_settings.stealth.noRefreshHidden && userHid && !m_ended;
    if (paused == m_refreshPaused)
        return;
    m_refreshPaused = paused;
    m_effects.PauseTickerRefresh(paused);
}

bool OwnerCore::lockWouldAsk() const {
    if (m_locked)
        return true;
    if (!m_settings.lock.locksAfterHiding())
        return false;
    const std::int64_t idle = m_effects.SteadySeconds() - m_lastHideTime;
    return !(idle >= 0 && idle <= m_settings.lock.periodSeconds);
}

void OwnerCore::OnSchedule(bool hidden) {
    if (m_ended || hidden == m_scheduleHides)
        return;
    // Not under the user's hands: the answer is taken when they are done.
    if (m_settingsOpen || m_prompting)
        return;
    m_scheduleHides = hidden;
    if (hidden) {
        if (m_windowState != kWindowShown && m_windowState != kWindowShownByHotKey &&
            m_windowState != kWindowDockedAtEdge)
            return;
        m_effects.HideTicker();
        m_lastHideTime = m_effects.SteadySeconds();
        // Hidden as by the hot key, so that the hot key, the menu and --show bring it back.
        setWindowState(kWindowHiddenByHotKey, true);
        return;
    }
    if (!m_hiddenBySchedule || m_windowState != kWindowHiddenByHotKey)
        return;
    if (lockWouldAsk()) {
        // Nobody may be at the desk to type it: the window waits for the user to show it.
        m_hiddenBySchedule = false;
        updateRefreshPause();
        return;
    }
    m_effects.RestoreTicker();
    showIconAgain();
    setWindowState(kWindowShown);
}

void OwnerCore::hideByHotKey(int newState) {
    m_effects.HideTicker();
    if (m_settings.hideTray == 1)
        deleteIcon();
    m_lastHideTime = m_effects.SteadySeconds();
    setWindowState(newState);
}

void OwnerCore::OnHotKey() {
    if (m_ended)
        return;
    switch (m_windowState) {
    case kWindowHidden:
        if (!LockCheck())
            return;
        m_effects.ShowTicker();
        showIconAgain();
        setWindowState(kWindowShownByHotKey);
        break;
    case kWindowDockedAtEdge:
    case kWindowHiddenByHotKey:
        restoreTicker();
        break;
    case kWindowShown:
        hideByHotKey(kWindowHiddenByHotKey);
        break;
    case kWindowShownByHotKey:
        hideByHotKey(kWindowHidden);
        break;
    default:
        break;
    }
}

bool OwnerCore::settingsInTheWay() {
    if (!m_settingsOpen)
        return false;
    m_effects.BringSettingsToFront();
    return true;
}

void OwnerCore::OnToggleCommand() {
    if (!m_ended && !settingsInTheWay())
        OnHotKey();
}

void OwnerCore::OnShowCommand() {
    if (m_ended || settingsInTheWay())
        return;
    if (m_windowState != kWindowShown && m_windowState != kWindowShownByHotKey)
        OnHotKey();
}

void OwnerCore::OnHideCommand() {
    if (m_ended || settingsInTheWay())
        return;
    if (m_windowState == kWindowShown || m_windowState == kWindowShownByHotKey)
        OnHotKey();
    else if (m_windowState == kWindowDockedAtEdge)
        hideByHotKey(kWindowHiddenByHotKey); // the strip at the edge goes too
}

void OwnerCore::restoreTicker() {
    if (!LockCheck())
        return;
    m_effects.RestoreTicker();
    showIconAgain();
    setWindowState(kWindowShown);
}

void OwnerCore::OnShowHideCommand() {
    if (m_ended)
        return;
    switch (m_windowState) {
    case kWindowHidden:
        if (!LockCheck())
            return;
        setWindowState(kWindowShown);
        m_effects.RestoreTicker();
        showIconAgain();
        break;
    case kWindowShown:
    case kWindowShownByHotKey:
        // The item reads "隐藏窗口(最小化)" whenever the window is in sight.
        m_effects.HideTicker();
        // Recorded like every other hide, so that the lock after hiding counts from
        // here and not from the last time the window was shown.
        m_lastHideTime = m_effects.SteadySeconds();
        setWindowState(kWindowHidden);
        break;
    case kWindowDockedAtEdge:
    case kWindowHiddenByHotKey:
        // The item reads "显示窗口" here, so it shows the window, as the hot key would.
        restoreTicker();
        break;
    default:
        break;
    }
}

bool OwnerCore::OnTrayIcon(int iconId, int mouseMessage) {
    if (iconId != kTrayIconId)
        return false;
    if (m_ended)
        return true;
    switch (mouseMessage) {
    case kTrayLeftDoubleClick:
        if (m_settingsOpen)
            m_effects.BringSettingsToFront();
        else
            OnShowHideCommand();
        break;
    case kTrayRightButtonUp:
        if (m_settingsOpen) {
            m_effects.BringSettingsToFront();
        } else if (!m_locked) {
            m_effects.RestartTickerRefresh();
            m_effects.ShowPopupMenu();
        }
        break;
    default:
        break;
    }
    return true;
}

void OwnerCore::OnShowMenuCommand() {
    if (m_ended)
        return;
    // Like the icon's right click: the menu would open the settings past the lock.
    if (m_settingsOpen)
        m_effects.BringSettingsToFront();
    else if (!m_locked)
        m_effects.ShowPopupMenu();
}

// ---------------------------------------------------------------------------------
// Menu commands and settings

void OwnerCore::OnTopMostCommand() {
    if (m_ended)
        return;
    const std::string stored = ProfileRead(m_baseIniPath, baseini::kTopMost.section, baseini::kTopMost.name);
    const int flag = stored == "1" ? 0 : 1;
    ProfileWriteInt(m_baseIniPath, baseini::kTopMost.section, baseini::kTopMost.name, flag);
    m_settings.topMost = flag;
    // The window's copy follows in every state, so that it is right when the window
    // is shown again later.
    m_effects.SetTickerTopMost(flag);
    switch (m_windowState) {
    case kWindowHiddenByHotKey:
        // Re-placing shows the window: the lock guards that like every other show.
        if (!LockCheck())
            return;
        showIconAgain();
        [[fallthrough]];
    case kWindowShown:
    case kWindowDockedAtEdge:
        m_effects.RePlaceTicker();
        setWindowState(kWindowShown);
        break;
    default:
        break;
    }
}

void OwnerCore::OnSettingsCommand(int page) {
    if (m_ended)
        return;
    // One settings dialog at a time: the menu of the ticker's grid stays reachable
    // while it is open.
    if (m_settingsOpen) {
        m_effects.BringSettingsToFront();
        return;
    }
    m_effects.StopTickerRefresh();
    m_settingsOpen = true;
    unregisterHotKey();
    m_effects.SetTickerLocked(true);
    m_effects.OpenSettings(page);
}

void OwnerCore::OnSettingsClosed() {
    m_effects.SetTickerLocked(false);
    m_settingsOpen = false;
    if (m_ended)
        return;
    // The quote timer was stopped while the dialog was open.
    m_effects.RestartTickerRefresh();
    registerHotKey();
}

void OwnerCore::OnSettingsApplied(const ShellSettings& settings) {
    if (m_ended)
        return;
    m_settings = settings;
    m_effects.ApplySettingsToTicker();
    updateRefreshPause();
    if (m_windowState == kWindowShown) {
        m_effects.SetTickerTopMost(m_settings.topMost);
        m_effects.RePlaceTicker();
    }
    unregisterHotKey();
    registerHotKey();
}

} // namespace marlune
