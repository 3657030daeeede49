#include "quote/SourceFallback.h"

#include "quote/QuoteService.h"

namespace marlune {
namespace {

constexpr int kFallbackOrder[] = {kSourceSina, kSourceTencent, kSourceEastMoney};
constexpr int kFallbackCount = sizeof kFallbackOrder / sizeof kFallbackOrder[0];

unsigned Bit(int source) {
    return source >= 0 && source < 32 ? 1u << source : 0u;
}

int OrderIndex(int source) {
    for (int i = 0; i < kFallbackCount; ++i) {
        if (kFallbackOrder[i] == source)
            return i;
    }
    return -1;
}

} // namespace

SourceFallback::SourceFallback(int selected, bool enabled) {
    Reset(selected, enabled);
}

void SourceFallback::Reset(int selected, bool enabled) {
    m_selected = QuoteServiceOf(selected).source;
    m_enabled = enabled;
    m_current = m_selected;
    m_failures = 0;
    m_sinceSwitch = 0;
    m_failedSinceAnswer = 0;
}

int SourceFallback::NextAfter(int source) const {
    int index = OrderIndex(source);
    for (int step = 0; step < kFallbackCount; ++step) {
        index = (index + 1) % kFallbackCount;
        if (kFallbackOrder[index] != m_selected)
            return kFallbackOrder[index];
    }
    return m_selected;
}

int SourceFallback::SourceForRefresh() {
    if (!OnOtherSource())
        return m_selected;
    ++m_sinceSwitch;
    return m_sinceSwitch % kRetrySelectedEvery == 0 ? m_selected : m_current;
}

void SourceFallback::LeaveSelectedNow() {
    if (m_enabled && !OnOtherSource()) {
        m_current = NextAfter(-1);
        m_sinceSwitch = 0;
    }
}

bool SourceFallback::EveryServiceFailed() const {
    // The selected service was left because it failed, and has not answered since.
    const unsigned failed = m_failedSinceAnswer | (OnOtherSource() ? Bit(m_selected) : 0u);
    unsigned all = Bit(m_selected);
    if (m_enabled) {
        for (int source : kFallbackOrder)
            all |= Bit(source);
    }
    return (failed & all) == all;
}

void SourceFallback::OnResult(int source, RefreshResult result) {
    const bool answered = result == RefreshResult::kAnswered;
    if (source == m_selected || source == m_current)
        m_failedSinceAnswer = answered ? 0u : m_failedSinceAnswer | Bit(source);
    if (source == m_selected) {
        if (answered) {
            m_current = m_selected;
            m_failures = 0;
            return;
        }
        ++m_failures;
        m_why = result;
        if (m_enabled && !OnOtherSource() && m_failures >= kFailuresBeforeSwitch) {
            m_current = NextAfter(-1);
            m_sinceSwitch = 0;
        }
        return;
    }
    if (source == m_current && !answered)
        m_current = NextAfter(m_current);
}

std::string SourceFallback::StatusText() const {
    if (!OnOtherSource())
        return {};
    const char* why = m_why == RefreshResult::kNoUsableRecords ? "无数据" : "无响应";
    return std::string("行情来源：") + QuoteServiceOf(m_current).name + "（" +
           QuoteServiceOf(m_selected).name + why + "）";
}

} // namespace marlune
