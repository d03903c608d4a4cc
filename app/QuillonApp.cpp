#include "app/QuillonApp.h"

#include <cstdint>
#include <new>

#include "app/ConfigurationFiles.h"
#include "app/StartupSettings.h"
#include "framework/MessageBox.h"
#include "framework/TextConversion.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "res/ResourceIds.h"

namespace quillon::app {

namespace {

// String resource 100, or its text when the resource cannot be read.
std::string OleFailedMessage() {
    const wchar_t* resource = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), IDS_OLE_INIT_FAILED, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length > 0 && resource) return framework::CodePage936FromWide(std::wstring_view(resource, length));
    return CQuillonApp::OleFailedText;
}

}  // namespace

CQuillonApp::CQuillonApp(HostLibrary library, StartupSources sources) : sources_(std::move(sources)) {
    SetHostLibrary(library);
}

CQuillonApp::~CQuillonApp() {
    // The frame's window must go before the object that dispatches its messages.
    frame_.reset();
}

bool CQuillonApp::InitInstance() {
    StartupSettings& settings = Settings();
    // Window handles carry 32 significant bits; a 64-bit process sees a 32-bit process's
    // handle sign-extended, so a number from the command line is widened the same way.
    const std::uint32_t hostWindowWord =
        sources_.hostWindowArgument ? ParseHostWindowArgument(*sources_.hostWindowArgument) : 0;
    settings.hostWindow =
        reinterpret_cast<host::WindowHandle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(hostWindowWord)));
    ReadIniSettings(sources_.iniPathGiven ? sources_.iniPath : DefaultIniPath(), settings);
    LoadExpirySchedule(sources_.expirySchedulePath);

    PrepareColumns();
    framework::InitCommonControlsForProgram();
    if (!CWinApp::InitInstance()) return false;

    ole_ = std::make_unique<framework::OleSession>();
    if (!ole_->Succeeded()) {
        framework::ShowMessageBox(nullptr, OleFailedMessage(), "Quillon", MB_OK);
        return false;
    }
    // OLE control containment needs nothing of our framework: the program hosts no controls.
    SetRegistryKey(RegistryKeyText);
    LoadUserColumns(sources_.gridXmlPath);
    columnsLoaded_ = true;
    LowerForegroundLockTimeout();

    frame_.reset(new (std::nothrow) CMainFrame());
    if (!frame_) return false;
    SetMainWindow(frame_.get());
    if (!frame_->Create()) return false;

    HWND frame = frame_->GetSafeHwnd();
    SetWindowLongPtrW(frame, GWL_EXSTYLE,
                      GetWindowLongPtrW(frame, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    frame_->SetText(CMainFrame::Title);
    UpdateWindow(frame);
    return true;
}

void CQuillonApp::LowerForegroundLockTimeout() {
    // Our popups must be able to come forward when the host invokes them.
    DWORD timeoutMs = 0xFFFFFFFF;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeoutMs, 0);
    if (timeoutMs >= 100)
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

int CQuillonApp::ExitInstance() {
    ReleaseHostApi();
    if (columnsLoaded_) SaveUserColumns(sources_.gridXmlPath);
    ole_.reset();
    return CWinApp::ExitInstance();
}

bool CQuillonApp::PreTranslateMessage(MSG& message) {
    if (IsPopupRunMode() && message.message == WM_KEYDOWN &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) && host::HostApi() != nullptr) {
        host::SendHostRequest(host::HOSTMSG_ACTIVATE_HOST);
    }
    return CWinApp::PreTranslateMessage(message);
}

}  // namespace quillon::app
