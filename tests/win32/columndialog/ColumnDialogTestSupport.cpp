#include "ColumnDialogTestSupport.h"

#include <vector>

#include "board/ColumnSet.h"
#include "framework/ApplicationMessages.h"
#include "framework/OleSession.h"
#include "framework/TextConversion.h"

namespace quillon::board::testing {

namespace {
TimedSteps* runningSteps = nullptr;
}

TimedSteps::TimedSteps(std::vector<std::function<void()>> steps, UINT periodMs) : steps_(std::move(steps)) {
    runningSteps = this;
    timer_ = SetTimer(nullptr, 0, periodMs, &TimedSteps::Tick);
}

TimedSteps::~TimedSteps() {
    KillTimer(nullptr, timer_);
    runningSteps = nullptr;
}

void CALLBACK TimedSteps::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    TimedSteps* self = runningSteps;
    if (self == nullptr || id != self->timer_) return;
    if (self->Done()) {
        KillTimer(nullptr, id);
        return;
    }
    // Taken before it runs: a step that opens a loop sees the next tick run the next step.
    std::function<void()>& step = self->steps_[self->next_++];
    step();
}

bool AnnouncementCounter::Create() {
    framework::RegisterWindowClassOnce(L"QuillonColumnTestFrame");
    return CreateEx(0, L"QuillonColumnTestFrame", "frame", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

LRESULT AnnouncementCounter::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == framework::ColsSetChangedMessage()) {
        EXPECT_EQ(wParam, 0u);
        EXPECT_EQ(lParam, 0);
        ++announcements;
        if (onAnnouncement) onAnnouncement();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

namespace {
struct DialogSearch {
    HWND except;
    HWND found;
};

BOOL CALLBACK TakeDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (window != search->except && IsWindowVisible(window) && lstrcmpiW(className, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK TakeStaticText(HWND window, LPARAM data) {
    auto* text = reinterpret_cast<std::string*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, L"Static") != 0) return TRUE;
    std::string content = WindowText(window);
    if (content.empty()) return TRUE;
    *text = content;
    return FALSE;
}
}  // namespace

HWND FindOwnDialog(HWND except) {
    DialogSearch search{except, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &TakeDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return framework::CodePage936FromWide(buffer);
}

std::string MessageBoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, &TakeStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void ColumnSetFixture::SetUp() {
    framework::InitCommonControlsForProgram();
    BuildColumnCatalogue();
    SetDefaultColumnSet();
    ASSERT_TRUE(frame_.Create());
    application_.SetMainWindow(&frame_);
}

void ColumnSetFixture::TearDown() {
    Pump();
    application_.SetMainWindow(nullptr);
    frame_.DestroyWindow();
    ClearColumnSet();
    ClearColumnCatalogue();
}

}  // namespace quillon::board::testing
