#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/LinkFrame.h"

namespace quillon::hostsim {

enum class CommandKind {
    Invoke,  // send INVOKE; answer the next REQ_SELECTED with the code
    List,    // push a contract list; it also answers later REQ_CONTRACT_LIST
    Show,    // the link's show-window frame, optionally placed
    Hide,
    Close,  // HOST_CLOSING
    Login,  // the answer to hellos (and sent now when a plugin is connected)
    Rate,   // quote rounds per second, quotes per second, or flood
    Pause,
    Resume,
    Stats,
    Quit,
    Sleep,  // scripts: hold the following commands
    Wait,   // scripts: hold until a plugin connects, has loaded, or has gone
    Help,
};

enum class WaitTarget { Plugin, Loaded, Closed };

struct HostCommand {
    CommandKind kind = CommandKind::Help;
    std::vector<std::string> codes;
    std::optional<host::WindowPlacement> placement;
    bool loginOk = true;
    double rate = 0;
    bool flood = false;
    double quoteRate = 0;  // `rate quotes N`: quotes per second
    int sleepMs = 0;
    WaitTarget waitTarget = WaitTarget::Plugin;
};

// One command line. Blank lines and '#' comments give nothing with an empty error; a line
// that is not a command gives nothing and says why.
std::optional<HostCommand> ParseHostCommand(const std::string& line, std::string& error);

// Quotes per second for `rate quotes N` and --quote-rate: 1 to MaxQuoteRate.
inline constexpr double MaxQuoteRate = 10000000;
std::optional<double> ParseQuoteRate(const std::string& text);

// The command summary printed by `help`.
const char* CommandHelpText();

}  // namespace quillon::hostsim
