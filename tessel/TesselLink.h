#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "host/LinkFrame.h"
#include "host/TesselAPI.h"
#include "platform/TcpSocket.h"

namespace quillon::tessel {

// The library's instance: the link to a host over loopback TCP. Register and Start come
// from the program's user-interface thread, SendRequest from any thread; the link thread
// connects, says hello, reads frames and calls the program's callback.
class TesselLink final : public host::TesselAPI {
public:
    TesselLink();

    int Register(const char* name, const char* accessCode, host::TesselCallback callback, host::WindowHandle hostWindow,
                 int mode, host::WindowHandle ownWindow) override;
    int Start() override;
    int SendRequest(int type, const void* data, int len, int requestId) override;
    int Reserved() override { return 0; }

    // Closes the link, waits for the link thread and deletes the instance. Called from the
    // link thread itself (the callback destroying the library), the thread is left to
    // finish on its own and deletes the instance as it ends.
    void Destroy();

private:
    ~TesselLink() override;

    void Run();
    // Connects with a retry every 200 ms until the deadline; nothing when no host came
    // or the library is stopping.
    std::optional<platform::TcpSocket> ConnectWithRetry(const host::LinkAddress& address, int timeoutMs);
    bool SendHello(const platform::TcpSocket& socket);
    void ReadFrames(const platform::TcpSocket& socket);
    void Deliver(const host::FrameView& frame);
    void ApplyWindowFrame(const host::FrameView& frame);
    void Notify(int msgType, int value);
    void RequestStop();
    bool Stopping() const { return stopping_.load(); }

    platform::SocketLibrary sockets_;

    // Registration, written before Start and read by the link thread.
    std::mutex registrationMutex_;
    std::string name_;
    std::string accessCode_;
    std::atomic<host::TesselCallback> callback_{nullptr};
    host::WindowHandle hostWindow_ = nullptr;
    std::atomic<host::WindowHandle> ownWindow_{nullptr};
    int mode_ = 0;

    // The socket of the live link, owned by the link thread, for shutdown from Destroy;
    // guarded by stopMutex_.
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    const platform::TcpSocket* liveSocket_ = nullptr;
    std::atomic<bool> stopping_{false};

    // Writes are serialised; sendSocket_ is null whenever there is no link.
    std::mutex sendMutex_;
    const platform::TcpSocket* sendSocket_ = nullptr;

    std::thread thread_;
    bool started_ = false;
    bool deleteWhenDone_ = false;  // touched only on the link thread
};

}  // namespace quillon::tessel
