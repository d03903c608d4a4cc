#include "host/HostRequests.h"

#include <atomic>

#include "host/HostCallback.h"
#include "host/HostMessages.h"
#include "host/WireText.h"

namespace quillon::host {

namespace {

// Read and written on the user-interface thread; atomic only so that a test's or the
// exit path's reset can never tear.
std::atomic<TesselAPI*> hostApi{nullptr};
std::int32_t requestCounter = 0;

}  // namespace

void SetHostApi(TesselAPI* api) {
    hostApi.store(api);
}

TesselAPI* HostApi() {
    return hostApi.load();
}

std::int32_t RequestCounter::Next() {
    return ++requestCounter;
}

std::int32_t RequestCounter::Current() {
    return requestCounter;
}

void RequestCounter::Reset() {
    requestCounter = 0;
}

bool CarriesRequestCounter(int msgType) {
    switch (msgType) {
        case HOSTMSG_REQ_EXCHANGE_CODES:
        case HOSTMSG_REQ_INSTRUMENT:
        case HOSTMSG_REQ_HOST_TEXT:
        case HOSTMSG_REQ_EXCHANGES:
        case HOSTMSG_REQ_CONTRACT_LIST:
        case HOSTMSG_REQ_SELECTED:
            return true;
        default:
            return false;
    }
}

void SendHostRequest(int msgType, const void* data, int length) {
    TesselAPI* api = HostApi();
    if (api == nullptr) return;
    std::int32_t requestId = CarriesRequestCounter(msgType) ? RequestCounter::Next() : 0;
    api->SendRequest(msgType, data, length, requestId);
}

void SendCodeSlotRequest(int msgType, std::string_view code) {
    char slot[CodeSlotSize];
    WriteTextSlot(slot, sizeof slot, code);
    SendHostRequest(msgType, slot, static_cast<int>(sizeof slot));
}

void SendExchangeSlotRequest(int msgType, std::string_view exchange) {
    char slot[ExchangeSlotSize];
    WriteTextSlot(slot, sizeof slot, exchange);
    SendHostRequest(msgType, slot, static_cast<int>(sizeof slot));
}

void RegisterWithHost(bool popupRunMode, WindowHandle hostWindow, WindowHandle ownWindow) {
    TesselAPI* api = HostApi();
    if (api == nullptr) return;
    api->Register(popupRunMode ? "QuillonPopup" : "Quillon", HostAccessCode, &HostCallback, hostWindow,
                  popupRunMode ? 0 : 6, ownWindow);
    api->Start();
}

}  // namespace quillon::host
