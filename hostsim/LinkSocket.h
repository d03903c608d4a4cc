#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A thin portable layer over BSD sockets and Winsock: just what the simulator and its
// tests need for one loopback TCP link.
namespace quillon::hostsim {

// Starts Winsock once per process; nothing to do elsewhere. False when it cannot start.
bool StartSockets();

class LinkSocket {
public:
    LinkSocket() = default;
    ~LinkSocket();
    LinkSocket(LinkSocket&& other) noexcept;
    LinkSocket& operator=(LinkSocket&& other) noexcept;
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    // A non-blocking listening socket on host:port; port 0 picks a free port.
    static std::optional<LinkSocket> Listen(const std::string& host, std::uint16_t port, std::string& error);
    // A blocking connection (tests play the plugin with it).
    static std::optional<LinkSocket> Connect(const std::string& host, std::uint16_t port, std::string& error);

    bool IsOpen() const;
    void Close();
    std::uint16_t LocalPort() const;

    // A pending connection as a non-blocking socket, or nothing when none is waiting.
    std::optional<LinkSocket> Accept();

    enum class Io { Done, WouldBlock, Closed };
    struct IoResult {
        Io status;
        std::size_t bytes;
    };
    IoResult Receive(unsigned char* buffer, std::size_t capacity);
    IoResult Send(const unsigned char* bytes, std::size_t length);
    // Blocking helpers for tests: the whole buffer, or false when the link ends.
    bool SendAll(const unsigned char* bytes, std::size_t length);
    // Waits up to timeoutMs for readability; false on time-out.
    bool WaitReadable(int timeoutMs) const;

    std::uintptr_t Handle() const { return handle_; }

private:
    explicit LinkSocket(std::uintptr_t handle) : handle_(handle) {}
    std::uintptr_t handle_ = InvalidHandle;
    static constexpr std::uintptr_t InvalidHandle = ~std::uintptr_t{0};
};

struct PollRequest {
    const LinkSocket* socket;
    bool wantRead;
    bool wantWrite;
    bool readable = false;
    bool writable = false;
    bool failed = false;
};

// Waits up to timeoutMs for any of the sockets; fills in what each is ready for.
void PollSockets(std::vector<PollRequest>& requests, int timeoutMs);

}  // namespace quillon::hostsim
