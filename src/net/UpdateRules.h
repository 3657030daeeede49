#pragma once
// The update check and the new-stock tip: what the two small text files from the vendor's
// site mean, and the little state the owner keeps between attempts. The downloads
// themselves (TextFetch) and the timers belong to the owner.

#include "version/Version.h"

#include <optional>
#include <string>
#include <string_view>

namespace marlune {

// The program's own version, compared as text with the offered one.
inline constexpr std::string_view kProgramVersion = kMarluneVersion;

// Paths on the vendor's web site.
inline constexpr std::string_view kUpdateFilePath = "/update.html";
inline constexpr std::string_view kNewStockFilePath = "/stock/newstock.php";

// Files in the program folder: the updater, and a marker that is only ever deleted.
inline constexpr std::string_view kUpdaterFileName = "SUpdate.exe";
inline constexpr std::string_view kUpdateMarkerFileName = "sorell.exe.kw";

// What the owner shows.
inline constexpr std::string_view kUpdateQuestion = "检测到最新版本，是否需要升级";
inline constexpr std::string_view kUpdateQuestionTitle = "系统提示";
inline constexpr std::string_view kNewStockBalloonTitle = "Marlune1.0";
inline constexpr int kNewStockBalloonTimeoutMs = 3000;

// A failed download of either file is tried again after this long, at most kMaxRetries
// times in the whole run.
inline constexpr int kRetryDelayMs = 15000;
inline constexpr int kMaxRetries = 3;

// The addresses of the two files on the vendor's web site.
std::string UpdateFileUrl();
std::string NewStockFileUrl();

// The files arrive as UTF-8 and the program keeps its text in UTF-8, so the reply is
// only made safe to hold: a leading byte-order mark is dropped and byte sequences that
// are not UTF-8 become U+FFFD. Lengths the rules state in characters of the system code
// page are measured on the text's GBK form.
std::string CleanUtf8Reply(std::string_view reply);

// True when the first ";"-separated record of the version file offers a newer version:
// its ":"-separated field 0 is exactly "1" and field 1, compared byte by byte as text,
// is greater than ownVersion. Textual on purpose: "1.10.0.0" is newer than "1.1.0.0",
// and so is "1.2". A record with fewer than two fields offers nothing.
bool IsUpdateOffered(std::string_view versionFile, std::string_view ownVersion = kProgramVersion);

// The tip text of the new-stock file: the text inside the frame newstk=" ... ". Nothing
// when the frame is missing or the file is 11 characters or fewer (in its GBK form).
std::optional<std::string> ExtractNewStockTip(std::string_view newStockFile);

// Counts the retries of one download kind: three retries, then silence for the run.
class RetryBudget {
public:
    // After a failed download: true when one more attempt is due (start the retry timer
    // with kRetryDelayMs), false when the retries are used up.
    bool takeRetry() {
        if (m_used >= kMaxRetries)
            return false;
        ++m_used;
        return true;
    }
    int used() const { return m_used; }

private:
    int m_used = 0;
};

enum class UpdateState { NoUpdate = 0, UpdaterMissing = 1, UpdaterReady = 2 };

// What the install command asks of the owner.
enum class InstallAction {
    Nothing,
    AskUser,          // show kUpdateQuestion; OK: ExitAndRunUpdater, else delete the marker file
    ExitAndRunUpdater // leave through the exit path and start the updater
};

// The owner's record of the update check.
class UpdateCheckState {
public:
    UpdateState state() const { return m_state; }
    RetryBudget& retries() { return m_retries; }

    // A version file arrived (and the settings file exists): when it offers a newer
    // version the state becomes UpdaterReady or UpdaterMissing, depending on whether the
    // updater is in the program folder. Returns whether an update is offered.
    bool applyVersionFile(std::string_view versionFile, bool updaterExists);

    // The install command: nothing without an update; with the updater missing it only
    // becomes ready (nothing fetches the updater); with it ready, run it at once when
    // the user chose automatic upgrades, else ask.
    InstallAction install(bool autoUpgrade);

private:
    UpdateState m_state = UpdateState::NoUpdate;
    RetryBudget m_retries;
};

} // namespace marlune
