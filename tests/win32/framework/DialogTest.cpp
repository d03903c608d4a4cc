#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/ApplicationMessages.h"
#include "framework/Dialog.h"
#include "framework/Foreground.h"
#include "framework/WinApp.h"
#include "framework/WindowTimer.h"

namespace quillon::framework {
namespace {

constexpr UINT TestDialogId = 900;
constexpr int TestEditId = 901;

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(TestDialogId) {}
    int initCalls = 0;
    std::vector<int> commands;
    int finalCalls = 0;

protected:
    BOOL OnInitDialog() override {
        ++initCalls;
        return TRUE;
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id != TestEditId) commands.push_back(id);  // not the edit's notifications
        return CDialog::OnCommand(id, code, control);
    }
    void OnFinalMessage(HWND) override { ++finalCalls; }
};

// Counts the key-downs the application's pre-translation sees.
class KeyCountingApp : public CWinApp {
public:
    std::vector<WPARAM> keys;
    bool PreTranslateMessage(MSG& message) override {
        if (message.message == WM_KEYDOWN) keys.push_back(message.wParam);
        return CWinApp::PreTranslateMessage(message);
    }
};

// Runs `action` once from inside whatever message loop is running, after `delayMs`.
class LoopAction {
public:
    LoopAction(std::function<void()> action, UINT delayMs) {
        pending() = std::move(action);
        id_ = SetTimer(nullptr, 0, delayMs, &LoopAction::Fire);
    }
    ~LoopAction() { KillTimer(nullptr, id_); }

private:
    static std::function<void()>& pending() {
        static std::function<void()> action;
        return action;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto action = std::move(pending());
        pending() = nullptr;
        if (action) action();
    }
    UINT_PTR id_;
};

TEST(Dialog, ModelessDialogInitialisesAndEscapeOnlyHidesIt) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_EQ(CWnd::FromHandle(dialog.GetSafeHwnd()), &dialog);
    EXPECT_FALSE(dialog.Create(nullptr));
    dialog.ShowWindow(SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(dialog.GetSafeHwnd()));

    MSG escape = {dialog.GetDlgItem(TestEditId), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(CWinApp::PreTranslate(escape));  // the dialog's keyboard handling took it
    EXPECT_EQ(dialog.commands, std::vector<int>{IDCANCEL});
    EXPECT_TRUE(dialog.IsWindow());
    EXPECT_FALSE(IsWindowVisible(dialog.GetSafeHwnd()));

    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.finalCalls, 1);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(Dialog, ModalDialogEndsWithTheButtonAndTheApplicationSeesItsKeys) {
    KeyCountingApp application;
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    TestDialog dialog;
    HWND dialogWindow = nullptr;
    LoopAction pressEscape(
        [&] {
            dialogWindow = dialog.GetSafeHwnd();
            EXPECT_TRUE(dialog.IsRunningModalLoop());
            EXPECT_FALSE(IsWindowEnabled(parent));
            PostMessageW(dialog.GetDlgItem(TestEditId), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        50);
    EXPECT_EQ(dialog.DoModal(parent), IDCANCEL);
    EXPECT_FALSE(IsWindow(dialogWindow));
    EXPECT_TRUE(IsWindowEnabled(parent));
    EXPECT_EQ(application.keys, std::vector<WPARAM>{VK_ESCAPE});
    EXPECT_FALSE(dialog.IsRunningModalLoop());

    LoopAction pressOk([&] { dialog.Send(WM_COMMAND, IDOK); }, 20);
    EXPECT_EQ(dialog.DoModal(parent), IDOK);
    DestroyWindow(parent);
}

TEST(Dialog, CloseOwnDialogsEndsAModalDialogAndAMessageBox) {
    TestDialog modal;
    INT_PTR boxResult = 0;
    LoopAction openBoxThenClose(
        [&] {
            LoopAction closeAll([] { CloseOwnDialogs(); }, 50);
            boxResult = MessageBoxW(nullptr, L"box", L"caption", MB_OKCANCEL);
        },
        20);
    // The message box runs inside the dialog's loop; closing ends both.
    EXPECT_EQ(modal.DoModal(nullptr), IDCANCEL);
    EXPECT_NE(boxResult, 0);  // closed; which button counts is the box's own affair
    EXPECT_EQ(modal.commands, (std::vector<int>{IDCANCEL, IDNO}));  // no OK or Yes for a modal loop

    TestDialog modeless;
    ASSERT_TRUE(modeless.Create(nullptr));
    CloseOwnDialogs();
    // A modeless dialog hears every button, in this order.
    EXPECT_EQ(modeless.commands, (std::vector<int>{IDCANCEL, IDNO, IDOK, IDYES}));
}

TEST(Dialog, RegisteredMessagesAreTheNamedOnes) {
    EXPECT_EQ(ApiMsgArriveMessage(), RegisterWindowMessageW(L"Quillon ApiMsg Arrive"));
    EXPECT_EQ(TTableDialogCloseMessage(), RegisterWindowMessageW(L"Quillon TTable Dialog Close"));
    EXPECT_EQ(ColsSetChangedMessage(), RegisterWindowMessageW(L"Quillon Cols Set Changed"));
    EXPECT_NE(ApiMsgArriveMessage(), 0u);
}

TEST(Dialog, TimerTicksUntilStoppedAndBringToForegroundShowsAHiddenWindow) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    {
        WindowTimer timer;
        ASSERT_TRUE(timer.Start(dialog.GetSafeHwnd(), 7, 10));
        MSG tick;
        DWORD start = GetTickCount();
        bool ticked = false;
        while (!ticked && GetTickCount() - start < 5000) {
            ticked = PeekMessageW(&tick, dialog.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE) && tick.wParam == 7;
            if (!ticked) Sleep(5);
        }
        EXPECT_TRUE(ticked);
    }
    MSG tick;
    while (PeekMessageW(&tick, dialog.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    Sleep(40);
    EXPECT_FALSE(PeekMessageW(&tick, dialog.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE));

    EXPECT_FALSE(IsWindowVisible(dialog.GetSafeHwnd()));
    BringToForeground(dialog.GetSafeHwnd());
    EXPECT_TRUE(IsWindowVisible(dialog.GetSafeHwnd()));
}

}  // namespace
}  // namespace quillon::framework
