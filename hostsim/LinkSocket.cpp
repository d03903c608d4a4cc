#include "hostsim/LinkSocket.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quillon::hostsim {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
using PollEntry = WSAPOLLFD;
constexpr int SendFlags = 0;
bool LastErrorWouldBlock() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}
bool LastErrorInterrupted() {
    return WSAGetLastError() == WSAEINTR;
}
void CloseNative(NativeSocket socket) {
    closesocket(socket);
}
int PollNative(PollEntry* entries, std::size_t count, int timeoutMs) {
    return WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}
void MakeNonBlocking(NativeSocket socket) {
    u_long on = 1;
    ioctlsocket(socket, FIONBIO, &on);
}
#else
using NativeSocket = int;
using PollEntry = pollfd;
// A plugin that vanishes mid-write must not kill the simulator with SIGPIPE.
constexpr int SendFlags = MSG_NOSIGNAL;
bool LastErrorWouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}
bool LastErrorInterrupted() {
    return errno == EINTR;
}
void CloseNative(NativeSocket socket) {
    ::close(socket);
}
int PollNative(PollEntry* entries, std::size_t count, int timeoutMs) {
    return ::poll(entries, static_cast<nfds_t>(count), timeoutMs);
}
void MakeNonBlocking(NativeSocket socket) {
    const int flags = fcntl(socket, F_GETFL, 0);
    fcntl(socket, F_SETFL, flags | O_NONBLOCK);
}
#endif

NativeSocket Native(std::uintptr_t handle) {
    return static_cast<NativeSocket>(handle);
}

bool ResolveIpv4(const std::string& host, std::uint16_t port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

void DisableNagle(NativeSocket socket) {
    int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

}  // namespace

bool StartSockets() {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

LinkSocket::~LinkSocket() {
    Close();
}

LinkSocket::LinkSocket(LinkSocket&& other) noexcept : handle_(std::exchange(other.handle_, InvalidHandle)) {}

LinkSocket& LinkSocket::operator=(LinkSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, InvalidHandle);
    }
    return *this;
}

bool LinkSocket::IsOpen() const {
    return handle_ != InvalidHandle;
}

void LinkSocket::Close() {
    if (IsOpen()) CloseNative(Native(std::exchange(handle_, InvalidHandle)));
}

std::optional<LinkSocket> LinkSocket::Listen(const std::string& host, std::uint16_t port, std::string& error) {
    if (!StartSockets()) {
        error = "sockets are not available";
        return std::nullopt;
    }
    sockaddr_in address;
    if (!ResolveIpv4(host, port, address)) {
        error = "cannot resolve " + host;
        return std::nullopt;
    }
    const NativeSocket native = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    LinkSocket listener(static_cast<std::uintptr_t>(native));
    if (native == Native(InvalidHandle)) {
        error = "cannot create a socket";
        return std::nullopt;
    }
#ifndef _WIN32
    int reuse = 1;
    setsockopt(native, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
#endif
    if (bind(native, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot bind " + host + ":" + std::to_string(port) + " (in use?)";
        return std::nullopt;
    }
    if (listen(native, 8) != 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port);
        return std::nullopt;
    }
    MakeNonBlocking(native);
    return listener;
}

std::optional<LinkSocket> LinkSocket::Connect(const std::string& host, std::uint16_t port, std::string& error) {
    if (!StartSockets()) {
        error = "sockets are not available";
        return std::nullopt;
    }
    sockaddr_in address;
    if (!ResolveIpv4(host, port, address)) {
        error = "cannot resolve " + host;
        return std::nullopt;
    }
    const NativeSocket native = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    LinkSocket connection(static_cast<std::uintptr_t>(native));
    if (native == Native(InvalidHandle)) {
        error = "cannot create a socket";
        return std::nullopt;
    }
    if (connect(native, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot connect to " + host + ":" + std::to_string(port);
        return std::nullopt;
    }
    DisableNagle(native);
    return connection;
}

std::uint16_t LinkSocket::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(Native(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

std::optional<LinkSocket> LinkSocket::Accept() {
    const NativeSocket native = accept(Native(handle_), nullptr, nullptr);
    if (native == Native(InvalidHandle)) return std::nullopt;
    MakeNonBlocking(native);
    DisableNagle(native);
    return LinkSocket(static_cast<std::uintptr_t>(native));
}

LinkSocket::IoResult LinkSocket::Receive(unsigned char* buffer, std::size_t capacity) {
    for (;;) {
        const auto received = recv(Native(handle_), reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0);
        if (received > 0) return {Io::Done, static_cast<std::size_t>(received)};
        if (received == 0) return {Io::Closed, 0};
        if (LastErrorInterrupted()) continue;
        return {LastErrorWouldBlock() ? Io::WouldBlock : Io::Closed, 0};
    }
}

LinkSocket::IoResult LinkSocket::Send(const unsigned char* bytes, std::size_t length) {
    for (;;) {
        const auto sent =
            send(Native(handle_), reinterpret_cast<const char*>(bytes), static_cast<int>(length), SendFlags);
        if (sent >= 0) return {Io::Done, static_cast<std::size_t>(sent)};
        if (LastErrorInterrupted()) continue;
        return {LastErrorWouldBlock() ? Io::WouldBlock : Io::Closed, 0};
    }
}

bool LinkSocket::SendAll(const unsigned char* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const IoResult result = Send(bytes + done, length - done);
        if (result.status == Io::Closed) return false;
        if (result.status == Io::WouldBlock) {
            std::vector<PollRequest> wait{{this, false, true}};
            PollSockets(wait, 100);
            continue;
        }
        done += result.bytes;
    }
    return true;
}

bool LinkSocket::WaitReadable(int timeoutMs) const {
    std::vector<PollRequest> wait{{this, true, false}};
    PollSockets(wait, timeoutMs);
    return wait[0].readable || wait[0].failed;
}

void PollSockets(std::vector<PollRequest>& requests, int timeoutMs) {
    // WSAPoll refuses an empty set instead of waiting.
    if (requests.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    std::vector<PollEntry> entries(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        entries[i].fd = Native(requests[i].socket->Handle());
        entries[i].events =
            static_cast<short>((requests[i].wantRead ? POLLIN : 0) | (requests[i].wantWrite ? POLLOUT : 0));
        entries[i].revents = 0;
    }
    if (PollNative(entries.data(), entries.size(), timeoutMs) <= 0) return;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        requests[i].readable = (entries[i].revents & POLLIN) != 0;
        requests[i].writable = (entries[i].revents & POLLOUT) != 0;
        requests[i].failed = (entries[i].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
}

}  // namespace quillon::hostsim
