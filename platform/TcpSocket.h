#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::platform {

// Keeps the system's socket library started while it lives: Winsock counts its users
// (WSAStartup, WSACleanup); elsewhere there is nothing to start. Whoever opens sockets
// holds one that outlives them.
class SocketLibrary {
public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;

    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
};

enum class SocketWait { Ready, TimedOut, Failed };

struct PollRequest;

// One TCP socket, BSD sockets or Winsock, closed when it leaves scope. Every socket the
// factories and Accept give is blocking, with Nagle's delay off (the link's frames are
// small and should not wait for a full segment).
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // A listening socket on an IPv4 host:port; port 0 picks a free port. Nothing, with the
    // reason in `error`, when it cannot be had.
    static std::optional<TcpSocket> Listen(const std::string& host, std::uint16_t port, std::string& error);
    // One connection attempt to host:port (a name or an address of either family), waiting
    // at most timeoutMs for it to complete.
    static std::optional<TcpSocket> Connect(const std::string& host, std::uint16_t port, int timeoutMs,
                                            std::string& error);

    bool IsOpen() const;
    void Close();
    // Ends both directions without closing: a thread blocked on this socket returns, and
    // the peer sees the link end. Safe from another thread while the socket stays open.
    void Shutdown() const;
    bool SetNonBlocking(bool nonBlocking) const;
    // A blocking send that takes longer fails instead of holding its thread.
    void SetSendTimeout(int timeoutMs) const;
    std::uint16_t LocalPort() const;

    // A connection waiting on this listening socket, or nothing when none is.
    std::optional<TcpSocket> Accept() const;

    // WouldBlock only comes from a non-blocking socket or a send time-out.
    enum class Io { Done, WouldBlock, Closed };
    struct IoResult {
        Io status;
        std::size_t bytes;
    };
    IoResult Receive(unsigned char* buffer, std::size_t capacity) const;
    IoResult Send(const unsigned char* bytes, std::size_t length) const;
    // Every byte, on a blocking socket; false when the link fails or the send time-out
    // runs out first.
    bool SendAll(const unsigned char* bytes, std::size_t length) const;
    // Waits up to timeoutMs for bytes, a connection or the end of the link to read.
    SocketWait WaitReadable(int timeoutMs) const;

private:
    friend void PollSockets(std::vector<PollRequest>& requests, int timeoutMs);
    explicit TcpSocket(std::uintptr_t handle) : handle_(handle) {}

    static constexpr std::uintptr_t InvalidHandle = ~std::uintptr_t{0};
    std::uintptr_t handle_ = InvalidHandle;
};

struct PollRequest {
    const TcpSocket* socket;
    bool wantRead;
    bool wantWrite;
    bool readable = false;
    bool writable = false;
    bool failed = false;
};

// Waits up to timeoutMs for any of the sockets; fills in what each is ready for. An
// empty set just sleeps.
void PollSockets(std::vector<PollRequest>& requests, int timeoutMs);

}  // namespace quillon::platform
