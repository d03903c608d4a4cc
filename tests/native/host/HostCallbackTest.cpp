#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <vector>

#include "host/HostCallback.h"
#include "host/HostMessages.h"

using namespace quillon::host;

namespace {

// What the sink saw; records it keeps are freed by the test, as the frame would.
std::vector<ArrivalRecordPtr> handedOver;
int sinkCalls = 0;

bool KeepingSink(ArrivalRecord* record) {
    ++sinkCalls;
    handedOver.emplace_back(record);
    return true;
}

// A frame whose post fails (queue full, window gone): the record must not leak.
bool FailingSink(ArrivalRecord*) {
    ++sinkCalls;
    return false;
}

class HostCallbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        handedOver.clear();
        sinkCalls = 0;
        SetArrivalSink(&KeepingSink);
    }
    void TearDown() override {
        SetArrivalSink(nullptr);
        handedOver.clear();
    }
};

}  // namespace

TEST_F(HostCallbackTest, AcceptsTheWholeHostRangeAndTheTenRepliesOnly) {
    const std::set<int> replies = {0x3002, 0x3004, 0x3006, 0x6002, 0x7003, 0x7006, 0x7008, 0x700A, 0x7012, 0x8012};
    std::vector<int> ids;
    for (int id = -2; id <= 0x10001; ++id) ids.push_back(id);
    for (int id : {INT_MIN, INT_MAX, 0x7FFF7003, -0x7003, static_cast<int>(0xFFFF0001u)}) ids.push_back(id);
    int accepted = 0;
    for (int id : ids) {
        bool expected = (id >= 0x1000 && id <= 0x1FFF) || replies.count(id) == 1;
        EXPECT_EQ(IsAcceptedHostMessage(id), expected) << std::hex << id;
        int callsBefore = sinkCalls;
        EXPECT_EQ(HostCallback(id, 0, nullptr, 0, 0), expected ? 0 : -1) << std::hex << id;
        EXPECT_EQ(sinkCalls - callsBefore, expected ? 1 : 0) << std::hex << id;
        if (expected) ++accepted;
        handedOver.clear();
    }
    EXPECT_EQ(accepted, 4096 + 10);
}

TEST_F(HostCallbackTest, RecordCarriesAnExactCopyOfThePayload) {
    for (int length : {1, 63, 64, 400, 592, 4096, 1 << 20}) {
        std::vector<unsigned char> payload(static_cast<std::size_t>(length));
        for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<unsigned char>(i * 31 + 7);
        ASSERT_EQ(HostCallback(HOSTMSG_QUOTE_PUSH, 3, payload.data(), length, 77), 0);
        ASSERT_EQ(handedOver.size(), 1u);
        const ArrivalRecord& record = *handedOver.front();
        EXPECT_EQ(record.msgType, HOSTMSG_QUOTE_PUSH);
        EXPECT_EQ(record.value, 3);
        EXPECT_EQ(record.requestId, 77);
        ASSERT_EQ(record.dataLen, length);
        ASSERT_NE(record.data, nullptr);
        EXPECT_NE(record.data, payload.data()) << "the payload lives for the call only; the record needs its own";
        EXPECT_EQ(std::memcmp(record.data, payload.data(), payload.size()), 0) << length;
        handedOver.clear();
    }
}

TEST_F(HostCallbackTest, NoBytesGiveANullPayloadAndTheLengthAsGiven) {
    const unsigned char byte = 1;
    struct Case {
        const void* data;
        int dataLen;
    };
    // The handlers tell a malformed payload from an empty one by the length; a length
    // with no bytes behind it is never read.
    const Case cases[] = {{nullptr, 0}, {&byte, 0}, {&byte, -1}, {nullptr, -64}, {nullptr, 64}, {&byte, INT_MIN}};
    for (const Case& c : cases) {
        ASSERT_EQ(HostCallback(HOSTMSG_LOGIN_RESULT, 0, c.data, c.dataLen, 0), 0);
        ASSERT_EQ(handedOver.size(), 1u);
        EXPECT_EQ(handedOver.front()->data, nullptr) << c.dataLen;
        EXPECT_EQ(handedOver.front()->dataLen, c.dataLen);
        handedOver.clear();
    }
}

TEST_F(HostCallbackTest, WithoutAFrameOrWhenThePostFailsTheRecordIsFreed) {
    // Leaks here are reported by the leak checker of the sanitizer build.
    std::vector<unsigned char> payload(592, 0x5A);
    SetArrivalSink(&FailingSink);
    EXPECT_EQ(HostCallback(HOSTMSG_QUOTE_PUSH, 0, payload.data(), 592, 0), 0);
    EXPECT_EQ(sinkCalls, 1);
    SetArrivalSink(nullptr);
    EXPECT_EQ(HostCallback(HOSTMSG_QUOTE_PUSH, 0, payload.data(), 592, 0), 0);
    EXPECT_EQ(sinkCalls, 1);
    EXPECT_TRUE(handedOver.empty());
}

TEST_F(HostCallbackTest, AQuoteFloodIsHandedOverWhole) {
    const int backlogBefore = ArrivalBacklog();
    std::vector<unsigned char> quote(592, 0x11);
    for (int i = 0; i < 30000; ++i) ASSERT_EQ(HostCallback(HOSTMSG_QUOTE_PUSH, 0, quote.data(), 592, 0), 0);
    EXPECT_EQ(sinkCalls, 30000) << "the callback itself must not drop quotes: the receiver decides";
    EXPECT_EQ(ArrivalBacklog(), backlogBefore + 30000);
    handedOver.clear();
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
}

TEST(ArrivalRecordLayout, OnlyAPostOfTheRecordSizeCarriesARecord) {
    const int backlogBefore = ArrivalBacklog();
    ArrivalRecordPtr made = MakeArrivalRecord(HOSTMSG_INVOKE, 0, nullptr, 0, 0);
    ArrivalRecord* raw = made.release();
    EXPECT_FALSE(TakePostedArrival(ArrivalRecordPostSize, 0));
    EXPECT_FALSE(TakePostedArrival(0, reinterpret_cast<std::intptr_t>(raw)));
    ArrivalRecordPtr taken = TakePostedArrival(ArrivalRecordPostSize, reinterpret_cast<std::intptr_t>(raw));
    EXPECT_EQ(taken.get(), raw);
    taken.reset();
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
}

TEST(ArrivalRecordLayout, FreeingANullOrEmptyRecordSettlesTheBacklog) {
    const int backlogBefore = ArrivalBacklog();
    FreeArrivalRecord(nullptr);
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
    ArrivalRecordPtr empty = MakeArrivalRecord(HOSTMSG_HOST_CLOSING, 0, nullptr, -5, 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(ArrivalBacklog(), backlogBefore + 1);
    empty.reset();
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
}
