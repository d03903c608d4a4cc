#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/HostCallback.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"

using namespace quillon::host;

namespace {

struct SentRequest {
    int type;
    std::vector<unsigned char> data;
    int requestId;
};

// Records every call the program makes on the library.
class RecordingHostApi : public TesselAPI {
public:
    int Register(const char* name, const char* accessCode, TesselCallback callback, WindowHandle hostWindow, int mode,
                 WindowHandle ownWindow) override {
        calls.push_back("Register");
        registeredName = name;
        registeredAccessCode = accessCode;
        registeredCallback = callback;
        registeredHostWindow = hostWindow;
        registeredMode = mode;
        registeredOwnWindow = ownWindow;
        return 0;
    }
    int Start() override {
        calls.push_back("Start");
        return 0;
    }
    int SendRequest(int type, const void* data, int len, int requestId) override {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        sent.push_back(
            {type, bytes ? std::vector<unsigned char>(bytes, bytes + len) : std::vector<unsigned char>(), requestId});
        return 0;
    }
    int Reserved() override { return 0; }

    std::vector<std::string> calls;
    std::vector<SentRequest> sent;
    std::string registeredName;
    std::string registeredAccessCode;
    TesselCallback registeredCallback = nullptr;
    WindowHandle registeredHostWindow = nullptr;
    int registeredMode = -1;
    WindowHandle registeredOwnWindow = nullptr;
};

class HostRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RequestCounter::Reset();
        SetHostApi(&api);
    }
    void TearDown() override { SetHostApi(nullptr); }
    RecordingHostApi api;
};

WindowHandle FakeWindow(std::uintptr_t value) {
    return reinterpret_cast<WindowHandle>(value);
}

}  // namespace

TEST_F(HostRequestsTest, AppRequestsCountUpInOrderAndBoardRequestsCarryZero) {
    const int order[] = {HOSTMSG_REQ_HOST_TEXT,      HOSTMSG_REQ_EXCHANGES,     HOSTMSG_QUOTE_SUBSCRIBE,
                         HOSTMSG_REQ_EXCHANGE_CODES, HOSTMSG_QUOTE_REQUEST,     HOSTMSG_REQ_INSTRUMENT,
                         HOSTMSG_ACTIVATE_HOST,      HOSTMSG_QUOTE_UNSUBSCRIBE, HOSTMSG_REQ_CONTRACT_LIST,
                         HOSTMSG_REQ_SELECTED};
    for (int type : order) SendHostRequest(type);
    const int expectedIds[] = {1, 2, 0, 3, 0, 4, 0, 0, 5, 6};
    ASSERT_EQ(api.sent.size(), std::size(order));
    for (std::size_t i = 0; i < api.sent.size(); ++i) {
        EXPECT_EQ(api.sent[i].type, order[i]);
        EXPECT_EQ(api.sent[i].requestId, expectedIds[i]) << std::hex << order[i];
    }
    EXPECT_EQ(RequestCounter::Current(), 6);
}

TEST_F(HostRequestsTest, WithoutAnInstanceSendsAreSkippedSilently) {
    SetHostApi(nullptr);
    SendHostRequest(HOSTMSG_REQ_EXCHANGES);
    SendCodeSlotRequest(HOSTMSG_QUOTE_SUBSCRIBE, "IO2612-C-3900");
    RegisterWithHost(false, nullptr, nullptr);
    EXPECT_EQ(RequestCounter::Current(), 0);
    SetHostApi(&api);
    SendHostRequest(HOSTMSG_REQ_EXCHANGES);
    ASSERT_EQ(api.sent.size(), 1u);
    EXPECT_EQ(api.sent[0].requestId, 1);
    EXPECT_TRUE(api.calls.empty());
}

TEST_F(HostRequestsTest, SlotRequestsAreZeroFilledAndCutToTheirSlot) {
    SendCodeSlotRequest(HOSTMSG_REQ_INSTRUMENT, "m2701-C-2800");
    SendCodeSlotRequest(HOSTMSG_QUOTE_SUBSCRIBE, std::string(80, 'c'));
    SendExchangeSlotRequest(HOSTMSG_REQ_EXCHANGE_CODES, "DCE");
    SendExchangeSlotRequest(HOSTMSG_REQ_EXCHANGE_CODES, std::string(40, 'e'));
    ASSERT_EQ(api.sent.size(), 4u);

    std::vector<unsigned char> code(64, 0);
    std::memcpy(code.data(), "m2701-C-2800", 12);
    EXPECT_EQ(api.sent[0].data, code);
    EXPECT_EQ(api.sent[0].requestId, 1);

    std::vector<unsigned char> longCode(64, 'c');
    longCode[63] = 0;
    EXPECT_EQ(api.sent[1].data, longCode);
    EXPECT_EQ(api.sent[1].requestId, 0);

    std::vector<unsigned char> exchange(32, 0);
    std::memcpy(exchange.data(), "DCE", 3);
    EXPECT_EQ(api.sent[2].data, exchange);
    EXPECT_EQ(api.sent[2].requestId, 2);

    std::vector<unsigned char> longExchange(32, 'e');
    longExchange[31] = 0;
    EXPECT_EQ(api.sent[3].data, longExchange);
}

TEST_F(HostRequestsTest, RegistrationNamesTheRunModeThenStarts) {
    struct Case {
        bool popup;
        const char* name;
        int mode;
    };
    for (const Case& c : {Case{true, "QuillonPopup", 0}, Case{false, "Quillon", 6}}) {
        RecordingHostApi fresh;
        SetHostApi(&fresh);
        RegisterWithHost(c.popup, FakeWindow(0x10010), FakeWindow(0x20020));
        EXPECT_EQ(fresh.calls, (std::vector<std::string>{"Register", "Start"}));
        EXPECT_EQ(fresh.registeredName, c.name);
        EXPECT_EQ(fresh.registeredAccessCode, "731");
        EXPECT_EQ(fresh.registeredCallback, &HostCallback);
        EXPECT_EQ(fresh.registeredHostWindow, FakeWindow(0x10010));
        EXPECT_EQ(fresh.registeredOwnWindow, FakeWindow(0x20020));
        EXPECT_EQ(fresh.registeredMode, c.mode);
        EXPECT_TRUE(fresh.sent.empty());
    }
}
