#pragma once

#include <cstdint>
#include <string_view>

#include "host/TesselAPI.h"

// Everything the program sends to the host goes through here, on the user-interface
// thread only.
namespace quillon::host {

// The kept instance pointer: null before the main frame exists and after exit began.
// The application sets it from TesselAPI::GetInstance(); tests set a fake.
void SetHostApi(TesselAPI* api);
TesselAPI* HostApi();

// The process-wide request counter. Application requests carry it pre-incremented
// (the first carries 1); board requests carry 0 and leave it alone.
class RequestCounter {
public:
    static std::int32_t Next();
    static std::int32_t Current();
    // Back to 0; for tests.
    static void Reset();
};

// True for the requests that carry the counter: 0x3001, 0x3003, 0x3005, 0x6001, 0x7011, 0x8011.
bool CarriesRequestCounter(int msgType);

// Sends through the kept instance with the id the type calls for. Without an instance
// the send is skipped silently (and the counter is not touched). The payload only needs
// to live for the call.
void SendHostRequest(int msgType, const void* data = nullptr, int length = 0);
// Sends one 64-byte code slot (zero-filled, at most 63 bytes of the code).
void SendCodeSlotRequest(int msgType, std::string_view code);
// Sends one 32-byte exchange slot (zero-filled, at most 31 bytes of the identifier).
void SendExchangeSlotRequest(int msgType, std::string_view exchange);

// Registration as the main frame makes it: name "QuillonPopup" and mode 0 in popup run
// mode, else "Quillon" and mode 6; access code "731"; HostCallback; then Start.
// Does nothing without a kept instance.
inline constexpr const char* HostAccessCode = "731";
void RegisterWithHost(bool popupRunMode, WindowHandle hostWindow, WindowHandle ownWindow);

}  // namespace quillon::host
