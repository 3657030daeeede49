#include "net/UpdateRules.h"

#include "net/ServiceEndpoints.h"
#include "text/Fields.h"
#include "text/Gbk.h"

namespace marlune {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNewStockFrameOpening = "newstk=\"";
constexpr std::size_t kNewStockMinimumLength = 12;

// Length of the well-formed UTF-8 sequence at the start of the text, 0 when there is none.
std::size_t WellFormedSequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

std::string UpdateFileUrl() {
    return ServiceBaseUrl(Service::kVendorSite) + std::string(kUpdateFilePath);
}

std::string NewStockFileUrl() {
    return ServiceBaseUrl(Service::kVendorSite) + std::string(kNewStockFilePath);
}

std::string CleanUtf8Reply(std::string_view reply) {
    if (reply.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        reply.remove_prefix(kByteOrderMark.size());
    std::string clean;
    clean.reserve(reply.size());
    while (!reply.empty()) {
        const std::size_t length = WellFormedSequenceLength(reply);
        if (length == 0) {
            clean.append(kReplacement);
            reply.remove_prefix(1);
        } else {
            clean.append(reply.substr(0, length));
            reply.remove_prefix(length);
        }
    }
    return clean;
}

bool IsUpdateOffered(std::string_view versionFile, std::string_view ownVersion) {
    const std::string text = CleanUtf8Reply(versionFile);
    const std::vector<std::string> records = SplitFields(text, ";");
    const std::vector<std::string> fields = SplitFields(FieldAt(records, 0), ":");
    if (fields.size() < 2)
        return false;
    // std::string compares bytes as unsigned values, as strcmp does.
    return fields[0] == "1" && std::string_view(fields[1]).compare(ownVersion) > 0;
}

std::optional<std::string> ExtractNewStockTip(std::string_view newStockFile) {
    const std::string text = CleanUtf8Reply(newStockFile);
    if (GbkLength(text) < kNewStockMinimumLength)
        return std::nullopt;
    if (text.compare(0, kNewStockFrameOpening.size(), kNewStockFrameOpening) != 0 || text.back() != '"')
        return std::nullopt;
    return text.substr(kNewStockFrameOpening.size(), text.size() - kNewStockFrameOpening.size() - 1);
}

bool UpdateCheckState::applyVersionFile(std::string_view versionFile, bool updaterExists) {
    if (!IsUpdateOffered(versionFile))
        return false;
    m_state = updaterExists ? UpdateState::UpdaterReady : UpdateState::UpdaterMissing;
    return true;
}

InstallAction UpdateCheckState::install(bool autoUpgrade) {
    switch (m_state) {
    case UpdateState::NoUpdate:
        return InstallAction::Nothing;
    case UpdateState::UpdaterMissing:
        m_state = UpdateState::UpdaterReady;
        return InstallAction::Nothing;
    case UpdateState::UpdaterReady:
        return autoUpgrade ? InstallAction::ExitAndRunUpdater : InstallAction::AskUser;
    }
    return InstallAction::Nothing;
}

} // namespace marlune
