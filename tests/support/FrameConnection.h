#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "host/LinkFrame.h"
#include "platform/TcpSocket.h"

namespace quillon::test {

// One end of a link connection in a test, host's or plugin's: reads frames with time
// limits and writes frames or raw bytes. Every call is made from the test's thread. It
// keeps the socket library started for the sockets of whatever derives from it too.
class FrameConnection {
public:
    // Closes the connection held so far and takes `socket` in its place.
    void Attach(platform::TcpSocket socket);
    void Close() { Attach(platform::TcpSocket()); }

    // The next frame from the peer; nothing on time-out, link end or a broken stream.
    std::optional<host::Frame> ReadFrame(int timeoutMs);
    // True once the peer has closed its end (reading on until end of stream, discarding
    // frames), false if the link is still open after timeoutMs.
    bool WaitForLinkEnd(int timeoutMs);

    bool Send(std::uint32_t msgType, std::int32_t value, std::int32_t requestId, const void* data, std::size_t length);
    bool Send(std::uint32_t msgType, std::int32_t value = 0, std::int32_t requestId = 0) {
        return Send(msgType, value, requestId, nullptr, 0);
    }
    // Bytes exactly as given: for malformed headers and frames cut short.
    bool SendRaw(const void* bytes, std::size_t length);

private:
    // Reads what is available into the frame reader; false at link end or on error.
    bool Pump(int timeoutMs);

    platform::SocketLibrary sockets_;
    platform::TcpSocket socket_;
    host::FrameReader reader_;
    bool ended_ = false;
};

}  // namespace quillon::test
