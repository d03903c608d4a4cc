#pragma once

#include <cstdint>
#include <string>

#include "platform/TcpSocket.h"
#include "support/FrameConnection.h"

namespace quillon::test {

// The host end of the TesselAPI link, for tests: listens on an ephemeral loopback port,
// takes one plugin connection and reads and writes its frames with time limits.
class LinkTestHost : public FrameConnection {
public:
    LinkTestHost();
    LinkTestHost(const LinkTestHost&) = delete;
    LinkTestHost& operator=(const LinkTestHost&) = delete;

    bool Listening() const { return listener_.IsOpen(); }
    std::uint16_t Port() const { return port_; }
    // "127.0.0.1:port", the value for TESSEL_HOST.
    std::string Address() const;

    // Waits for the plugin to connect; an earlier link is dropped first.
    bool Accept(int timeoutMs);

    // Closes the plugin's link (the host going away) and stops listening.
    void DropLink();

    // A loopback port on which nothing listens (bound once, then released).
    static std::uint16_t UnusedPort();

private:
    platform::TcpSocket listener_;
    std::uint16_t port_ = 0;
};

}  // namespace quillon::test
