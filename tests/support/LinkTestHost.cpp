#include "support/LinkTestHost.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstring>

namespace quillon::test {

namespace {

#if defined(_WIN32)
using SocketHandle = SOCKET;
const std::intptr_t NoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);
void CloseSocket(std::intptr_t socket) {
    closesocket(static_cast<SOCKET>(socket));
}
constexpr int SendFlags = 0;
struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};
#else
using SocketHandle = int;
const std::intptr_t NoSocket = -1;
void CloseSocket(std::intptr_t socket) {
    close(static_cast<int>(socket));
}
constexpr int SendFlags = MSG_NOSIGNAL;
struct WinsockUser {};
#endif

WinsockUser& Winsock() {
    static WinsockUser user;
    return user;
}

SocketHandle Handle(std::intptr_t socket) {
    return static_cast<SocketHandle>(socket);
}

// Waits until the socket can be read (or accepted from); false on time-out.
bool WaitReadable(std::intptr_t socket, int timeoutMs) {
#if defined(_WIN32)
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Handle(socket), &readable);
    timeval time{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &time) > 0;
#else
    pollfd entry{static_cast<int>(socket), POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
#endif
}

std::intptr_t ListenOnLoopback(std::uint16_t& port) {
    Winsock();
    std::intptr_t listener = static_cast<std::intptr_t>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (listener == NoSocket) return NoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (bind(Handle(listener), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(Handle(listener), 4) != 0 ||
        getsockname(Handle(listener), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        CloseSocket(listener);
        return NoSocket;
    }
    port = ntohs(address.sin_port);
    return listener;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

LinkTestHost::LinkTestHost() : listener_(NoSocket), link_(NoSocket) {
    listener_ = ListenOnLoopback(port_);
}

LinkTestHost::~LinkTestHost() {
    DropLink();
    StopListening();
}

bool LinkTestHost::Listening() const {
    return listener_ != NoSocket;
}

bool LinkTestHost::Connected() const {
    return link_ != NoSocket && !ended_;
}

std::string LinkTestHost::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

bool LinkTestHost::Accept(int timeoutMs) {
    if (link_ != NoSocket) {
        CloseSocket(link_);
        link_ = NoSocket;
    }
    if (listener_ == NoSocket || !WaitReadable(listener_, timeoutMs)) return false;
    std::intptr_t accepted = static_cast<std::intptr_t>(accept(Handle(listener_), nullptr, nullptr));
    if (accepted == NoSocket) return false;
    int noDelay = 1;
    setsockopt(Handle(accepted), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    link_ = accepted;
    reader_ = host::FrameReader();
    ended_ = false;
    return true;
}

bool LinkTestHost::Pump(int timeoutMs) {
    if (link_ == NoSocket || ended_) return false;
    if (!WaitReadable(link_, timeoutMs)) return true;
    char chunk[64 * 1024];
    auto received = recv(Handle(link_), chunk, sizeof chunk, 0);
    if (received <= 0) {
        ended_ = true;
        return false;
    }
    reader_.Feed(reinterpret_cast<const unsigned char*>(chunk), static_cast<std::size_t>(received));
    return true;
}

std::optional<host::Frame> LinkTestHost::ReadFrame(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (std::optional<host::Frame> frame = reader_.Next()) return frame;
        int left = RemainingMs(deadline);
        if (reader_.Broken() || left == 0 || !Pump(left)) return std::nullopt;
    }
}

bool LinkTestHost::WaitForLinkEnd(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (reader_.Next()) {
        }
        if (ended_) return true;
        int left = RemainingMs(deadline);
        if (left == 0 || !Pump(left)) return ended_;
    }
}

bool LinkTestHost::Send(std::uint32_t msgType, std::int32_t value, std::int32_t requestId, const void* data,
                        std::size_t length) {
    std::optional<std::vector<unsigned char>> frame = host::EncodeFrame(msgType, value, requestId, data, length);
    return frame && SendRaw(frame->data(), frame->size());
}

bool LinkTestHost::SendRaw(const void* bytes, std::size_t length) {
    if (link_ == NoSocket) return false;
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        int chunk = length > (1 << 30) ? (1 << 30) : static_cast<int>(length);
        auto sent = send(Handle(link_), next, chunk, SendFlags);
        if (sent <= 0) return false;
        next += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

void LinkTestHost::DropLink() {
    if (link_ != NoSocket) CloseSocket(link_);
    link_ = NoSocket;
    StopListening();
}

void LinkTestHost::StopListening() {
    if (listener_ != NoSocket) CloseSocket(listener_);
    listener_ = NoSocket;
}

std::uint16_t LinkTestHost::UnusedPort() {
    std::uint16_t port = 0;
    std::intptr_t listener = ListenOnLoopback(port);
    if (listener != NoSocket) CloseSocket(listener);
    return port;
}

}  // namespace quillon::test
