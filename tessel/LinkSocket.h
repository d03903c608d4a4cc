#pragma once

#include <winsock2.h>

#include <cstddef>
#include <string>

// Winsock pieces of the link: an owning socket handle and the few blocking-with-timeout
// operations the link thread needs.
namespace quillon::tessel {

// Keeps Winsock initialised for its lifetime (WSAStartup counts its callers).
class WinsockSession {
public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
};

// Owns one socket; closes it when it leaves scope.
class LinkSocket {
public:
    LinkSocket() = default;
    explicit LinkSocket(SOCKET handle) : handle_(handle) {}
    ~LinkSocket() { Close(); }
    LinkSocket(LinkSocket&& other) noexcept : handle_(other.Release()) {}
    LinkSocket& operator=(LinkSocket&& other) noexcept;
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    SOCKET Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_SOCKET; }
    SOCKET Release();
    void Close();

private:
    SOCKET handle_ = INVALID_SOCKET;
};

enum class WaitResult { Ready, TimedOut, Failed };

// One connection attempt to host:port, waiting at most timeoutMs for it to complete.
// An invalid socket when the name does not resolve, the host refuses, or time runs out.
LinkSocket ConnectWithin(const std::string& host, unsigned short port, int timeoutMs);

// Waits up to timeoutMs for bytes (or the end of the link) to read.
WaitResult WaitReadable(SOCKET socket, int timeoutMs);

// Writes every byte; false when the link fails first.
bool SendAll(SOCKET socket, const unsigned char* bytes, std::size_t length);

}  // namespace quillon::tessel
