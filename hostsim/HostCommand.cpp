#include "hostsim/HostCommand.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "hostsim/MarketCsv.h"

namespace quillon::hostsim {
namespace {

std::optional<long> ReadInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> ParseQuoteRate(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double rate = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(rate) || rate < 1 || rate > MaxQuoteRate) {
        return std::nullopt;
    }
    return rate;
}

std::optional<HostCommand> ParseHostCommand(const std::string& line, std::string& error) {
    error.clear();
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') return std::nullopt;

    const std::string& name = words[0];
    const std::size_t arguments = words.size() - 1;
    HostCommand command;
    auto fail = [&](const std::string& why) {
        error = name + ": " + why;
        return std::nullopt;
    };
    auto noArguments = [&](CommandKind kind) -> std::optional<HostCommand> {
        if (arguments != 0) return fail("takes no arguments");
        command.kind = kind;
        return command;
    };

    if (name == "invoke") {
        if (arguments != 1) return fail("usage: invoke CODE");
        if (words[1].size() > MaxCodeLength) return fail("code too long");
        command.kind = CommandKind::Invoke;
        command.codes = {words[1]};
        return command;
    }
    if (name == "list") {
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (words[i].size() > MaxCodeLength) return fail("code too long: " + words[i]);
            command.codes.push_back(words[i]);
        }
        command.kind = CommandKind::List;
        return command;
    }
    if (name == "show") {
        command.kind = CommandKind::Show;
        if (arguments == 0) return command;
        if (arguments != 4) return fail("usage: show [x y width height]");
        long values[4];
        for (int i = 0; i < 4; ++i) {
            const auto value = ReadInteger(words[i + 1]);
            if (!value || *value < -1000000 || *value > 1000000) return fail("not a number: " + words[i + 1]);
            values[i] = *value;
        }
        command.placement =
            host::WindowPlacement{static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
                                  static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
        return command;
    }
    if (name == "hide") return noArguments(CommandKind::Hide);
    if (name == "close") return noArguments(CommandKind::Close);
    if (name == "login") {
        if (arguments != 1 || (words[1] != "ok" && words[1] != "fail")) return fail("usage: login ok|fail");
        command.kind = CommandKind::Login;
        command.loginOk = words[1] == "ok";
        return command;
    }
    if (name == "rate") {
        command.kind = CommandKind::Rate;
        if (arguments == 2 && words[1] == "quotes") {
            const auto quotes = ParseQuoteRate(words[2]);
            if (!quotes) return fail("quotes per second between 1 and 10000000");
            command.quoteRate = *quotes;
            return command;
        }
        if (arguments != 1) return fail("usage: rate N|quotes N|flood");
        if (words[1] == "flood") {
            command.flood = true;
            return command;
        }
        char* end = nullptr;
        command.rate = std::strtod(words[1].c_str(), &end);
        if (end != words[1].c_str() + words[1].size() || !std::isfinite(command.rate) || command.rate <= 0 ||
            command.rate > 1000) {
            return fail("rounds per second between 0 and 1000, or flood");
        }
        return command;
    }
    if (name == "pause") return noArguments(CommandKind::Pause);
    if (name == "resume") return noArguments(CommandKind::Resume);
    if (name == "stats") return noArguments(CommandKind::Stats);
    if (name == "quit") return noArguments(CommandKind::Quit);
    if (name == "help") return noArguments(CommandKind::Help);
    if (name == "sleep") {
        const auto ms = arguments == 1 ? ReadInteger(words[1]) : std::nullopt;
        if (!ms || *ms < 0 || *ms > 86400000) return fail("usage: sleep MILLISECONDS");
        command.kind = CommandKind::Sleep;
        command.sleepMs = static_cast<int>(*ms);
        return command;
    }
    if (name == "wait") {
        if (arguments != 1) return fail("usage: wait plugin|loaded|closed");
        command.kind = CommandKind::Wait;
        if (words[1] == "plugin") {
            command.waitTarget = WaitTarget::Plugin;
        } else if (words[1] == "loaded") {
            command.waitTarget = WaitTarget::Loaded;
        } else if (words[1] == "closed") {
            command.waitTarget = WaitTarget::Closed;
        } else {
            return fail("usage: wait plugin|loaded|closed");
        }
        return command;
    }
    error = "unknown command: " + name + " (try help)";
    return std::nullopt;
}

const char* CommandHelpText() {
    return "commands:\n"
           "  invoke CODE          send INVOKE, answer the next REQ_SELECTED with CODE\n"
           "  list CODE...         push a contract list (also the answer to REQ_CONTRACT_LIST)\n"
           "  show [x y w h]       show the plugin's window, optionally placed\n"
           "  hide                 hide the plugin's window\n"
           "  close                send HOST_CLOSING\n"
           "  login ok|fail        how hellos are answered (sent now too when a plugin is connected)\n"
           "  rate N|flood         quote rounds per second, or as fast as the link takes\n"
           "  rate quotes N        N quotes per second, round the subscriptions in turn\n"
           "  pause / resume       stop and restart the quote stream\n"
           "  stats                frames, bytes and quotes per second\n"
           "  sleep MS             hold the following commands\n"
           "  wait plugin|loaded|closed   hold until a plugin connects, has loaded, or has gone\n"
           "  quit                 stop the simulator";
}

}  // namespace quillon::hostsim
