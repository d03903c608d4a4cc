#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/LinkFrame.h"
#include "hostsim/HostServer.h"
#include "support/FrameConnection.h"

namespace quillon::hostsim::test {

// Plays the plugin's end of the link over loopback with the real framing.
class PluginClient {
public:
    explicit PluginClient(std::uint16_t port);

    void Send(std::uint32_t msgType, std::int32_t requestId, const std::vector<unsigned char>& payload = {});
    void SendBytes(const std::vector<unsigned char>& bytes);
    void SendHello(const std::string& name = "Quillon", std::int32_t mode = 6);
    void SendCode(std::uint32_t msgType, const std::string& code, std::int32_t requestId = 0);

    // The next frame, or nothing when none comes in time or the link ended.
    std::optional<host::Frame> Receive(int timeoutMs = 5000);
    // The next frame of `msgType`, passing over quote pushes on the way; any other
    // frame (or none) fails the test and gives nothing.
    std::optional<host::Frame> Expect(std::uint32_t msgType, int timeoutMs = 5000);
    // True when the host closes the link within the time.
    bool WaitForClose(int timeoutMs = 5000);

private:
    quillon::test::FrameConnection link_;
};

// A HostServer on a free loopback port, run on its own thread for one test.
class RunningServer {
public:
    RunningServer(Market market, HostServerOptions options, std::vector<std::string> script = {});
    ~RunningServer();

    HostServer& Server() { return *server_; }
    std::uint16_t Port() const { return server_->Port(); }
    std::vector<std::string> Lines();
    // Waits until the server's published stats satisfy the predicate.
    template <typename Predicate>
    bool WaitFor(Predicate predicate, int timeoutMs = 5000) {
        for (int waited = 0; waited < timeoutMs; waited += 5) {
            if (predicate(server_->Stats())) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return predicate(server_->Stats());
    }

private:
    std::mutex linesMutex_;
    std::vector<std::string> lines_;
    std::unique_ptr<HostServer> server_;
    std::thread thread_;
};

std::vector<unsigned char> CodeSlot(const std::string& code);
std::vector<std::string> ReadSlots(const std::vector<unsigned char>& payload, std::size_t slotSize);

}  // namespace quillon::hostsim::test
