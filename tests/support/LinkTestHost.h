#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/LinkFrame.h"

namespace quillon::test {

// The host end of the TesselAPI link, for tests: listens on an ephemeral loopback port,
// takes one plugin connection and reads and writes frames with time limits. POSIX
// sockets natively, Winsock under MinGW; every call is made from the test's thread.
class LinkTestHost {
public:
    LinkTestHost();
    ~LinkTestHost();
    LinkTestHost(const LinkTestHost&) = delete;
    LinkTestHost& operator=(const LinkTestHost&) = delete;

    bool Listening() const;
    std::uint16_t Port() const { return port_; }
    // "127.0.0.1:port", the value for TESSEL_HOST.
    std::string Address() const;

    // Waits for the plugin to connect; an earlier link is dropped first.
    bool Accept(int timeoutMs);
    bool Connected() const;

    // The next frame from the plugin; nothing on time-out, link end or a broken stream.
    std::optional<host::Frame> ReadFrame(int timeoutMs);
    // True once the plugin has closed its end (reading on until end of stream, discarding
    // frames), false if the link is still open after timeoutMs.
    bool WaitForLinkEnd(int timeoutMs);

    bool Send(std::uint32_t msgType, std::int32_t value, std::int32_t requestId, const void* data, std::size_t length);
    bool Send(std::uint32_t msgType, std::int32_t value = 0, std::int32_t requestId = 0) {
        return Send(msgType, value, requestId, nullptr, 0);
    }
    // Bytes exactly as given: for malformed headers and frames cut short.
    bool SendRaw(const void* bytes, std::size_t length);

    // Closes the plugin's link (the host going away) and stops listening.
    void DropLink();
    void StopListening();

    // A loopback port on which nothing listens (bound once, then released).
    static std::uint16_t UnusedPort();

private:
    // Reads what is available into the frame reader; false at link end or on error.
    bool Pump(int timeoutMs);

    std::intptr_t listener_;
    std::intptr_t link_;
    std::uint16_t port_ = 0;
    host::FrameReader reader_;
    bool ended_ = false;
};

}  // namespace quillon::test
