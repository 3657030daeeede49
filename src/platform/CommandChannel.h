#pragma once
// Commands that other programs of the same user send to a running program: a number
// and a parameter, such as 100 (show the popup menu) or 1135 (install step). Each
// running program listens on a channel of its own, named after the display it shows on
// and its program folder; a sender reaches a program on its own display, and in the
// program folder it names when it names one.
// On Linux the channels are local sockets in the user's private runtime folder; on
// Windows a hidden window of the class "sorFrame" takes the message WM_TICKER_COMMAND.

#include <functional>
#include <memory>
#include <string>

namespace marlune::platform {

struct ChannelCommand {
    int command = 0;
    long param = 0;
};

// Reads the text a sender writes: the command number, optionally followed by blanks
// and the parameter, then optionally a line end. Anything else is no command.
bool ParseChannelCommand(const std::string& text, ChannelCommand& parsed);

class CommandListener {
public:
    virtual ~CommandListener() = default;

    // Starts listening on the first free channel of the family. False when none could
    // be had; the program then runs without taking commands.
    virtual bool Listen() = 0;

    // The channel's name (a socket path on Linux), empty before Listen succeeded.
    virtual std::string ChannelName() const = 0;

    // Called on the GUI thread, from the event loop, for each command received.
    void SetHandler(std::function<void(ChannelCommand)> handler) { m_handler = std::move(handler); }

protected:
    void deliver(ChannelCommand command) const {
        if (m_handler)
            m_handler(command);
    }

private:
    std::function<void(ChannelCommand)> m_handler;
};

// A listener for the channel family `family` ("marlune" for the program; tests use
// names of their own so as not to meet a running program) of the program working in
// `programFolder` (an absolute path, the same text its senders use).
std::unique_ptr<CommandListener> CreateCommandListener(const std::string& family,
                                                       const std::string& programFolder);

// Sends the command to a running program of the family on this display: the one working
// in `programFolder`, or any one when it is empty. False when no such program listens;
// waits at most about two seconds.
bool SendChannelCommand(const std::string& family, const std::string& programFolder, ChannelCommand command);

} // namespace marlune::platform
