#pragma once
// Start-up of the desktop program: the program folder and service options, the
// simulated market for --demo, the first-run files, then the owner with its ticker
// window, and the channel on which other programs send commands. main() creates the
// QApplication and runs this. A second start runs as a second, independent program.

#include "app/StartupOptions.h"
#include "platform/os/FileLock.h"

#include <QString>

#include <memory>
#include <string>

namespace marlune {

namespace sim {
class SimServer;
}
namespace platform {
class CommandListener;
}

class Owner;

class Application {
public:
    explicit Application(StartupOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs start-up and the event loop; returns the process exit code.
    int Run();

    // The first-run failure message.
    static const char* const kConfigFailedText;

    // The family name of the command channels.
    static const char* const kCommandChannel;

    // A program folder as the command channels name it: absolute, links resolved, without
    // a trailing separator, so that a sender's --home and the program's folder agree.
    static std::string ChannelFolder(const QString& folder);

private:
    // Start-up up to the shown ticker window. False ends the program with exitCode.
    bool start(int& exitCode);
    // Tells the user about settings files too large (or of the wrong kind) to be read.
    void reportRefusedSettingsFiles();
    // Tells the user when another program runs on the same folder already.
    void claimProgramFolder();

    StartupOptions m_options;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<Owner> m_owner;
    std::unique_ptr<platform::CommandListener> m_listener;
    os::FileLock m_folderClaim; // held while the program runs on its folder
};

// Prints a line "marlune: first quotes painted at <milliseconds since 1970>" to
// standard error when the ticker's grid is first painted with quotes, if the
// environment variable MARLUNE_TRACE_FIRST_PAINT is set. Used by the start-up benchmark.
void TraceFirstQuotesPainted(Owner& owner);

} // namespace marlune
