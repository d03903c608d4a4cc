// Every arrival record the host callback makes is dispatched or freed on every path: kept
// when its wake-up cannot be posted, folded into a later quote under a flood, or still
// queued when the frame goes. The program's own count of records not yet freed
// (ArrivalBacklog) is the measure; the host's calls come from a thread of their own, as
// the library's do.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "AppFixture.h"
#include "FailingPost.h"
#include "app/StartupSettings.h"
#include "framework/ApplicationMessages.h"
#include "host/ArrivalQueue.h"
#include "host/HostCallback.h"
#include "host/HostMessages.h"

namespace quillon::test {
namespace {

using namespace quillon::host;

const char* const DockedIni = "[Startup]\r\nRunMode=0\r\n";

struct HostCall {
    int type;
    int value;
    std::vector<unsigned char> payload;
};

// From another thread, as the host library calls; returns once every call has returned.
void CallFromHostThread(const std::vector<HostCall>& calls, int repeat) {
    std::thread host([&] {
        for (int round = 0; round < repeat; ++round) {
            for (const HostCall& call : calls) {
                HostCallback(call.type, call.value, call.payload.empty() ? nullptr : call.payload.data(),
                             static_cast<int>(call.payload.size()), 0);
            }
        }
    });
    host.join();
}

class ArrivalRecords : public AppFixture {
protected:
    void StartLoadedWithList() {
        Start(DockedIni);
        LoadMarket(SampleMarket());
        Deliver(HOSTMSG_CONTRACT_LIST, EncodeTextSlots({"IF2301", "IO2301-C-3900", "IO2301-P-3900"}, 32));
        ASSERT_EQ(ArrivalBacklog(), 0) << "records left over from the load";
    }

    // Every kind of record: quotes of both types (full, short, empty), lists, texts, the
    // link range, the type nobody handles, failures.
    static std::vector<HostCall> MixedCalls() {
        return {{HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301")},
                {HOSTMSG_QUOTE_REPLY, 0, QuoteBytes("IO2301-C-3900")},
                {HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IO2301-P-3900", 100)},
                {HOSTMSG_QUOTE_PUSH, 0, {}},
                {HOSTMSG_HOST_TEXT, 0, {'h', 'o', 's', 't'}},
                {HOSTMSG_CONTRACT_LIST, 0, EncodeTextSlots({"IF2301", "IO2301-C-3900", "IO2301-P-3900"}, 32)},
                {HOSTMSG_CONTRACT_LIST_PUSH, -1, EncodeTextSlots({"SR301"}, 64)},
                {HOSTMSG_UNNAMED_7008, 0, std::vector<unsigned char>(10, 0xFF)},
                {0x1234, 5, {}},
                {HOSTMSG_INSTRUMENT, 0, std::vector<unsigned char>(401, 1)}};
    }
};

TEST_F(ArrivalRecords, AWakeUpThatCannotBePostedLosesNothing) {
    StartLoadedWithList();
    const auto calls = MixedCalls();
    constexpr int Rounds = 300;
    const long total = static_cast<long>(calls.size()) * Rounds;
    for (int failEvery : {1, 2, 7}) {
        SCOPED_TRACE("every " + std::to_string(failEvery) + " post fails");
        long failures = 0;
        {
            FailingPost failing(framework::ApiMsgArriveMessage(), failEvery);
            ASSERT_TRUE(failing.Installed()) << "PostMessageW is not imported by this executable";
            CallFromHostThread(calls, Rounds);
            failures = failing.Failures();
            EXPECT_GT(failing.Attempts(), 0);
            // While posts fail each arrival asks again; once one succeeds it stands for the rest.
            if (failEvery > 1) {
                EXPECT_LT(failing.Attempts(), 10) << "a wake-up was posted per record, not per batch";
            }
        }
        EXPECT_GT(failures, 0);
        EXPECT_EQ(ArrivalBacklog(), total) << "records were dropped when their wake-up failed";
        // The next arrival asks for a wake-up again, and the queue drains in order.
        CallFromHostThread({{HOSTMSG_HOST_TEXT, 0, {'n', 'e', 'x', 't'}}}, 1);
        Pump();
        EXPECT_EQ(ArrivalBacklog(), 0) << "records not freed after dispatch";
        EXPECT_EQ(app::HostText(), "next");
    }
    // Without any later arrival, the frame comes back for stranded records by itself.
    {
        FailingPost failing(framework::ApiMsgArriveMessage(), 1);
        CallFromHostThread({{HOSTMSG_HOST_TEXT, 0, {'l', 'a', 's', 't'}}}, 1);
    }
    EXPECT_EQ(ArrivalBacklog(), 1);
    for (int wait = 0; wait < 40 && ArrivalBacklog() != 0; ++wait) {
        Sleep(50);
        Pump();
    }
    EXPECT_EQ(ArrivalBacklog(), 0) << "a record whose wake-up failed was stranded";
    EXPECT_EQ(app::HostText(), "last");
    // The board still takes quotes and the program still answers after all of it.
    const std::size_t before = Sent().size();
    Deliver(HOSTMSG_CONTRACT_LIST, EncodeTextSlots({"SR301"}, 32));
    EXPECT_GT(Sent().size(), before) << "the contract list after the failures was not acted on";
    EXPECT_EQ(ArrivalBacklog(), 0);
}

TEST_F(ArrivalRecords, QuoteFloodWhileTheInterfaceIsBusyStaysBoundedAndKeepsOtherMessages) {
    StartLoadedWithList();
    // The user-interface thread handles nothing while the host floods: past the folding
    // threshold each instrument keeps one waiting quote, the latest.
    constexpr int Rounds = 15000;
    CallFromHostThread(
        {{HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301")}, {HOSTMSG_QUOTE_REPLY, 0, QuoteBytes("IO2301-C-3900")}}, Rounds);
    const std::vector<unsigned char> text = {'a', 'f', 't', 'e', 'r'};
    CallFromHostThread({{HOSTMSG_HOST_TEXT, 0, text}, {HOSTMSG_CONTRACT_LIST, 0, EncodeTextSlots({"SR301"}, 32)}}, 1);
    EXPECT_EQ(ArrivalBacklog(), static_cast<int>(ArrivalQueue::ConflationThreshold) + 2 + 2)
        << "the flood was not folded past the threshold, or a message after it was lost";

    const std::size_t before = Sent().size();
    Pump();
    EXPECT_EQ(ArrivalBacklog(), 0);
    EXPECT_EQ(app::HostText(), "after");
    const bool subscribed =
        std::any_of(Sent().begin() + static_cast<long>(before), Sent().end(),
                    [](const SentRequest& r) { return r.type == HOSTMSG_QUOTE_SUBSCRIBE && r.Text() == "SR301"; });
    EXPECT_TRUE(subscribed) << "the contract list that came after the flood was not shown";
}

TEST_F(ArrivalRecords, RecordsStillQueuedWhenTheFrameGoesAreFreed) {
    StartLoadedWithList();
    CallFromHostThread({{HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301")}, {HOSTMSG_HOST_TEXT, 0, {'x'}}}, 500);
    EXPECT_EQ(ArrivalBacklog(), 1000);
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(ArrivalBacklog(), 0) << "records queued at the frame's end were not freed";
    // A host still calling after the frame is gone: nothing is kept.
    CallFromHostThread({{HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301")}, {HOSTMSG_HOST_CLOSING, 0, {}}}, 100);
    EXPECT_EQ(ArrivalBacklog(), 0);
}

}  // namespace
}  // namespace quillon::test
