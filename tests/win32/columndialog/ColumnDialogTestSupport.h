#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "board/ColumnCatalogue.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace quillon::board::testing {

// Runs one step per timer tick from inside whatever loop is running (a modal dialog's,
// a message box's, a menu's): a step that opens a nested loop lets the next step act in it.
class TimedSteps {
public:
    explicit TimedSteps(std::vector<std::function<void()>> steps, UINT periodMs = 30);
    ~TimedSteps();
    TimedSteps(const TimedSteps&) = delete;
    TimedSteps& operator=(const TimedSteps&) = delete;

    bool Done() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    std::vector<std::function<void()>> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// Stands in for the main frame: the application's main window, counting the column
// set announcements it receives.
class AnnouncementCounter : public framework::CWnd {
public:
    bool Create();
    int announcements = 0;
    // What the frame does on an announcement besides counting it.
    std::function<void()> onAnnouncement;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A message box (or other dialog) of this thread other than `except`, or null.
HWND FindOwnDialog(HWND except);
// The box's caption and message text.
std::string WindowText(HWND window);
std::string MessageBoxText(HWND box);

// Handles every message already queued for this thread.
void Pump();

// Catalogue and default column set, common controls, an application object whose main
// window counts announcements.
class ColumnSetFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    framework::CWinApp application_;
    AnnouncementCounter frame_;
};

}  // namespace quillon::board::testing
