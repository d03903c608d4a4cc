#include "tessel/TesselLink.h"

#include <windows.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "host/HostMessages.h"

namespace quillon::tessel {

namespace {

constexpr int RetryIntervalMs = 200;
// A host that stops reading must not hold the user-interface thread forever.
constexpr int SendTimeoutMs = 10000;
constexpr std::size_t ReadChunk = 64 * 1024;

std::optional<std::string> EnvironmentText(const char* name) {
    char small[256];
    DWORD length = GetEnvironmentVariableA(name, small, sizeof small);
    if (length == 0) return std::nullopt;
    if (length < sizeof small) return std::string(small, length);
    std::string text(length, '\0');
    length = GetEnvironmentVariableA(name, text.data(), static_cast<DWORD>(text.size()));
    if (length == 0 || length >= text.size()) return std::nullopt;
    text.resize(length);
    return text;
}

std::uint32_t WindowWord(host::WindowHandle window) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace

TesselLink::TesselLink() = default;

TesselLink::~TesselLink() = default;

int TesselLink::Register(const char* name, const char* accessCode, host::TesselCallback callback,
                         host::WindowHandle hostWindow, int mode, host::WindowHandle ownWindow) {
    std::lock_guard lock(registrationMutex_);
    name_ = name ? name : "";
    accessCode_ = accessCode ? accessCode : "";
    hostWindow_ = hostWindow;
    mode_ = mode;
    callback_.store(callback);
    ownWindow_.store(ownWindow);
    return 0;
}

int TesselLink::Start() {
    if (started_) return -1;
    if (!sockets_.Ready()) {
        // Without Winsock there is no link to wait for: the log-in fails at once.
        Notify(host::HOSTMSG_LOGIN_RESULT, -1);
        return -1;
    }
    try {
        thread_ = std::thread(&TesselLink::Run, this);
    } catch (const std::system_error&) {
        Notify(host::HOSTMSG_LOGIN_RESULT, -1);
        return -1;
    }
    started_ = true;
    return 0;
}

int TesselLink::SendRequest(int type, const void* data, int len, int requestId) {
    if (len < 0 || len > host::MaxFramePayload || (data == nullptr && len != 0)) return -1;
    std::optional<std::vector<unsigned char>> frame =
        host::EncodeFrame(static_cast<std::uint32_t>(type), 0, requestId, data, static_cast<std::size_t>(len));
    if (!frame) return -1;
    std::lock_guard lock(sendMutex_);
    if (sendSocket_ == nullptr) return -1;
    if (sendSocket_->SendAll(frame->data(), frame->size())) return 0;
    // Part of the frame may be out: nothing written after it could be framed right, so
    // the link ends here and the reader reports it as lost.
    sendSocket_->Shutdown();
    sendSocket_ = nullptr;
    return -1;
}

void TesselLink::Destroy() {
    RequestStop();
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        deleteWhenDone_ = true;
        return;
    }
    if (thread_.joinable()) thread_.join();
    delete this;
}

void TesselLink::RequestStop() {
    std::lock_guard lock(stopMutex_);
    stopping_.store(true);
    // Wakes the reader blocked in its receive and any writer blocked on the link; the link
    // thread closes the socket.
    if (liveSocket_ != nullptr) liveSocket_->Shutdown();
    stopSignal_.notify_all();
}

void TesselLink::Run() {
    std::optional<host::LinkAddress> address = host::ParseLinkAddress(EnvironmentText("TESSEL_HOST"));
    int timeoutMs = host::ParseConnectTimeout(EnvironmentText("TESSEL_CONNECT_TIMEOUT_MS"));
    std::optional<platform::TcpSocket> socket;
    if (address) socket = ConnectWithRetry(*address, timeoutMs);
    if (!socket) {
        if (!Stopping()) Notify(host::HOSTMSG_LOGIN_RESULT, -1);
    } else {
        {
            std::lock_guard lock(stopMutex_);
            if (!Stopping()) liveSocket_ = &*socket;
        }
        if (!Stopping() && SendHello(*socket)) {
            {
                std::lock_guard lock(sendMutex_);
                sendSocket_ = &*socket;
            }
            ReadFrames(*socket);
        }
        socket->Shutdown();
        {
            std::lock_guard lock(sendMutex_);
            sendSocket_ = nullptr;
        }
        {
            std::lock_guard lock(stopMutex_);
            liveSocket_ = nullptr;
        }
        socket.reset();
        if (!Stopping()) Notify(host::HOSTMSG_HOST_CLOSING, 0);
    }
    if (deleteWhenDone_) delete this;
}

std::optional<platform::TcpSocket> TesselLink::ConnectWithRetry(const host::LinkAddress& address, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Stopping()) {
        const Clock::time_point attemptStart = Clock::now();
        std::string error;  // the program hears of a failed connection only as a failed log-in
        if (std::optional<platform::TcpSocket> socket =
                platform::TcpSocket::Connect(address.host, address.port, RetryIntervalMs, error)) {
            socket->SetSendTimeout(SendTimeoutMs);
            return socket;
        }
        const Clock::time_point nextAttempt = attemptStart + std::chrono::milliseconds(RetryIntervalMs);
        if (nextAttempt > deadline) break;
        std::unique_lock lock(stopMutex_);
        stopSignal_.wait_until(lock, nextAttempt, [this] { return Stopping(); });
    }
    return {};
}

bool TesselLink::SendHello(const platform::TcpSocket& socket) {
    host::HelloPayload hello;
    int mode;
    {
        std::lock_guard lock(registrationMutex_);
        hello.name = name_;
        hello.accessCode = accessCode_;
        hello.hostWindow = WindowWord(hostWindow_);
        hello.ownWindow = WindowWord(ownWindow_.load());
        mode = mode_;
    }
    std::vector<unsigned char> payload = host::EncodeHello(hello);
    std::optional<std::vector<unsigned char>> frame =
        host::EncodeFrame(host::LinkHelloType, mode, 0, payload.data(), payload.size());
    if (!frame) return false;
    std::lock_guard lock(sendMutex_);
    return socket.SendAll(frame->data(), frame->size());
}

void TesselLink::ReadFrames(const platform::TcpSocket& socket) {
    host::FrameReader reader;
    std::vector<unsigned char> chunk(ReadChunk);
    // The reader blocks in the receive itself: a wait before each receive cost a second
    // trip to the window server for every reply of the load. A stop shuts the socket down
    // (RequestStop), which ends the receive.
    while (!Stopping()) {
        platform::TcpSocket::IoResult received = socket.Receive(chunk.data(), chunk.size());
        if (received.status != platform::TcpSocket::Io::Done || Stopping()) return;
        reader.Feed(chunk.data(), received.bytes);
        while (std::optional<host::FrameView> frame = reader.NextView()) {
            if (Stopping()) return;
            Deliver(*frame);
        }
        // A header announcing an impossible length: nothing after it can be trusted.
        if (reader.Broken()) return;
    }
}

void TesselLink::Deliver(const host::FrameView& frame) {
    if (frame.header.msgType == host::LinkShowWindowType || frame.header.msgType == host::LinkHideWindowType) {
        ApplyWindowFrame(frame);
        return;
    }
    host::TesselCallback callback = callback_.load();
    if (callback == nullptr) return;
    callback(static_cast<int>(frame.header.msgType), frame.header.value, frame.payload, frame.header.dataLen,
             frame.header.requestId);
}

void TesselLink::ApplyWindowFrame(const host::FrameView& frame) {
    HWND window = ownWindow_.load();
    if (window == nullptr || !IsWindow(window)) return;
    if (frame.header.msgType == host::LinkHideWindowType) {
        ShowWindowAsync(window, SW_HIDE);
        return;
    }
    // Asynchronous both: the link thread must never wait for the user-interface thread,
    // which may itself be waiting to send on the link.
    if (std::optional<host::WindowPlacement> placement = host::DecodeWindowPlacement(frame.payload, frame.length)) {
        SetWindowPos(window, nullptr, placement->x, placement->y, placement->width, placement->height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    ShowWindowAsync(window, SW_SHOW);
}

void TesselLink::Notify(int msgType, int value) {
    host::TesselCallback callback = callback_.load();
    if (callback != nullptr) callback(msgType, value, nullptr, 0, 0);
}

}  // namespace quillon::tessel
