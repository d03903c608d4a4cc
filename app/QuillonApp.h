#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/HostLibrary.h"
#include "app/MainFrame.h"
#include "framework/OleSession.h"
#include "framework/WinApp.h"

namespace quillon::app {

// Where the application finds what it was started with. Quillon.exe takes the first
// command-line argument and the files beside itself; tests name their own.
struct StartupSources {
    // The first command-line argument (code page 936), or nothing when there is none.
    std::optional<std::string> hostWindowArgument;
    // Empty: the INI, grid.xml and ExpirySchedule.txt beside the executable.
    std::string iniPath;
    std::string gridXmlPath;
    std::string expirySchedulePath;
    bool iniPathGiven = false;
};

class CQuillonApp : public framework::CWinApp {
public:
    static constexpr const char* RegistryKeyText = "应用程序向导生成的本地应用程序";
    static constexpr const char* OleFailedText = "OLE 初始化失败。请确保 OLE 库是正确的版本。";

    CQuillonApp(HostLibrary library, StartupSources sources);
    ~CQuillonApp() override;

    bool InitInstance() override;
    int ExitInstance() override;
    // Popup run mode: Enter and Escape first ask the host to come forward (0x1003).
    bool PreTranslateMessage(MSG& message) override;

    CMainFrame* Frame() const { return frame_.get(); }

private:
    void LowerForegroundLockTimeout();

    StartupSources sources_;
    std::unique_ptr<framework::OleSession> ole_;
    std::unique_ptr<CMainFrame> frame_;
    // grid.xml is written at exit only once it has been read at start: a start that
    // failed earlier must not overwrite the user's file with the defaults.
    bool columnsLoaded_ = false;
};

}  // namespace quillon::app
