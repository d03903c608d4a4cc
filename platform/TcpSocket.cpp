#include "platform/TcpSocket.h"

#include <chrono>
#include <climits>
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
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quillon::platform {

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
using PollEntry = WSAPOLLFD;
constexpr int SendFlags = 0;
constexpr int ShutdownBoth = SD_BOTH;
int LastError() {
    return WSAGetLastError();
}
bool IsWouldBlock(int error) {
    return error == WSAEWOULDBLOCK;
}
bool IsInterrupted(int error) {
    return error == WSAEINTR;
}
bool IsConnectPending(int error) {
    return error == WSAEWOULDBLOCK;
}
std::uintptr_t OpenNative(int family) {
    return static_cast<std::uintptr_t>(::socket(family, SOCK_STREAM, IPPROTO_TCP));
}
std::uintptr_t AcceptNative(NativeSocket listener) {
    return static_cast<std::uintptr_t>(::accept(listener, nullptr, nullptr));
}
void CloseNative(NativeSocket socket) {
    closesocket(socket);
}
bool SetNonBlockingNative(NativeSocket socket, bool nonBlocking) {
    u_long mode = nonBlocking ? 1 : 0;
    return ioctlsocket(socket, FIONBIO, &mode) == 0;
}
int PollNative(PollEntry* entries, std::size_t count, int timeoutMs) {
    return WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}
#else
using NativeSocket = int;
using PollEntry = pollfd;
// A peer that vanishes mid-write must not kill the process with SIGPIPE.
constexpr int SendFlags = MSG_NOSIGNAL;
constexpr int ShutdownBoth = SHUT_RDWR;
int LastError() {
    return errno;
}
bool IsWouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}
bool IsInterrupted(int error) {
    return error == EINTR;
}
bool IsConnectPending(int error) {
    return error == EINPROGRESS;
}
// Close-on-exec: a child process started meanwhile (the tests start Wine and hostsim)
// must not keep a copy that holds the link open after its owner closed it.
std::uintptr_t OpenNative(int family) {
    return static_cast<std::uintptr_t>(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
}
std::uintptr_t AcceptNative(NativeSocket listener) {
    return static_cast<std::uintptr_t>(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}
void CloseNative(NativeSocket socket) {
    ::close(socket);
}
bool SetNonBlockingNative(NativeSocket socket, bool nonBlocking) {
    const int flags = fcntl(socket, F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(socket, F_SETFL, nonBlocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}
int PollNative(PollEntry* entries, std::size_t count, int timeoutMs) {
    return ::poll(entries, static_cast<nfds_t>(count), timeoutMs);
}
#endif

NativeSocket Native(std::uintptr_t handle) {
    return static_cast<NativeSocket>(handle);
}

int ClampToInt(std::size_t length) {
    return length > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

struct AddressList {
    addrinfo* first = nullptr;
    AddressList() = default;
    AddressList(const AddressList&) = delete;
    AddressList& operator=(const AddressList&) = delete;
    ~AddressList() {
        if (first) freeaddrinfo(first);
    }
};

bool ResolveIpv4(const std::string& host, std::uint16_t port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    AddressList found;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found.first) != 0 || found.first == nullptr) return false;
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found.first->ai_addr)->sin_addr;
    return true;
}

void DisableNagle(NativeSocket socket) {
    int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

enum class WaitFor { Reading, Connecting };

SocketWait WaitOne(NativeSocket socket, WaitFor what, int timeoutMs) {
    if (timeoutMs < 0) timeoutMs = 0;
#ifdef _WIN32
    // select, not WSAPoll: WSAPoll of older Windows never reports a refused connection.
    // A failed attempt to connect shows in the exception set.
    const bool connecting = what == WaitFor::Connecting;
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    if (connecting) FD_SET(socket, &failed);
    timeval time{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int result =
        connecting ? select(0, nullptr, &ready, &failed, &time) : select(0, &ready, nullptr, nullptr, &time);
    if (result < 0 || FD_ISSET(socket, &failed)) return SocketWait::Failed;
#else
    pollfd entry{socket, static_cast<short>(what == WaitFor::Reading ? POLLIN : POLLOUT), 0};
    const int result = ::poll(&entry, 1, timeoutMs);
    if (result < 0) return SocketWait::Failed;
#endif
    return result == 0 ? SocketWait::TimedOut : SocketWait::Ready;
}

bool ConnectionFailed(NativeSocket socket) {
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0;
}

}  // namespace

SocketLibrary::SocketLibrary() {
#ifdef _WIN32
    WSADATA data;
    ready_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#else
    ready_ = true;
#endif
}

SocketLibrary::~SocketLibrary() {
#ifdef _WIN32
    if (ready_) WSACleanup();
#endif
}

TcpSocket::~TcpSocket() {
    Close();
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : handle_(std::exchange(other.handle_, InvalidHandle)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, InvalidHandle);
    }
    return *this;
}

std::optional<TcpSocket> TcpSocket::Listen(const std::string& host, std::uint16_t port, std::string& error) {
    sockaddr_in address;
    if (!ResolveIpv4(host, port, address)) {
        error = "cannot resolve " + host;
        return std::nullopt;
    }
    TcpSocket listener(OpenNative(AF_INET));
    if (!listener.IsOpen()) {
        error = "cannot create a socket";
        return std::nullopt;
    }
    const NativeSocket native = Native(listener.handle_);
#ifndef _WIN32
    // A restarted host takes its port back at once. (On Windows the same option would let
    // a second listener take a port in use.)
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
    return listener;
}

std::optional<TcpSocket> TcpSocket::Connect(const std::string& host, std::uint16_t port, int timeoutMs,
                                            std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    AddressList addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses.first) != 0) {
        error = "cannot resolve " + host;
        return std::nullopt;
    }
    for (const addrinfo* address = addresses.first; address != nullptr; address = address->ai_next) {
        TcpSocket socket(OpenNative(address->ai_family));
        // Non-blocking while connecting, so an attempt never outlasts its time (Windows
        // takes about a second to report a refused loopback connection).
        if (!socket.IsOpen() || !socket.SetNonBlocking(true)) continue;
        const NativeSocket native = Native(socket.handle_);
        if (connect(native, address->ai_addr, static_cast<socklen_t>(address->ai_addrlen)) != 0) {
            if (!IsConnectPending(LastError())) continue;
            if (WaitOne(native, WaitFor::Connecting, timeoutMs) != SocketWait::Ready || ConnectionFailed(native)) {
                continue;
            }
        }
        if (!socket.SetNonBlocking(false)) continue;
        DisableNagle(native);
        return socket;
    }
    error = "cannot connect to " + host + ":" + std::to_string(port);
    return std::nullopt;
}

bool TcpSocket::IsOpen() const {
    return handle_ != InvalidHandle;
}

void TcpSocket::Close() {
    if (IsOpen()) CloseNative(Native(std::exchange(handle_, InvalidHandle)));
}

void TcpSocket::Shutdown() const {
    if (!IsOpen()) return;
    shutdown(Native(handle_), ShutdownBoth);
#ifdef _WIN32
    // A receive already blocked on another thread does not return for a shutdown on
    // Windows (nor under Wine), as it does elsewhere: it is cancelled. One started after
    // the shutdown returns at once.
    CancelIoEx(reinterpret_cast<HANDLE>(Native(handle_)), nullptr);
#endif
}

bool TcpSocket::SetNonBlocking(bool nonBlocking) const {
    return IsOpen() && SetNonBlockingNative(Native(handle_), nonBlocking);
}

void TcpSocket::SetSendTimeout(int timeoutMs) const {
    if (timeoutMs < 0) timeoutMs = 0;
#ifdef _WIN32
    DWORD timeout = static_cast<DWORD>(timeoutMs);
#else
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
#endif
    setsockopt(Native(handle_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}

std::uint16_t TcpSocket::LocalPort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(Native(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}

std::optional<TcpSocket> TcpSocket::Accept() const {
    TcpSocket accepted(AcceptNative(Native(handle_)));
    if (!accepted.IsOpen()) return std::nullopt;
    // Winsock hands a non-blocking listener's mode on to what it accepts; POSIX does not.
    accepted.SetNonBlocking(false);
    DisableNagle(Native(accepted.handle_));
    return accepted;
}

TcpSocket::IoResult TcpSocket::Receive(unsigned char* buffer, std::size_t capacity) const {
    for (;;) {
        const auto received = recv(Native(handle_), reinterpret_cast<char*>(buffer), ClampToInt(capacity), 0);
        if (received > 0) return {Io::Done, static_cast<std::size_t>(received)};
        if (received == 0) return {Io::Closed, 0};
        const int error = LastError();
        if (IsInterrupted(error)) continue;
        return {IsWouldBlock(error) ? Io::WouldBlock : Io::Closed, 0};
    }
}

TcpSocket::IoResult TcpSocket::Send(const unsigned char* bytes, std::size_t length) const {
    for (;;) {
        const auto sent = send(Native(handle_), reinterpret_cast<const char*>(bytes), ClampToInt(length), SendFlags);
        if (sent >= 0) return {Io::Done, static_cast<std::size_t>(sent)};
        const int error = LastError();
        if (IsInterrupted(error)) continue;
        return {IsWouldBlock(error) ? Io::WouldBlock : Io::Closed, 0};
    }
}

bool TcpSocket::SendAll(const unsigned char* bytes, std::size_t length) const {
    while (length > 0) {
        const IoResult result = Send(bytes, length);
        if (result.status != Io::Done || result.bytes == 0) return false;
        bytes += result.bytes;
        length -= result.bytes;
    }
    return true;
}

SocketWait TcpSocket::WaitReadable(int timeoutMs) const {
    return WaitOne(Native(handle_), WaitFor::Reading, timeoutMs);
}

void PollSockets(std::vector<PollRequest>& requests, int timeoutMs) {
    // WSAPoll refuses an empty set instead of waiting.
    if (requests.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    std::vector<PollEntry> entries(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        entries[i].fd = Native(requests[i].socket->handle_);
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

}  // namespace quillon::platform
