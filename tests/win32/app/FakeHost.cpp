#include "FakeHost.h"

#include <cstring>

#include "framework/TextConversion.h"

namespace quillon::test {

std::string SentRequest::Text() const {
    std::string text(payload.begin(), payload.end());
    return text.substr(0, text.find('\0'));
}

int FakeTesselApi::Register(const char* name, const char* code, host::TesselCallback hostCallback,
                            host::WindowHandle host, int registerMode, host::WindowHandle own) {
    registeredName = name ? name : "";
    accessCode = code ? code : "";
    callback = hostCallback;
    hostWindow = host;
    mode = registerMode;
    ownWindow = own;
    return 0;
}

int FakeTesselApi::Start() {
    ++startCalls;
    return 0;
}

int FakeTesselApi::SendRequest(int type, const void* data, int len, int requestId) {
    SentRequest sent{type, requestId, {}};
    if (data && len > 0) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        sent.payload.assign(bytes, bytes + len);
    }
    requests.push_back(std::move(sent));
    return 0;
}

namespace {
FakeTesselApi* instance = nullptr;
int destroyCount = 0;
MessageBoxWatcher* activeWatcher = nullptr;
}  // namespace

FakeTesselApi& FakeInstance() {
    if (!instance) instance = new FakeTesselApi();
    return *instance;
}

host::TesselAPI* FakeGetInstance() {
    return &FakeInstance();
}

void FakeDestroyInstance() {
    ++destroyCount;
    delete instance;
    instance = nullptr;
}

int FakeDestroyCount() {
    return destroyCount;
}

void ResetFakeHost() {
    delete instance;
    instance = nullptr;
    destroyCount = 0;
}

MessageBoxWatcher::MessageBoxWatcher() {
    activeWatcher = this;
    timer_ = SetTimer(nullptr, 0, 30, &MessageBoxWatcher::Check);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    KillTimer(nullptr, timer_);
    activeWatcher = nullptr;
}

namespace {

BOOL CALLBACK FindStaticText(HWND child, LPARAM found) {
    wchar_t childClass[64] = {};
    GetClassNameW(child, childClass, 64);
    wchar_t childText[512] = {};
    GetWindowTextW(child, childText, 512);
    if (_wcsicmp(childClass, L"Static") == 0 && childText[0] != 0)
        *reinterpret_cast<std::string*>(found) = framework::CodePage936FromWide(childText);
    return TRUE;
}

BOOL CALLBACK ReadAndDismissBox(HWND window, LPARAM) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    // Only message boxes: their text sits in a static control.
    std::string text;
    EnumChildWindows(window, &FindStaticText, reinterpret_cast<LPARAM>(&text));
    if (text.empty()) return TRUE;
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    activeWatcher->captions.push_back(framework::CodePage936FromWide(caption));
    activeWatcher->texts.push_back(text);
    activeWatcher->styles.push_back(GetWindowLongPtrW(window, GWL_EXSTYLE));
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

}  // namespace

void CALLBACK MessageBoxWatcher::Check(HWND, UINT, UINT_PTR, DWORD) {
    if (activeWatcher) EnumThreadWindows(GetCurrentThreadId(), &ReadAndDismissBox, 0);
}

}  // namespace quillon::test
