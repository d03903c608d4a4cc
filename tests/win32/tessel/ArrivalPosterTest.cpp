// The arrival hand-over as the frame will live it: records made on another thread,
// posted to a real window and taken on the window's thread; failed posts lose nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "host/ArrivalPoster.h"
#include "host/HostCallback.h"
#include "host/HostMessages.h"

using namespace quillon::host;

namespace {

struct Received {
    ArrivalRecordPtr record;
    DWORD threadId;
};
std::vector<Received> received;
UINT arriveMessage = 0;

LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == arriveMessage && arriveMessage != 0) {
        received.push_back({TakePostedArrival(wParam, lParam), GetCurrentThreadId()});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateFrameStandIn() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FrameProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonArrivalTestFrame";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"QuillonArrivalTestFrame", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Calls the callback from a thread of its own, as the library does.
int CallbackFromAnotherThread(int msgType, const std::vector<unsigned char>& payload, int requestId) {
    int result = -99;
    std::thread library([&] {
        result = HostCallback(msgType, 0, payload.empty() ? nullptr : payload.data(), static_cast<int>(payload.size()),
                              requestId);
    });
    library.join();
    return result;
}

}  // namespace

TEST(ArrivalPoster, RecordsReachTheFrameOnItsThreadAndFailedPostsAreFreed) {
    arriveMessage = RegisterWindowMessageW(L"Quillon ApiMsg Arrive");
    ASSERT_NE(arriveMessage, 0u);
    HWND frame = CreateFrameStandIn();
    ASSERT_NE(frame, nullptr);
    const int backlogBefore = ArrivalBacklog();

    PostArrivalsTo(frame, arriveMessage);
    std::vector<unsigned char> quote(592);
    for (std::size_t i = 0; i < quote.size(); ++i) quote[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(CallbackFromAnotherThread(HOSTMSG_QUOTE_PUSH, quote, 17), 0);
    EXPECT_EQ(CallbackFromAnotherThread(HOSTMSG_LOGIN_RESULT, {}, 0), 0);
    EXPECT_EQ(CallbackFromAnotherThread(0x2000, quote, 0), -1);
    EXPECT_EQ(ArrivalBacklog(), backlogBefore + 2) << "posted and not yet handled";
    PumpMessages();
    ASSERT_EQ(received.size(), 2u);
    ASSERT_TRUE(received[0].record);
    EXPECT_EQ(received[0].threadId, GetCurrentThreadId());
    EXPECT_EQ(received[0].record->msgType, HOSTMSG_QUOTE_PUSH);
    EXPECT_EQ(received[0].record->requestId, 17);
    ASSERT_EQ(received[0].record->dataLen, 592);
    EXPECT_EQ(std::memcmp(received[0].record->data, quote.data(), 592), 0);
    ASSERT_TRUE(received[1].record);
    EXPECT_EQ(received[1].record->msgType, HOSTMSG_LOGIN_RESULT);
    EXPECT_EQ(received[1].record->data, nullptr);
    received.clear();
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);

    // The window went away while still the target: the post fails and the record is freed.
    DestroyWindow(frame);
    EXPECT_EQ(CallbackFromAnotherThread(HOSTMSG_QUOTE_PUSH, quote, 0), 0);
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);

    StopPostingArrivals();
    EXPECT_EQ(CallbackFromAnotherThread(HOSTMSG_HOST_CLOSING, {}, 0), 0);
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
    PumpMessages();
    EXPECT_TRUE(received.empty());
}
