#pragma once
// Fakes of the owner's platform pieces for the shell tests: a hot key that records its
// registrations, the owner's effects as a log, and a tray icon.

#include "app/OwnerCore.h"
#include "app/TrayIcon.h"
#include "platform/GlobalHotKey.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace marlune::test {

class FakeHotKey final : public platform::GlobalHotKey {
public:
    bool Register(int modifiers, char key) override {
        ++registrations;
        registered = false;
        if (taken || !platform::IsValidHotKey(modifiers, key))
            return false;
        registered = true;
        heldModifiers = modifiers;
        heldKey = key;
        return true;
    }
    void Unregister() override { registered = false; }
    bool IsRegistered() const override { return registered; }
    void Press() { notifyPressed(); }

    bool taken = false; // another program holds every combination
    bool registered = false;
    int heldModifiers = 0;
    char heldKey = 0;
    int registrations = 0;
};

class FakeTray final : public TrayIcon {
public:
    bool IsAvailable() const override { return available; }
    void Add(const QString& text) override {
        shown = true;
        tip = text;
    }
    void Delete() override { shown = false; }
    bool IsShown() const override { return shown; }
    void SetTip(const QString& text) override { tip = text; }
    void ShowBalloon(std::string_view text, std::string_view title, int timeoutMs) override {
        const BalloonText cut = CutBalloon(text, title);
        balloons.push_back({cut.text, cut.title, timeoutMs});
    }
    void Click(int iconId, int message) { report(iconId, message); }

    struct Balloon {
        std::string text;
        std::string title;
        int timeoutMs;
    };
    bool available = true;
    bool shown = false;
    QString tip;
    std::vector<Balloon> balloons;
};

// Every effect as a line of text, in order.
class FakeEffects final : public OwnerEffects {
public:
    void ShowTicker() override { log("show"); }
    void HideTicker() override { log("hide"); }
    void RestoreTicker() override { log("restore"); }
    void RePlaceTicker() override { log("re-place"); }
    void ApplySettingsToTicker() override { log("apply settings"); }
    void SetTickerTopMost(int topMost) override { log("topmost " + std::to_string(topMost)); }
    void SetTickerLocked(bool locked) override { log(locked ? "lock ticker" : "unlock ticker"); }
    void RestartTickerRefresh() override { log("refresh on"); }
    void StopTickerRefresh() override { log("refresh off"); }
    void PauseTickerRefresh(bool paused) override { log(paused ? "requests paused" : "requests resumed"); }
    void AddTrayIcon() override { log("icon add"); }
    void DeleteTrayIcon() override { log("icon delete"); }
    void ShowPopupMenu() override { log("menu"); }
    void OpenSettings(int page) override { log("settings " + std::to_string(page)); }
    void BringSettingsToFront() override { log("settings front"); }
    bool AskPassword(const std::string& expected, const std::string& prompt) override {
        log("ask " + prompt);
        lastExpected = expected;
        if (duringPrompt)
            duringPrompt();
        return answer;
    }
    std::int64_t SteadySeconds() const override { return now; }
    void EndProgram() override { log("end"); }

    void log(const std::string& line) { events.push_back(line); }
    // The events since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(events);
        return taken;
    }

    std::vector<std::string> events;
    std::int64_t now = 1000000;
    bool answer = true;
    std::string lastExpected;
    std::function<void()> duringPrompt;
};

} // namespace marlune::test
