// marlune-sim: the simulated market as a program of its own, for the desktop program's
// demo runs and for end-to-end scripts.
//
//   marlune-sim --port N [--seed S] [--offered-version V] [--start-time UNIX]
//               [--beijing-time "YYYY-MM-DD HH:MM[:SS]"] [--hours exchange|around]
//               [--holidays YYYY-MM-DD,...]
//
// Runs until SIGINT or SIGTERM. --start-time starts the market's clock at that moment
// (seconds since 1970) and lets it run on from there, for repeatable runs; --beijing-time
// does the same for a Beijing date and time and keeps the exchanges' real trading hours
// (as --hours exchange does), and --holidays names days on which they stay closed.

#include "sim/SimServer.h"
#include "text/BeijingTime.h"
#include "text/Fields.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: marlune-sim --port N [--seed S] [--offered-version V] [--start-time UNIX]\n"
                 "                   [--beijing-time \"YYYY-MM-DD HH:MM[:SS]\"] [--hours exchange|around]\n"
                 "                   [--holidays YYYY-MM-DD,...]\n");
}

std::optional<long long> ReadNumber(const char* text) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

// "2026-05-01,2026-05-04" into the calendar's holidays.
bool HolidaysInto(const std::string& list, marlune::sim::ExchangeCalendar& calendar) {
    for (const std::string& date : marlune::SplitFields(list, ",")) {
        const auto midnight = marlune::ParseBeijingDateTime(date);
        if (date.size() != 10 || !midnight) {
            return false;
        }
        calendar.holidays.insert((*midnight + marlune::kBeijingOffsetSeconds) / 86400);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    marlune::sim::SimOptions options;
    int port = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "marlune-sim: %s needs a value\n", argument.c_str());
            PrintUsage(stderr);
            return 2;
        }
        const char* value = argv[++i];
        const auto number = ReadNumber(value);
        if (argument == "--port" && number && *number >= 0 && *number <= 65535) {
            port = static_cast<int>(*number);
        } else if (argument == "--seed" && number) {
            options.seed = static_cast<std::uint64_t>(*number);
        } else if (argument == "--offered-version") {
            options.offeredVersion = value;
        } else if (argument == "--hours" &&
                   (std::string(value) == "exchange" || std::string(value) == "around")) {
            options.calendar.enabled = std::string(value) == "exchange";
        } else if (argument == "--holidays" && HolidaysInto(value, options.calendar)) {
            options.calendar.enabled = true;
        } else if ((argument == "--start-time" && number) ||
                   (argument == "--beijing-time" && marlune::ParseBeijingDateTime(value))) {
            const long long start =
                argument == "--start-time" ? *number : *marlune::ParseBeijingDateTime(value);
            if (argument == "--beijing-time") {
                options.calendar.enabled = true;
            }
            const auto launched = std::chrono::steady_clock::now();
            options.clock = [start, launched] {
                return static_cast<std::int64_t>(start + std::chrono::duration_cast<std::chrono::seconds>(
                                                             std::chrono::steady_clock::now() - launched)
                                                             .count());
            };
        } else {
            std::fprintf(stderr, "marlune-sim: bad argument %s %s\n", argument.c_str(), value);
            PrintUsage(stderr);
            return 2;
        }
    }
    if (port < 0) {
        std::fprintf(stderr, "marlune-sim: --port is required\n");
        PrintUsage(stderr);
        return 2;
    }

    // Block the stop signals before any thread starts, so that every thread inherits
    // the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    marlune::sim::SimServer server(options);
    const int listening = server.Start(port);
    if (listening < 0) {
        std::fprintf(stderr, "marlune-sim: cannot listen on 127.0.0.1:%d: %s\n", port, std::strerror(errno));
        return 1;
    }
    std::cout << "marlune-sim listening on " << server.BaseUrl() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    server.Stop();
    return 0;
}
