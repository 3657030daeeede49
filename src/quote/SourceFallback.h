#pragma once
// Switching to another quote service when the selected one stops answering.
//
// After two refreshes in a row of the selected service that failed (no reply, or a reply
// without a single usable record for a non-empty watch list) the next service in the
// order Sina, Tencent, East Money (the selected one skipped) is asked; a service asked so
// that fails too passes on to the next one. The one that answers is kept, but every tenth
// refresh asks the selected service again, and as soon as that answers it is back for good.
// Every refresh asks one service only, so one refresh never mixes two services' values.

#include <string>

namespace marlune {

enum class RefreshResult { kAnswered, kNoReply, kNoUsableRecords };

class SourceFallback {
public:
    static constexpr int kFailuresBeforeSwitch = 2;
    static constexpr int kRetrySelectedEvery = 10;

    // selected: the DataSour value (unknown values are Sina); enabled: AutoSource.
    SourceFallback(int selected = 1, bool enabled = true);

    // New settings: starts afresh on the selected service.
    void Reset(int selected, bool enabled);

    // The service to ask in this refresh; counts the refresh. Called only for a request
    // that is sent: a call the throttle drops must not use up the selected service's turn.
    int SourceForRefresh();

    // Gives up on the selected service after one failure: the next service becomes current
    // (for a program with a single refresh, which has no second one to wait for). Nothing
    // while another service is used already or the fallback is off.
    void LeaveSelectedNow();

    // The outcome of a refresh of a service. Outcomes of a service that is neither the
    // selected nor the current one (a late reply from before a switch) change nothing.
    void OnResult(int source, RefreshResult result);

    int Selected() const { return m_selected; }
    int Current() const { return m_current; }
    bool Enabled() const { return m_enabled; }
    bool OnOtherSource() const { return m_current != m_selected; }
    // True once every service it may ask (only the selected one while the fallback is off)
    // has failed since the last refresh that answered.
    bool EveryServiceFailed() const;

    // While another service than the selected one is used: "行情来源：腾讯（新浪无响应）";
    // otherwise empty.
    std::string StatusText() const;

    // The service after `source` in the order Sina, Tencent, East Money, skipping the
    // selected one; wraps round.
    int NextAfter(int source) const;

private:
    int m_selected = 1;
    bool m_enabled = true;
    int m_current = 1;
    int m_failures = 0;                            // consecutive failed refreshes of the selected service
    int m_sinceSwitch = 0;                         // refreshes since the selected service was left
    RefreshResult m_why = RefreshResult::kNoReply; // the selected service's last failure
    unsigned m_failedSinceAnswer = 0;              // bit per service number
};

} // namespace marlune
