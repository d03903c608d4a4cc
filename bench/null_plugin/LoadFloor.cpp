#include "bench/null_plugin/LoadFloor.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/WindowTimer.h"
#include "host/HostMessages.h"
#include "host/HostPayloads.h"
#include "host/HostRequests.h"
#include "host/TesselAPI.h"
#include "model/ByteOrder.h"

namespace quillon::bench {

namespace {

using namespace quillon::host;

// wParam: the message type; lParam: the value word, or for the two lists the floor reads,
// a Reply it then owns.
constexpr UINT ReplyMessage = WM_APP + 0x31;
constexpr UINT_PTR TimeoutTimerId = 1;
constexpr const wchar_t* WindowClassName = L"QuillonLoadFloor";

struct Reply {
    int value;
    std::vector<unsigned char> bytes;
};

bool CarriesBytes(int msgType) {
    return msgType == HOSTMSG_EXCHANGES || msgType == HOSTMSG_EXCHANGE_CODES;
}

// The window the callback posts to; null before it exists and once the floor is done.
std::atomic<HWND> replyWindow{nullptr};

// The library's thread: the replies of the conversation go over to the window thread,
// everything else (quotes, window frames) is not the floor's.
int Callback(int msgType, int value, const void* data, int dataLen, int /*requestId*/) {
    switch (static_cast<std::uint32_t>(msgType)) {
        case HOSTMSG_LOGIN_RESULT:
        case HOSTMSG_HOST_TEXT:
        case HOSTMSG_EXCHANGES:
        case HOSTMSG_EXCHANGE_CODES:
        case HOSTMSG_INSTRUMENT:
        case HOSTMSG_CONTRACT_LIST:
            break;
        default:
            return 0;
    }
    const HWND window = replyWindow.load();
    if (window == nullptr) return 0;
    if (!CarriesBytes(msgType)) {
        PostMessageW(window, ReplyMessage, static_cast<WPARAM>(msgType), static_cast<LPARAM>(value));
        return 0;
    }
    // The payload lives for this call only: the lists are copied for the window thread.
    std::unique_ptr<Reply> reply(new (std::nothrow) Reply{value, {}});
    if (!reply) return 0;
    if (data != nullptr && dataLen > 0) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        reply->bytes.assign(bytes, bytes + dataLen);
    }
    if (PostMessageW(window, ReplyMessage, static_cast<WPARAM>(msgType), reinterpret_cast<LPARAM>(reply.get())))
        reply.release();
    return 0;
}

std::int64_t frequency = 1;

std::int64_t NowUs() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart / frequency * 1'000'000 + counter.QuadPart % frequency * 1'000'000 / frequency;
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The conversation, on the window thread.
class LoadConversation {
public:
    void OnReply(int msgType, int value, const Reply* reply);
    bool Succeeded() const { return readyUs_ != 0; }
    void Fail(const std::string& why) {
        failure_ = why;
        PostQuitMessage(1);
    }
    const std::string& Failure() const { return failure_; }

private:
    void RequestNextExchange() { SendExchangeSlotRequest(HOSTMSG_REQ_EXCHANGE_CODES, exchanges_[nextExchange_++]); }
    void RequestNextInstrument() { SendCodeSlotRequest(HOSTMSG_REQ_INSTRUMENT, codes_[nextCode_++]); }

    std::vector<std::string> exchanges_;
    std::size_t nextExchange_ = 0;
    std::vector<std::string> codes_;
    std::size_t nextCode_ = 0;
    std::int64_t loginUs_ = 0;
    std::int64_t readyUs_ = 0;
    std::string failure_;
};

void LoadConversation::OnReply(int msgType, int value, const Reply* reply) {
    switch (static_cast<std::uint32_t>(msgType)) {
        case HOSTMSG_LOGIN_RESULT:
            if (value != 0) {
                Fail("log-in refused");
                return;
            }
            loginUs_ = NowUs();
            SendHostRequest(HOSTMSG_REQ_HOST_TEXT);
            SendHostRequest(HOSTMSG_REQ_EXCHANGES);
            break;
        case HOSTMSG_EXCHANGES: {
            std::optional<std::vector<std::string>> list =
                reply ? DecodeExchangeList(reply->value, reply->bytes.data(), static_cast<int>(reply->bytes.size()))
                      : std::nullopt;
            if (!list || list->empty()) {
                Fail("no exchange list");
                return;
            }
            exchanges_ = std::move(*list);
            nextExchange_ = 0;
            codes_.clear();
            RequestNextExchange();
            break;
        }
        case HOSTMSG_EXCHANGE_CODES: {
            std::optional<std::vector<std::string>> list =
                reply ? DecodeExchangeCodes(reply->value, reply->bytes.data(), static_cast<int>(reply->bytes.size()))
                      : std::nullopt;
            // Quillon waits for ever on a refused list; the floor says so and stops.
            if (!list) {
                Fail("an exchange's codes were refused");
                return;
            }
            codes_.insert(codes_.end(), std::make_move_iterator(list->begin()), std::make_move_iterator(list->end()));
            if (nextExchange_ < exchanges_.size()) {
                RequestNextExchange();
                break;
            }
            // Quillon asks in its code set's order: byte order, each code once.
            std::sort(codes_.begin(), codes_.end(), model::ByteOrder{});
            codes_.erase(std::unique(codes_.begin(), codes_.end()), codes_.end());
            if (codes_.empty()) {
                Fail("no codes from any exchange");
                return;
            }
            nextCode_ = 0;
            RequestNextInstrument();
            break;
        }
        case HOSTMSG_INSTRUMENT:
            if (nextCode_ == 0 || readyUs_ != 0) break;
            if (nextCode_ < codes_.size()) {
                RequestNextInstrument();
                break;
            }
            readyUs_ = NowUs();
            {
                char line[160];
                std::snprintf(line, sizeof line, "null-plugin load instruments=%zu exchanges=%zu seconds=%.3f",
                              codes_.size(), exchanges_.size(), static_cast<double>(readyUs_ - loginUs_) / 1e6);
                Say(line);
            }
            SendHostRequest(HOSTMSG_REQ_CONTRACT_LIST);
            break;
        case HOSTMSG_CONTRACT_LIST:
            if (readyUs_ == 0) break;
            PostQuitMessage(0);
            break;
        default:
            break;
    }
}

LoadConversation* conversation = nullptr;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ReplyMessage) {
        const int msgType = static_cast<int>(wParam);
        std::unique_ptr<Reply> reply(CarriesBytes(msgType) ? reinterpret_cast<Reply*>(lParam) : nullptr);
        const int value = reply ? reply->value : static_cast<int>(lParam);
        if (conversation != nullptr) conversation->OnReply(msgType, value, reply.get());
        return 0;
    }
    if (message == WM_TIMER && wParam == TimeoutTimerId) {
        if (conversation != nullptr) conversation->Fail("the load did not complete in time");
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The top-level window, destroyed with the object.
class FloorWindow {
public:
    FloorWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = WindowClassName;
        if (RegisterClassExW(&windowClass) == 0) return;
        // Style 0, as Quillon's frame: an overlapped window the host has not shown yet.
        window_ = CreateWindowExW(0, WindowClassName, L"null_plugin load", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~FloorWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    FloorWindow(const FloorWindow&) = delete;
    FloorWindow& operator=(const FloorWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Replies posted and not taken when the loop ended.
void FreeWaitingReplies(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, ReplyMessage, ReplyMessage, PM_REMOVE)) {
        if (CarriesBytes(static_cast<int>(message.wParam))) delete reinterpret_cast<Reply*>(message.lParam);
    }
}

}  // namespace

int RunLoadFloor(int timeoutSeconds) {
    LARGE_INTEGER counterFrequency;
    QueryPerformanceFrequency(&counterFrequency);
    frequency = counterFrequency.QuadPart > 0 ? counterFrequency.QuadPart : 1;

    FloorWindow window;
    if (window.Get() == nullptr) {
        Say("null-plugin: no window");
        return 1;
    }
    LoadConversation load;
    conversation = &load;
    framework::WindowTimer timeout;
    timeout.Start(window.Get(), TimeoutTimerId, static_cast<UINT>(timeoutSeconds) * 1000u);

    TesselAPI* api = TesselAPI::GetInstance();
    if (api == nullptr) {
        Say("null-plugin: no TesselAPI instance");
        return 1;
    }
    SetHostApi(api);
    replyWindow.store(window.Get());
    // Registered as Quillon registers in the normal run mode, under a name of its own.
    api->Register("NullPlugin", HostAccessCode, &Callback, nullptr, 6, window.Get());
    api->Start();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);

    replyWindow.store(nullptr);
    SetHostApi(nullptr);
    TesselAPI::DestroyInstance();
    FreeWaitingReplies(window.Get());
    conversation = nullptr;
    if (!load.Succeeded()) {
        Say("null-plugin: load failed: " + load.Failure());
        return 1;
    }
    return 0;
}

}  // namespace quillon::bench
