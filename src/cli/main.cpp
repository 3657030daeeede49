// marlune-cli: the terminal ticker on the same engine as the desktop program.
//   marlune-cli [--home DIR] [--services URL] [--demo] [--source N] [--reply FILE] [--json] [--watch]
//               [--beijing-time "YYYY-MM-DD HH:MM[:SS]"]
// Exit status: 0 success, 1 the refresh failed, 2 bad arguments, 130/143 ended by SIGINT/SIGTERM.

#include "SimServer.h"
#include "cli/BlockingRefreshHost.h"
#include "cli/QuoteFetcher.h"
#include "cli/QuotePrinter.h"
#include "config/FirstRun.h"
#include "config/InstalledFolder.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/StartupFiles.h"
#include "cycle/RefreshCycle.h"
#include "net/ServiceEndpoints.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Process.h"
#include "quote/DerivedValues.h"
#include "quote/QuoteBook.h"
#include "quote/QuoteDispatch.h"
#include "quote/WatchExtras.h"
#include "quote/WatchListFile.h"
#include "text/BeijingTime.h"
#include "version/Version.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace marlune;

struct CliOptions {
    std::string home;
    std::string services;
    std::string replyFile;
    std::optional<int> source;
    std::optional<std::int64_t> beijingTime; // the clock's start, for tests and demos
    bool json = false;
    bool watch = false;
    bool demo = false;
    bool help = false;
    bool version = false;
};

// "1 Sina, 2 NetEase 163, ..." from the quote service table.
std::string SourceList() {
    std::string list;
    for (const QuoteService& service : QuoteServices()) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(service.source) + " " + service.englishName;
    }
    return list;
}

std::string Usage() {
    return "usage: marlune-cli [--home DIR] [--services URL] [--demo] [--source N] [--reply FILE] [--json] "
           "[--watch] [--beijing-time T] [--help] [--version]\n"
           "  --home DIR      program folder with config/list.ini and config/base.ini\n"
           "  --services URL  send every request to this base URL\n"
           "  --demo          start the simulated market and use it\n"
           "  --source N      quote source (" +
           SourceList() +
           ") instead of DataSour\n"
           "  --reply FILE    parse these reply bytes instead of downloading\n"
           "  --json          print one JSON object (with --watch: one a line, each refresh)\n"
           "  --watch         refresh every FreshSec seconds until Ctrl-C; an alert that fires\n"
           "                  prints a line \"预警：...\" on the standard error (with --json: \"alerts\")\n"
           "  --beijing-time T  run the clock from this Beijing time (\"YYYY-MM-DD HH:MM[:SS]\") on,\n"
           "                  for tests and demos of the trading hours\n"
           "  --version       print the program's version\n"
           "exit status: 0 success, 1 the refresh failed, 2 bad arguments, 128 + N ended by signal N\n";
}

std::optional<CliOptions> ParseArguments(int argc, char** argv) {
    CliOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--watch") {
            options.watch = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--beijing-time") {
            std::optional<std::string> v = value();
            options.beijingTime = v ? ParseBeijingDateTime(*v) : std::nullopt;
            if (!options.beijingTime)
                return std::nullopt;
        } else if (arg == "--home" || arg == "--services" || arg == "--reply" || arg == "--source") {
            std::optional<std::string> v = value();
            if (!v || v->empty())
                return std::nullopt;
            if (arg == "--home")
                options.home = *v;
            else if (arg == "--services") {
                if (!IsServiceBaseUrl(*v)) {
                    std::fprintf(stderr, "marlune-cli: not a usable service URL: %s\n", v->c_str());
                    return std::nullopt;
                }
                options.services = *v;
            } else if (arg == "--reply")
                options.replyFile = *v;
            else {
                if (v->find_first_not_of("0123456789") != std::string::npos || v->size() > 4)
                    return std::nullopt;
                options.source = std::stoi(*v);
            }
        } else {
            return std::nullopt;
        }
    }
    if (options.demo && !options.services.empty())
        return std::nullopt;
    return options;
}

// The signal that asked the program to end, or 0.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void OnSignal(int signal) {
    g_signal = signal;
}

bool StopRequested() {
    return g_signal != 0;
}

// The quotes, and the alerts that fired with this refresh: a line on the standard error
// beside the other status lines, so the table's bytes stay as they are, or the "alerts" of
// the JSON object.
void PrintQuotes(const QuoteBook& book, bool json, bool colour, const std::string& alertText = {}) {
    if (json)
        std::cout << FormatQuoteJson(book, alertText) << std::endl;
    else
        std::cout << FormatQuoteTable(book, colour) << std::flush;
    if (!json && !alertText.empty())
        std::cerr << FormatAlertLines(alertText) << std::flush;
}

} // namespace

int main(int argc, char** argv) {
    os::UseUtf8StandardOutput();
    std::optional<CliOptions> options = ParseArguments(argc, argv);
    if (!options) {
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("marlune-cli %s\n", kMarluneVersion);
        return 0;
    }
    // Ctrl-C and SIGTERM cancel a transfer in flight; the program then ends within a moment.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (!options->home.empty()) {
        SetProgramFolder(options->home);
    } else {
        // An installed program keeps the user's files in the per-user data folder, shared
        // with the desktop program.
        const std::string executableFolder = RunningExecutableFolder();
        const std::string folder = DefaultProgramFolderFor(executableFolder);
        if (folder != executableFolder)
            SetProgramFolder(folder);
    }
    if (!CreateFirstRunFiles(options->demo ? DemoListIni() : std::string())) {
        std::fputs("无法创建配置文件，请检查磁盘空间\n", stderr);
        return 1;
    }

    std::unique_ptr<sim::SimServer> market;
    if (options->demo) {
        sim::SimOptions simOptions;
        if (options->beijingTime) {
            // The demo market keeps the exchanges' hours from the same moment as the watch.
            simOptions.calendar.enabled = true;
            simOptions.clock = [clock = RunningClock(*options->beijingTime)] { return clock.Now(); };
        }
        market = std::make_unique<sim::SimServer>(simOptions);
        if (market->Start(0) < 0) {
            std::fputs("marlune-cli: the simulated market could not start\n", stderr);
            return 1;
        }
        PointAllServicesAt(market->BaseUrl());
    } else if (!options->services.empty()) {
        PointAllServicesAt(options->services); // checked with the arguments
    }

    const std::string folder = ProgramFolder();
    const std::string baseIni = folder + "config/base.ini";
    // Settings files too large to read (or of the wrong kind) are left alone; defaults stand in.
    const std::vector<std::string> refused = RefusedSettingsFiles(folder);
    if (!refused.empty())
        std::fprintf(stderr, "marlune-cli: %s\n", RefusedSettingsFilesText(refused).c_str());
    WatchList watchList =
        ReadListFile(folder + kListIniFile, MarketReading::Number, DefaultListIni()).entries;
    WatchExtrasFile(folder + kWatchExtrasFile).ApplyTo(watchList);
    const bool colour = os::StandardOutputIsTerminal() && std::getenv("NO_COLOR") == nullptr;
    const int selected = options->source.value_or(ProfileReadInt(baseIni, "sys", "DataSour"));

    if (!options->replyFile.empty()) {
        // Saved reply bytes: one parse, no refresh cycle.
        QuoteBook book;
        book.watchList = std::move(watchList);
        book.ResetAlerts();
        // The alert rules of the call auction and of today's date.
        book.alertClock = options->beijingTime ? RunningClock(*options->beijingTime).Now()
                                               : static_cast<std::int64_t>(std::time(nullptr));
        const RefreshOutcome outcome =
            QuoteFetcher(folder).RefreshFromFile(book, selected, options->replyFile);
        if (outcome == RefreshOutcome::NoReplyFile) {
            std::cerr << "marlune-cli: cannot read " << options->replyFile << std::endl;
            return 1;
        }
        if (outcome == RefreshOutcome::NoQuotes) {
            std::cerr << kFetchFailedText << std::endl;
            return 1;
        }
        // With --watch the alerts the reply raises are said too.
        std::string alertText;
        if (options->watch) {
            CollectAllAlerts(book);
            alertText = book.takeAlertText();
        }
        PrintQuotes(book, options->json, colour, alertText);
        return 0;
    }

    // The trading hours go by this clock: the machine's, or one started at --beijing-time.
    const std::optional<RunningClock> clock =
        options->beijingTime ? std::optional<RunningClock>(*options->beijingTime) : std::nullopt;
    BlockingRefreshHost host(
        [clock] { return clock ? clock->Now() : static_cast<std::int64_t>(std::time(nullptr)); },
        StopRequested);
    RefreshCycle cycle(host, folder, std::string());
    // The selected service, and another one while it does not answer (not with --source). A
    // single refresh has no period: no timer is armed.
    RefreshSettings settings;
    settings.dataSource = selected;
    settings.autoSource =
        !options->source && ProfileReadFlag(baseIni, "sys", baseini::kAutoSource.name, true);
    settings.tradeHoursOnly = ProfileReadFlag(baseIni, "sys", baseini::kTradeHoursOnly.name, true);
    settings.freshSec =
        options->watch ? baseini::RefreshPeriodOf(ProfileReadInt(baseIni, "sys", "FreshSec")) : 0;
    cycle.Configure(settings);
    cycle.SetWatchList(std::move(watchList));

    // FreshSec is read again before every wait, so a period changed in the settings meanwhile
    // (or switched off) holds from the next wait on. False when there is no period.
    auto followRefreshPeriod = [&cycle, &baseIni] {
        cycle.SetRefreshPeriod(baseini::RefreshPeriodOf(ProfileReadInt(baseIni, "sys", "FreshSec")));
        if (cycle.Settings().freshSec > 0)
            return true;
        std::cerr << "marlune-cli: FreshSec is 0 (no automatic refresh)" << std::endl;
        return false;
    };

    int exitStatus = 0;
    std::string shownClosed;
    cycle.Start();
    while (host.RunStartedJob(cycle)) {
        auto failed = [&cycle] {
            const std::optional<RefreshEnd>& end = cycle.LastRefresh();
            return end && end->result != RefreshResult::kAnswered && !end->quotesStillComing;
        };
        // A single refresh has no second chance: the other services are asked at once.
        bool stopped = false;
        for (int tries = 1; !options->watch && failed() && tries < 4 && !StopRequested(); ++tries) {
            if (!cycle.AskNextServiceNow())
                break;
            if (!host.RunStartedJob(cycle)) {
                stopped = true;
                break;
            }
        }
        if (stopped)
            break;
        if (failed()) {
            std::cerr << cycle.StatusText() << std::endl;
            exitStatus = 1;
        } else {
            exitStatus = 0;
            const RefreshEnd& end = *cycle.LastRefresh();
            if (cycle.Fallback().OnOtherSource() && (end.source != selected || end.quotesStillComing))
                std::cerr << cycle.Fallback().StatusText() << std::endl;
        }
        // --watch says which alert fired with this refresh (once per crossing, as the desktop
        // ticker does; kept for this run only, the desktop ticker's memory is left alone).
        const std::string alertText = cycle.Book().takeAlertText();
        if (!failed() || options->watch)
            PrintQuotes(cycle.Book(), options->json, colour, options->watch ? alertText : std::string());
        if (!options->watch)
            break;
        if (!followRefreshPeriod())
            break;
        // The next tick that asks; outside trading hours say so once, ask nothing.
        bool first = true;
        bool asked = false;
        bool period = true;
        while (!asked && period && host.SleepOutQuoteTimer()) {
            if (first && colour)
                std::cout << "\n";
            first = false;
            const QuoteTick tick = cycle.OnQuoteTimer();
            if (tick == QuoteTick::kClosed) {
                if (cycle.StatusText() != shownClosed)
                    std::cerr << cycle.StatusText() << std::endl;
                shownClosed = cycle.StatusText();
            }
            asked = tick == QuoteTick::kAsked;
            if (!asked)
                period = followRefreshPeriod();
        }
        if (!asked)
            break;
    }
    if (StopRequested())
        return 128 + g_signal;
    return exitStatus;
}
