#pragma once
// The command line of the desktop program:
//   marlune [--home DIR] [--services URL] [--demo [--demo-fault QUERY]...] [--beijing-time T]
//   marlune --send N | --toggle | --show | --hide | --refresh

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace marlune {

struct StartupOptions {
    QString home;      // --home DIR: the program folder instead of the executable's
    QString services;  // --services URL: every outside service at this base URL
    bool demo = false; // --demo: the simulated market, started in this process
    // --demo-fault QUERY (repeatable): a fault of that market, as its control path
    // /__sim/fault takes it, e.g. "prefix=/stock/chart/&status=404"
    QStringList demoFaults;
    // --beijing-time "YYYY-MM-DD HH:MM[:SS]": the program's clock starts at that Beijing time
    // and runs on (seconds since 1970), for tests and demos of the trading hours
    std::optional<std::int64_t> beijingTime;
    // --send N: pass command N to the running program, then end; the named commands set it
    std::optional<int> send;
    bool help = false;
    bool version = false; // --version: print the program's version and end
    QString error;        // not empty when the command line cannot be used
};

// Reads the arguments after the program name. --demo wins over --services.
StartupOptions ParseStartupOptions(const QStringList& arguments);

// The usage text for --help and errors.
QString StartupUsage();

} // namespace marlune
