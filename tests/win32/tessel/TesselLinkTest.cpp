// TesselAPI.dll as the program meets it: the real library, loaded beside this test,
// talking over loopback to the test host that runs in the test's own thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/HostMessages.h"
#include "host/LinkFrame.h"
#include "host/TesselAPI.h"
#include "support/LinkTestHost.h"

using namespace quillon::host;
using quillon::test::LinkTestHost;

namespace {

constexpr int LinkWaitMs = 10000;

struct Delivery {
    int msgType;
    int value;
    int requestId;
    bool dataNull;
    std::vector<unsigned char> data;
    DWORD threadId;
};

// Everything the library hands the callback, from its thread to the test's.
class DeliveryLog {
public:
    void Add(Delivery delivery) {
        std::lock_guard lock(mutex_);
        deliveries_.push_back(std::move(delivery));
        changed_.notify_all();
    }
    // Waits until a delivery of this type has arrived; false on time-out.
    bool WaitFor(int msgType, int timeoutMs = LinkWaitMs) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const Delivery& delivery : deliveries_) {
                if (delivery.msgType == msgType) return true;
            }
            return false;
        });
    }
    bool WaitForCount(std::size_t count, int timeoutMs = LinkWaitMs) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return deliveries_.size() >= count; });
    }
    std::vector<Delivery> All() {
        std::lock_guard lock(mutex_);
        return deliveries_;
    }
    int Count(int msgType) {
        std::lock_guard lock(mutex_);
        int count = 0;
        for (const Delivery& delivery : deliveries_) count += delivery.msgType == msgType ? 1 : 0;
        return count;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        deliveries_.clear();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivery> deliveries_;
};

DeliveryLog deliveryLog;

int RecordingCallback(int msgType, int value, const void* data, int dataLen, int requestId) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    deliveryLog.Add(
        {msgType, value, requestId, data == nullptr,
         bytes && dataLen > 0 ? std::vector<unsigned char>(bytes, bytes + dataLen) : std::vector<unsigned char>(),
         GetCurrentThreadId()});
    return 0;
}

// The program destroying the library from inside the callback: must not deadlock.
int DestroyingCallback(int msgType, int value, const void* data, int dataLen, int requestId) {
    RecordingCallback(msgType, value, data, dataLen, requestId);
    if (msgType == HOSTMSG_HOST_CLOSING) TesselAPI::DestroyInstance();
    return 0;
}

WindowHandle FakeWindow(std::uintptr_t value) {
    return reinterpret_cast<WindowHandle>(value);
}

std::vector<unsigned char> Pattern(std::size_t length, unsigned seed) {
    std::vector<unsigned char> bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>((i * 131 + seed) >> 1);
    return bytes;
}

// A plain hidden top-level window owned by the test thread, standing in for the frame.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuillonTesselTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"QuillonTesselTestWindow", L"tessel", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() {
        if (window_) DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return window_; }

    // Runs this thread's messages (where ShowWindowAsync lands) until the condition holds.
    bool PumpUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(LinkWaitMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(5);
        }
        return true;
    }

private:
    HWND window_ = nullptr;
};

class TesselLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        deliveryLog.Clear();
        ASSERT_TRUE(host.Listening());
        SetEnvironmentVariableA("TESSEL_HOST", host.Address().c_str());
        SetEnvironmentVariableA("TESSEL_CONNECT_TIMEOUT_MS", "10000");
    }
    void TearDown() override { TesselAPI::DestroyInstance(); }

    // Registers, starts and takes the hello frame; the link is up when it returns.
    TesselAPI* StartLink(TesselCallback callback = &RecordingCallback, WindowHandle ownWindow = FakeWindow(0x2002)) {
        TesselAPI* api = TesselAPI::GetInstance();
        if (api == nullptr) return nullptr;
        api->Register("Quillon", "731", callback, FakeWindow(0x1001), 6, ownWindow);
        api->Start();
        if (!host.Accept(LinkWaitMs)) return nullptr;
        std::optional<Frame> hello = host.ReadFrame(LinkWaitMs);
        if (!hello || hello->header.msgType != LinkHelloType) return nullptr;
        return api;
    }

    LinkTestHost host;
};

TEST_F(TesselLinkTest, HelloCarriesNameAccessCodeAndMode) {
    struct Case {
        const char* name;
        int mode;
    };
    for (const Case& c : {Case{"Quillon", 6}, Case{"QuillonPopup", 0}}) {
        LinkTestHost caseHost;
        SetEnvironmentVariableA("TESSEL_HOST", caseHost.Address().c_str());
        TesselAPI* api = TesselAPI::GetInstance();
        ASSERT_NE(api, nullptr);
        api->Register(c.name, "731", &RecordingCallback, FakeWindow(0x00A0B0C0), c.mode, FakeWindow(0x00D0E0F0));
        api->Start();
        ASSERT_TRUE(caseHost.Accept(LinkWaitMs));
        std::optional<Frame> hello = caseHost.ReadFrame(LinkWaitMs);
        ASSERT_TRUE(hello);
        EXPECT_EQ(hello->header, (FrameHeader{LinkHelloType, c.mode, 0, hello->header.dataLen}));
        EXPECT_EQ(DecodeHello(hello->payload.data(), hello->payload.size()),
                  (HelloPayload{c.name, "731", 0x00A0B0C0u, 0x00D0E0F0u}));
        TesselAPI::DestroyInstance();
    }
}

TEST_F(TesselLinkTest, RequestsArriveByteExactAndMalformedOnesNeverLeave) {
    TesselAPI* api = TesselAPI::GetInstance();
    ASSERT_NE(api, nullptr);
    api->Register("Quillon", "731", &RecordingCallback, nullptr, 6, nullptr);
    EXPECT_NE(api->SendRequest(HOSTMSG_REQ_EXCHANGES, nullptr, 0, 99), 0) << "no link yet: dropped";
    api->Start();
    ASSERT_TRUE(host.Accept(LinkWaitMs));
    std::optional<Frame> hello = host.ReadFrame(LinkWaitMs);
    ASSERT_TRUE(hello);
    ASSERT_EQ(hello->header.msgType, LinkHelloType) << "the hello is the first frame";

    struct Request {
        int type;
        std::vector<unsigned char> data;
        int requestId;
    };
    std::vector<unsigned char> slot(64, 0);
    std::memcpy(slot.data(), "IO2612-C-3900", 13);
    const std::vector<Request> requests = {
        {HOSTMSG_REQ_HOST_TEXT, {}, 1},        {HOSTMSG_REQ_INSTRUMENT, slot, 2},
        {HOSTMSG_QUOTE_SUBSCRIBE, slot, 0},    {HOSTMSG_REQ_EXCHANGE_CODES, Pattern(32, 3), 3},
        {0x7FFFFFFF, Pattern(1 << 20, 9), -5},
    };
    const unsigned char byte = 0;
    for (const Request& request : requests) {
        EXPECT_EQ(api->SendRequest(request.type, request.data.empty() ? nullptr : request.data.data(),
                                   static_cast<int>(request.data.size()), request.requestId),
                  0);
        // Each followed by sends the library must refuse without touching the link.
        EXPECT_NE(api->SendRequest(HOSTMSG_QUOTE_SUBSCRIBE, nullptr, 64, 0), 0);
        EXPECT_NE(api->SendRequest(HOSTMSG_QUOTE_SUBSCRIBE, &byte, -1, 0), 0);
        EXPECT_NE(api->SendRequest(HOSTMSG_QUOTE_SUBSCRIBE, &byte, MaxFramePayload + 1, 0), 0);
    }
    for (const Request& request : requests) {
        std::optional<Frame> frame = host.ReadFrame(LinkWaitMs);
        ASSERT_TRUE(frame) << std::hex << request.type;
        EXPECT_EQ(frame->header, (FrameHeader{static_cast<std::uint32_t>(request.type), 0, request.requestId,
                                              static_cast<std::int32_t>(request.data.size())}));
        EXPECT_TRUE(frame->payload == request.data) << std::hex << request.type;
    }
    EXPECT_FALSE(host.ReadFrame(100)) << "nothing more was sent";
}

TEST_F(TesselLinkTest, HostFramesOfEverySizeReachTheCallbackOnTheLibraryThread) {
    ASSERT_NE(StartLink(), nullptr);
    const std::size_t sizes[] = {0, 1, 15, 16, 17, 400, 592, 65535, 65536, 65537, 300001, 1 << 20};
    std::uint32_t type = 0x7003;
    for (std::size_t size : sizes) {
        std::vector<unsigned char> payload = Pattern(size, static_cast<unsigned>(size));
        ASSERT_TRUE(host.Send(type, static_cast<std::int32_t>(size % 3), static_cast<std::int32_t>(size),
                              payload.data(), payload.size()));
    }
    // Types outside the catalogue pass too: filtering is the program's business.
    ASSERT_TRUE(host.Send(0x12345, -7, 42));
    ASSERT_TRUE(deliveryLog.WaitForCount(std::size(sizes) + 1));
    std::vector<Delivery> deliveries = deliveryLog.All();
    ASSERT_EQ(deliveries.size(), std::size(sizes) + 1);
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const Delivery& delivery = deliveries[i];
        EXPECT_EQ(delivery.msgType, 0x7003);
        EXPECT_EQ(delivery.value, static_cast<int>(sizes[i] % 3));
        EXPECT_EQ(delivery.requestId, static_cast<int>(sizes[i]));
        EXPECT_EQ(delivery.dataNull, sizes[i] == 0);
        EXPECT_TRUE(delivery.data == Pattern(sizes[i], static_cast<unsigned>(sizes[i]))) << sizes[i];
        EXPECT_NE(delivery.threadId, GetCurrentThreadId());
    }
    EXPECT_EQ(deliveries.back().msgType, 0x12345);
    EXPECT_EQ(deliveries.back().value, -7);
    EXPECT_EQ(deliveries.back().requestId, 42);
}

TEST_F(TesselLinkTest, AQuoteFloodArrivesWholeAndInOrder) {
    ASSERT_NE(StartLink(), nullptr);
    constexpr int QuoteCount = 20000;
    std::vector<unsigned char> stream;
    stream.reserve(static_cast<std::size_t>(QuoteCount) * (FrameHeaderSize + 592));
    for (int i = 0; i < QuoteCount; ++i) {
        std::vector<unsigned char> quote = Pattern(592, static_cast<unsigned>(i));
        std::optional<std::vector<unsigned char>> frame = EncodeFrame(HOSTMSG_QUOTE_PUSH, 0, i, quote.data(), 592);
        stream.insert(stream.end(), frame->begin(), frame->end());
    }
    // One write: frames straddle every read the library makes.
    ASSERT_TRUE(host.SendRaw(stream.data(), stream.size()));
    ASSERT_TRUE(deliveryLog.WaitForCount(QuoteCount, 60000));
    std::vector<Delivery> deliveries = deliveryLog.All();
    ASSERT_EQ(deliveries.size(), static_cast<std::size_t>(QuoteCount));
    for (int i = 0; i < QuoteCount; ++i) {
        ASSERT_EQ(deliveries[static_cast<std::size_t>(i)].requestId, i);
        ASSERT_TRUE(deliveries[static_cast<std::size_t>(i)].data == Pattern(592, static_cast<unsigned>(i))) << i;
    }
}

TEST_F(TesselLinkTest, ShowAndHideActOnTheOwnWindowAndNeverReachTheCallback) {
    TestWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ASSERT_FALSE(IsWindowVisible(window.Get()));
    ASSERT_NE(StartLink(&RecordingCallback, window.Get()), nullptr);

    // Without placement the window shows where it is.
    ASSERT_TRUE(host.Send(LinkShowWindowType));
    EXPECT_TRUE(window.PumpUntil([&] { return IsWindowVisible(window.Get()) != FALSE; }));
    RECT bounds{};
    GetWindowRect(window.Get(), &bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.right, 100);

    std::vector<unsigned char> placement = EncodeWindowPlacement({40, 50, 320, 240});
    ASSERT_TRUE(host.Send(LinkShowWindowType, 0, 0, placement.data(), placement.size()));
    EXPECT_TRUE(window.PumpUntil([&] {
        GetWindowRect(window.Get(), &bounds);
        return bounds.left == 40 && bounds.top == 50 && bounds.right == 360 && bounds.bottom == 290;
    })) << bounds.left
        << "," << bounds.top << " " << bounds.right << "," << bounds.bottom;

    // Wine without a window manager waits about two seconds for an X window to unmap.
    ASSERT_TRUE(host.Send(LinkHideWindowType));
    EXPECT_TRUE(window.PumpUntil([&] { return IsWindowVisible(window.Get()) == FALSE; }));

    // Frames are handled in order: once this one is seen, the window frames were too.
    ASSERT_TRUE(host.Send(HOSTMSG_INVOKE));
    ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_INVOKE));
    std::vector<Delivery> deliveries = deliveryLog.All();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].msgType, HOSTMSG_INVOKE);
}

TEST_F(TesselLinkTest, NoHostInTimeGivesLoginFailure) {
    const std::string unused = "127.0.0.1:" + std::to_string(LinkTestHost::UnusedPort());
    for (const std::string& address : {unused, std::string("not-an-address"), std::string("127.0.0.1:0")}) {
        deliveryLog.Clear();
        SetEnvironmentVariableA("TESSEL_HOST", address.c_str());
        SetEnvironmentVariableA("TESSEL_CONNECT_TIMEOUT_MS", "300");
        TesselAPI* api = TesselAPI::GetInstance();
        ASSERT_NE(api, nullptr);
        api->Register("Quillon", "731", &RecordingCallback, nullptr, 6, nullptr);
        api->Start();
        ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_LOGIN_RESULT)) << address;
        TesselAPI::DestroyInstance();
        std::vector<Delivery> deliveries = deliveryLog.All();
        ASSERT_EQ(deliveries.size(), 1u) << address;
        EXPECT_EQ(deliveries[0].value, -1);
        EXPECT_TRUE(deliveries[0].dataNull);
    }
}

TEST_F(TesselLinkTest, TheHostDroppingTheLinkGivesExactlyOneClosing) {
    ASSERT_NE(StartLink(), nullptr);
    ASSERT_TRUE(host.Send(HOSTMSG_LOGIN_RESULT, 0));
    ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_LOGIN_RESULT));
    host.DropLink();
    ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_HOST_CLOSING));
    TesselAPI* api = TesselAPI::GetInstance();
    EXPECT_NE(api->SendRequest(HOSTMSG_REQ_EXCHANGES, nullptr, 0, 1), 0) << "no link: dropped";
    TesselAPI::DestroyInstance();
    EXPECT_EQ(deliveryLog.Count(HOSTMSG_HOST_CLOSING), 1);
    EXPECT_EQ(deliveryLog.Count(HOSTMSG_LOGIN_RESULT), 1);
}

TEST_F(TesselLinkTest, AFrameAnnouncingAnImpossibleLengthEndsTheLink) {
    for (std::int32_t dataLen : {MaxFramePayload + 1, -1, INT32_MAX}) {
        deliveryLog.Clear();
        LinkTestHost caseHost;
        SetEnvironmentVariableA("TESSEL_HOST", caseHost.Address().c_str());
        TesselAPI* api = TesselAPI::GetInstance();
        api->Register("Quillon", "731", &RecordingCallback, nullptr, 6, nullptr);
        api->Start();
        ASSERT_TRUE(caseHost.Accept(LinkWaitMs));
        ASSERT_TRUE(caseHost.ReadFrame(LinkWaitMs));
        unsigned char header[FrameHeaderSize];
        EncodeFrameHeader({HOSTMSG_QUOTE_PUSH, 0, 0, dataLen}, header);
        ASSERT_TRUE(caseHost.SendRaw(header, sizeof header));
        EXPECT_TRUE(caseHost.WaitForLinkEnd(LinkWaitMs)) << dataLen;
        ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_HOST_CLOSING));
        TesselAPI::DestroyInstance();
        std::vector<Delivery> deliveries = deliveryLog.All();
        ASSERT_EQ(deliveries.size(), 1u) << "only the closing: " << dataLen;
    }
}

TEST_F(TesselLinkTest, TheLargestFramePassesWhole) {
    ASSERT_NE(StartLink(), nullptr);
    std::vector<unsigned char> payload = Pattern(static_cast<std::size_t>(MaxFramePayload), 5);
    ASSERT_TRUE(host.Send(HOSTMSG_EXCHANGE_CODES, 0, 0, payload.data(), payload.size()));
    ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_EXCHANGE_CODES));
    std::vector<Delivery> deliveries = deliveryLog.All();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_TRUE(deliveries[0].data == payload);
}

TEST_F(TesselLinkTest, DestroyReturnsWhileConnectingMidFrameAndFromTheCallback) {
    // While connecting, with a long way to go before the time-out.
    SetEnvironmentVariableA("TESSEL_HOST", ("127.0.0.1:" + std::to_string(LinkTestHost::UnusedPort())).c_str());
    SetEnvironmentVariableA("TESSEL_CONNECT_TIMEOUT_MS", "600000");
    TesselAPI* api = TesselAPI::GetInstance();
    api->Register("Quillon", "731", &RecordingCallback, nullptr, 6, nullptr);
    api->Start();
    Sleep(50);
    TesselAPI::DestroyInstance();
    EXPECT_TRUE(deliveryLog.All().empty()) << "an exiting program hears nothing more";

    // Mid-frame: the header promised more than the host sent.
    SetEnvironmentVariableA("TESSEL_HOST", host.Address().c_str());
    ASSERT_NE(StartLink(), nullptr);
    unsigned char header[FrameHeaderSize];
    EncodeFrameHeader({HOSTMSG_QUOTE_PUSH, 0, 0, 1000}, header);
    ASSERT_TRUE(host.SendRaw(header, sizeof header));
    ASSERT_TRUE(host.SendRaw(Pattern(10, 1).data(), 10));
    Sleep(50);
    TesselAPI::DestroyInstance();
    EXPECT_TRUE(host.WaitForLinkEnd(LinkWaitMs));
    EXPECT_TRUE(deliveryLog.All().empty());

    // From inside the callback, on the library's own thread.
    LinkTestHost second;
    SetEnvironmentVariableA("TESSEL_HOST", second.Address().c_str());
    api = TesselAPI::GetInstance();
    api->Register("Quillon", "731", &DestroyingCallback, nullptr, 6, nullptr);
    api->Start();
    ASSERT_TRUE(second.Accept(LinkWaitMs));
    ASSERT_TRUE(second.ReadFrame(LinkWaitMs));
    ASSERT_TRUE(second.Send(HOSTMSG_HOST_CLOSING));
    ASSERT_TRUE(deliveryLog.WaitFor(HOSTMSG_HOST_CLOSING));
    EXPECT_TRUE(second.WaitForLinkEnd(LinkWaitMs));
    EXPECT_NE(TesselAPI::GetInstance(), nullptr) << "a fresh instance after the old one was destroyed";
}

}  // namespace
