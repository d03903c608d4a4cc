// hostsim: the host's side of the plugin link with a built-in market.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hostsim/BuiltInMarket.h"
#include "hostsim/HostServer.h"
#include "hostsim/HostSimOptions.h"
#include "hostsim/MarketCsv.h"

using namespace quillon::hostsim;

namespace {

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options =
        ParseHostSimArguments(std::vector<std::string>(argv + 1, argv + argc), std::getenv("TESSEL_HOST"), error);
    if (!options) {
        std::fprintf(stderr, "hostsim: %s\n", error.c_str());
        return 2;
    }
    if (options->help) {
        PrintLine(HostSimUsageText());
        return 0;
    }

    std::optional<Market> market;
    if (!options->marketFile.empty()) {
        std::ifstream file(options->marketFile);
        if (!file) {
            std::fprintf(stderr, "hostsim: cannot read %s\n", options->marketFile.c_str());
            return 2;
        }
        market = LoadMarketCsv(file, error);
        if (!market) {
            std::fprintf(stderr, "hostsim: %s: %s\n", options->marketFile.c_str(), error.c_str());
            return 2;
        }
    } else {
        BuiltInMarketOptions marketOptions;
        marketOptions.instrumentCount = options->instrumentCount;
        marketOptions.strikesPerExpiry = options->strikesPerExpiry;
        marketOptions.date = options->date.value_or(TodaysDate());
        market = BuildBuiltInMarket(marketOptions);
    }

    if (options->printMarket) {
        const std::string listing = market->Listing();
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }

    std::vector<std::string> script;
    if (!options->scriptFile.empty()) {
        std::ifstream file(options->scriptFile);
        if (!file) {
            std::fprintf(stderr, "hostsim: cannot read %s\n", options->scriptFile.c_str());
            return 2;
        }
        for (std::string line; std::getline(file, line);) script.push_back(line);
    }

    HostServer server(std::move(*market), options->server, PrintLine);
    if (!server.Listen(error)) {
        std::fprintf(stderr, "hostsim: %s\n", error.c_str());
        return 1;
    }
    server.AddScript(std::move(script));

    // Standard input feeds the shared inbox; the reader may still be blocked in a read
    // when the server is gone, so it holds the inbox, not the server.
    std::thread([inbox = server.Inbox()] {
        for (std::string line; std::getline(std::cin, line);) inbox->Post(line);
    }).detach();

    server.Run();
    return 0;
}
