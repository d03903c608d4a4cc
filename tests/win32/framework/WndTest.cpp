#include <gtest/gtest.h>

#include <vector>

#include "framework/Wnd.h"

namespace quillon::framework {
namespace {

const wchar_t* const TestClass = L"QuillonWndTest";

class RecordingWnd : public CWnd {
public:
    std::vector<UINT> seen;
    bool failCreate = false;
    int finalCalls = 0;
    HWND finalWindow = nullptr;
    bool subclassed = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE || message == WM_USER + 1 || message == WM_DESTROY) seen.push_back(message);
        switch (message) {
            case WM_CREATE:
                return failCreate ? -1 : 0;
            case WM_USER + 1:
                return 42;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void OnFinalMessage(HWND window) override {
        ++finalCalls;
        finalWindow = window;
    }
    void OnSubclassed() override { subclassed = true; }
};

class WndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterWindowClassOnce(TestClass)); }
};

TEST_F(WndTest, RegisteringTheSameClassTwiceSucceeds) {
    EXPECT_TRUE(RegisterWindowClassOnce(TestClass));
}

TEST_F(WndTest, MessagesReachTheObjectAndTheLastCallComesAtDestruction) {
    RecordingWnd window;
    ASSERT_TRUE(window.CreateEx(0, TestClass, "期权", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    HWND handle = window.GetSafeHwnd();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(CWnd::FromHandle(handle), &window);
    EXPECT_EQ(window.GetText(), "期权");
    EXPECT_EQ(window.Send(WM_USER + 1), 42);
    EXPECT_FALSE(window.CreateEx(0, TestClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));

    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_EQ(window.finalCalls, 1);
    EXPECT_EQ(window.finalWindow, handle);
    EXPECT_EQ(window.seen, (std::vector<UINT>{WM_CREATE, WM_USER + 1, WM_DESTROY}));
    EXPECT_EQ(CWnd::FromHandle(handle), nullptr);
}

TEST_F(WndTest, CreateFailsWhenCreationIsRefused) {
    RecordingWnd window;
    window.failCreate = true;
    EXPECT_FALSE(window.CreateEx(0, TestClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
}

TEST_F(WndTest, AnOwnedWindowDiesWithItsObject) {
    HWND handle = nullptr;
    {
        RecordingWnd window;
        ASSERT_TRUE(window.CreateEx(0, TestClass, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
        handle = window.GetSafeHwnd();
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(WndTest, AWindowMadeElsewhereIsTakenOverAndABorrowedOneIsLeftAlive) {
    // As the dialog manager makes a custom control: no object in lpCreateParams.
    HWND made = CreateWindowExW(0, TestClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), reinterpret_cast<void*>(0x1234));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(CWnd::FromHandle(made), nullptr);
    {
        CWnd borrowed;
        borrowed.Attach(made);
        EXPECT_EQ(borrowed.GetSafeHwnd(), made);
    }
    EXPECT_TRUE(IsWindow(made));

    RecordingWnd window;
    ASSERT_TRUE(window.SubclassWindow(made));
    EXPECT_TRUE(window.subclassed);
    EXPECT_FALSE(RecordingWnd().SubclassWindow(made));  // one object per window
    EXPECT_EQ(SendMessageW(made, WM_USER + 1, 0, 0), 42);
    DestroyWindow(made);
    EXPECT_EQ(window.finalCalls, 1);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
}

TEST_F(WndTest, AStandardControlIsSubclassedAndKeepsItsBehaviour) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    ASSERT_NE(edit, nullptr);
    RecordingWnd window;
    ASSERT_TRUE(window.SubclassWindow(edit));
    window.SetText("合约");
    EXPECT_EQ(window.GetText(), "合约");
    EXPECT_EQ(window.Send(WM_USER + 1), 42);
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_EQ(window.finalCalls, 1);
}

}  // namespace
}  // namespace quillon::framework
