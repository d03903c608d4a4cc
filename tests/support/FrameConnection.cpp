#include "support/FrameConnection.h"

#include <chrono>
#include <utility>
#include <vector>

namespace quillon::test {

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

void FrameConnection::Attach(platform::TcpSocket socket) {
    socket_ = std::move(socket);
    reader_ = host::FrameReader();
    ended_ = false;
}

bool FrameConnection::Pump(int timeoutMs) {
    if (!socket_.IsOpen() || ended_) return false;
    if (socket_.WaitReadable(timeoutMs) != platform::SocketWait::Ready) return true;
    unsigned char chunk[64 * 1024];
    platform::TcpSocket::IoResult received = socket_.Receive(chunk, sizeof chunk);
    if (received.status != platform::TcpSocket::Io::Done) {
        ended_ = true;
        return false;
    }
    reader_.Feed(chunk, received.bytes);
    return true;
}

std::optional<host::Frame> FrameConnection::ReadFrame(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (std::optional<host::Frame> frame = reader_.Next()) return frame;
        int left = RemainingMs(deadline);
        if (reader_.Broken() || left == 0 || !Pump(left)) return std::nullopt;
    }
}

bool FrameConnection::WaitForLinkEnd(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (reader_.Next()) {
        }
        if (ended_) return true;
        int left = RemainingMs(deadline);
        if (left == 0 || !Pump(left)) return ended_;
    }
}

bool FrameConnection::Send(std::uint32_t msgType, std::int32_t value, std::int32_t requestId, const void* data,
                           std::size_t length) {
    std::optional<std::vector<unsigned char>> frame = host::EncodeFrame(msgType, value, requestId, data, length);
    return frame && SendRaw(frame->data(), frame->size());
}

bool FrameConnection::SendRaw(const void* bytes, std::size_t length) {
    return socket_.IsOpen() && socket_.SendAll(static_cast<const unsigned char*>(bytes), length);
}

}  // namespace quillon::test
