#include "hostsim/HostSimOptions.h"

#include <cstdlib>

namespace quillon::hostsim {
namespace {

std::optional<long long> ReadWhole(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

std::optional<host::LinkAddress> ParseListenAddress(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    const auto port = ReadWhole(text.substr(colon + 1), 0, 65535);
    if (!port) return std::nullopt;
    return host::LinkAddress{text.substr(0, colon), static_cast<std::uint16_t>(*port)};
}

std::optional<HostSimOptions> ParseHostSimArguments(const std::vector<std::string>& arguments, const char* tesselHost,
                                                    std::string& error) {
    HostSimOptions options;
    if (tesselHost != nullptr && *tesselHost != '\0') {
        const auto address = ParseListenAddress(tesselHost);
        if (!address) {
            error = "TESSEL_HOST is not host:port: " + std::string(tesselHost);
            return std::nullopt;
        }
        options.server.address = *address;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            return arguments[++i];
        };
        auto invalid = [&](const std::string& text) {
            error = "invalid value for " + name + ": " + text;
            return std::nullopt;
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--flood") {
            options.server.flood = true;
        } else if (name == "--print-market") {
            options.printMarket = true;
        } else if (name == "--stamp") {
            options.server.stamp = true;
        } else if (name == "--quote-rate") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto quotes = ParseQuoteRate(*text);
            if (!quotes) return invalid(*text);
            options.server.quoteRate = *quotes;
        } else if (name == "--strikes") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto strikes = ReadWhole(*text, 1, MaxStrikesPerExpiry);
            if (!strikes) return invalid(*text);
            options.strikesPerExpiry = static_cast<int>(*strikes);
        } else if (name == "--log") {
            options.server.logFrames = true;
        } else if (name == "--listen") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto address = ParseListenAddress(*text);
            if (!address) return invalid(*text);
            options.server.address = *address;
        } else if (name == "--seed") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto seed = ReadWhole(*text, 0, 999999999999999999LL);
            if (!seed) return invalid(*text);
            options.server.seed = static_cast<std::uint64_t>(*seed);
        } else if (name == "--instruments") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto count = ReadWhole(*text, MinInstrumentCount, MaxInstrumentCount);
            if (!count) return invalid(*text);
            options.instrumentCount = static_cast<int>(*count);
        } else if (name == "--rate") {
            const auto text = value();
            if (!text) return std::nullopt;
            char* end = nullptr;
            const double rate = std::strtod(text->c_str(), &end);
            if (end != text->c_str() + text->size() || !(rate > 0 && rate <= 1000)) return invalid(*text);
            options.server.rate = rate;
        } else if (name == "--option-class") {
            const auto text = value();
            if (!text) return std::nullopt;
            if (text->size() != 1) return invalid(*text);
            options.server.optionClass = (*text)[0];
        } else if (name == "--login") {
            const auto text = value();
            if (!text) return std::nullopt;
            if (*text != "ok" && *text != "fail") return invalid(*text);
            options.server.loginOk = *text == "ok";
        } else if (name == "--date") {
            const auto text = value();
            if (!text) return std::nullopt;
            const auto date = text->size() == 8 ? ReadWhole(*text, 20000101, 20991231) : std::nullopt;
            if (!date) return invalid(*text);
            const ListingDate listing{static_cast<int>(*date / 10000), static_cast<int>(*date / 100 % 100),
                                      static_cast<int>(*date % 100)};
            if (listing.month < 1 || listing.month > 12 || listing.day < 1 || listing.day > 31) return invalid(*text);
            options.date = listing;
        } else if (name == "--market") {
            const auto text = value();
            if (!text) return std::nullopt;
            options.marketFile = *text;
        } else if (name == "--script") {
            const auto text = value();
            if (!text) return std::nullopt;
            options.scriptFile = *text;
        } else {
            error = "unknown argument: " + name + " (try --help)";
            return std::nullopt;
        }
    }
    return options;
}

const char* HostSimUsageText() {
    return "usage: hostsim [options]\n"
           "  --listen HOST:PORT    where plugins connect (default TESSEL_HOST, else 127.0.0.1:17310;\n"
           "                        port 0 picks a free port and prints it)\n"
           "  --instruments N       size of the built-in market (default 1200)\n"
           "  --market FILE.csv     a market of your own: exchange,code,class,tick,reference price\n"
           "  --date YYYYMMDD       list contract months from this date (default today)\n"
           "  --seed N              random seed of the quote engine (default 1)\n"
           "  --rate N              quote rounds per second (default 2)\n"
           "  --flood               push quotes as fast as the link takes\n"
           "  --quote-rate N        push N quotes per second, round the subscriptions in turn\n"
           "  --stamp               pushed quotes carry CLOCK_MONOTONIC_RAW microseconds in their request id\n"
           "  --strikes N           strikes per expiry in the built-in market (default: from its size)\n"
           "  --option-class C      product class byte of options (default 2)\n"
           "  --login ok|fail       answer to the plugin's hello (default ok)\n"
           "  --script FILE         commands to run, one a line (sleep MS, wait plugin|loaded|closed)\n"
           "  --log                 print every frame both ways\n"
           "  --print-market        list the market, one instrument a line, and stop\n"
           "Commands are also read from standard input; type help for the list.";
}

}  // namespace quillon::hostsim
