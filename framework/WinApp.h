#pragma once

#include <windows.h>

#include <string>

#include "framework/Wnd.h"

namespace quillon::framework {

// The application object: one per process, made before WinMain runs the application.
//
// RunApplication is the whole life: InitInstance; if it succeeds, the message loop
// until WM_QUIT (posted when the main window is destroyed); then ExitInstance, whose
// result is the process exit code. ExitInstance also runs after a failed InitInstance,
// once the main window (if any) has been destroyed.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application object of this process, or null.
    static CWinApp* Current();

    int RunApplication();

    virtual bool InitInstance() { return true; }
    // The exit code: the WM_QUIT code, or 0 after a failed start.
    virtual int ExitInstance() { return exitCode_; }
    // Called for every message of the thread's loops before it is translated and
    // dispatched; true swallows it. The default lets the window the message is for,
    // then each of its parents, pre-translate it (dialogs do their keyboard navigation).
    virtual bool PreTranslateMessage(MSG& message);

    // The application's pre-translation, or the window walk when there is no application
    // object (tests that run windows without one).
    static bool PreTranslate(MSG& message);
    static bool PreTranslateThroughWindows(MSG& message);

    // The main window is owned by the derived application; the framework only needs to
    // know it (its destruction ends the loop).
    CWnd* MainWindow() const { return mainWindow_; }
    void SetMainWindow(CWnd* window) { mainWindow_ = window; }

    void SetRegistryKey(const std::string& key) { registryKey_ = key; }
    const std::string& RegistryKey() const { return registryKey_; }

    // Runs the message loop until WM_QUIT; returns its code.
    int Run();

protected:
    int exitCode_ = 0;

private:
    CWnd* mainWindow_ = nullptr;
    std::string registryKey_;
};

}  // namespace quillon::framework
