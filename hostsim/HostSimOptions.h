#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostsim/BuiltInMarket.h"
#include "hostsim/HostServer.h"

namespace quillon::hostsim {

struct HostSimOptions {
    HostServerOptions server;
    int instrumentCount = 1200;
    int strikesPerExpiry = 0;  // 0: as the size gives
    std::optional<ListingDate> date;
    std::string marketFile;
    std::string scriptFile;
    bool help = false;
    bool printMarket = false;  // list the market's instruments and stop
};

// "host:port" with a port 0..65535 (0: the system picks a free port).
std::optional<host::LinkAddress> ParseListenAddress(const std::string& text);

// The command line (without the program name). TESSEL_HOST gives the address unless
// --listen does. Nothing, with the reason, for an argument that is not understood.
std::optional<HostSimOptions> ParseHostSimArguments(const std::vector<std::string>& arguments, const char* tesselHost,
                                                    std::string& error);

const char* HostSimUsageText();

}  // namespace quillon::hostsim
