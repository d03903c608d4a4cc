#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/TesselAPI.h"

namespace quillon::test {

struct SentRequest {
    int type;
    int requestId;
    std::vector<unsigned char> payload;
    // The payload read as one NUL-terminated text slot.
    std::string Text() const;
};

// TesselAPI in the test process: records registration and every request. Host messages
// are delivered through the program's real HostCallback (see AppFixture::Deliver).
class FakeTesselApi : public host::TesselAPI {
public:
    int Register(const char* name, const char* accessCode, host::TesselCallback callback, host::WindowHandle hostWindow,
                 int mode, host::WindowHandle ownWindow) override;
    int Start() override;
    int SendRequest(int type, const void* data, int len, int requestId) override;
    int Reserved() override { return 0; }

    std::string registeredName;
    std::string accessCode;
    host::TesselCallback callback = nullptr;
    host::WindowHandle hostWindow = nullptr;
    int mode = -1;
    host::WindowHandle ownWindow = nullptr;
    int startCalls = 0;
    std::vector<SentRequest> requests;
};

// The instance the fake library hands out, and how often it was destroyed.
FakeTesselApi& FakeInstance();
host::TesselAPI* FakeGetInstance();
void FakeDestroyInstance();
int FakeDestroyCount();
void ResetFakeHost();

// Watches for a message box of this thread from inside whatever loop shows it, reads
// its caption and text, and presses its default button.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Caption and text (code page 936) of every box seen, in order.
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    std::vector<LONG_PTR> styles;

private:
    static void CALLBACK Check(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_;
};

}  // namespace quillon::test
