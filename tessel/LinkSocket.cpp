#include "tessel/LinkSocket.h"

#include <ws2tcpip.h>

#include <climits>
#include <string>

namespace quillon::tessel {

WinsockSession::WinsockSession() {
    WSADATA data;
    ready_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
    if (ready_) WSACleanup();
}

LinkSocket& LinkSocket::operator=(LinkSocket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.Release();
    }
    return *this;
}

SOCKET LinkSocket::Release() {
    SOCKET handle = handle_;
    handle_ = INVALID_SOCKET;
    return handle;
}

void LinkSocket::Close() {
    if (handle_ != INVALID_SOCKET) closesocket(handle_);
    handle_ = INVALID_SOCKET;
}

namespace {

constexpr DWORD SendTimeoutMs = 10000;

struct AddressList {
    addrinfo* first = nullptr;
    ~AddressList() {
        if (first) freeaddrinfo(first);
    }
};

timeval ToTimeval(int timeoutMs) {
    if (timeoutMs < 0) timeoutMs = 0;
    timeval time;
    time.tv_sec = timeoutMs / 1000;
    time.tv_usec = (timeoutMs % 1000) * 1000;
    return time;
}

}  // namespace

LinkSocket ConnectWithin(const std::string& host, unsigned short port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    AddressList addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses.first) != 0) return {};
    for (addrinfo* address = addresses.first; address != nullptr; address = address->ai_next) {
        LinkSocket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (!socket.Valid()) continue;
        // Non-blocking while connecting, so an attempt never outlasts its time slice
        // (Windows takes about a second to report a refused loopback connection).
        u_long nonBlocking = 1;
        if (ioctlsocket(socket.Get(), FIONBIO, &nonBlocking) != 0) continue;
        if (connect(socket.Get(), address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) continue;
            fd_set writable;
            fd_set failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(socket.Get(), &writable);
            FD_SET(socket.Get(), &failed);
            timeval time = ToTimeval(timeoutMs);
            if (select(0, nullptr, &writable, &failed, &time) <= 0 || FD_ISSET(socket.Get(), &failed)) continue;
            int error = 0;
            int errorSize = sizeof error;
            if (getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &errorSize) != 0 ||
                error != 0) {
                continue;
            }
        }
        u_long blocking = 0;
        if (ioctlsocket(socket.Get(), FIONBIO, &blocking) != 0) continue;
        // A host that stops reading must not hold the user-interface thread forever.
        DWORD sendTimeoutMs = SendTimeoutMs;
        setsockopt(socket.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeoutMs),
                   sizeof sendTimeoutMs);
        // Quotes are small frames that should not wait for a full segment.
        BOOL noDelay = TRUE;
        setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        return socket;
    }
    return {};
}

WaitResult WaitReadable(SOCKET socket, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval time = ToTimeval(timeoutMs);
    int result = select(0, &readable, nullptr, nullptr, &time);
    if (result < 0) return WaitResult::Failed;
    return result == 0 ? WaitResult::TimedOut : WaitResult::Ready;
}

bool SendAll(SOCKET socket, const unsigned char* bytes, std::size_t length) {
    while (length > 0) {
        int chunk = length > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
        int sent = send(socket, reinterpret_cast<const char*>(bytes), chunk, 0);
        if (sent <= 0) return false;
        bytes += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

}  // namespace quillon::tessel
