#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/ArrivalQueue.h"
#include "host/HostMessages.h"
#include "host/WireRecords.h"

using namespace quillon::host;

namespace {

// A quote of `code` whose last byte tells snapshots of one instrument apart.
ArrivalRecordPtr Quote(const std::string& code, unsigned char serial, int msgType = HOSTMSG_QUOTE_PUSH,
                       int length = static_cast<int>(quote_record::Size), int value = 0) {
    std::vector<unsigned char> bytes(quote_record::Size, 0);
    WriteText(bytes.data(), quote_record::CodeOffset, quote_record::CodeWidth, code);
    bytes.back() = serial;
    return MakeArrivalRecord(msgType, value, bytes.data(), length, serial);
}

ArrivalRecordPtr Other(int msgType = HOSTMSG_HOST_TEXT) {
    const char text[] = "text";
    return MakeArrivalRecord(msgType, 0, text, 4, 0);
}

// What a taken record is: "CODE#serial" for a quote, "type" for anything else.
std::string Describe(const ArrivalRecord& record) {
    if (record.msgType != HOSTMSG_QUOTE_PUSH && record.msgType != HOSTMSG_QUOTE_REPLY)
        return std::to_string(record.msgType);
    if (static_cast<std::size_t>(record.dataLen) < quote_record::Size) return "short";
    return QuoteCode(record.data) + "#" + std::to_string(record.data[quote_record::Size - 1]);
}

std::vector<std::string> TakeAll(ArrivalQueue& queue) {
    std::vector<std::string> taken;
    while (ArrivalRecordPtr record = queue.TakeOne()) taken.push_back(Describe(*record));
    return taken;
}

// Fills the queue to the folding threshold with quotes of instruments seen nowhere else.
void FillToThreshold(ArrivalQueue& queue) {
    for (std::size_t i = 0; i < ArrivalQueue::ConflationThreshold; ++i) queue.Push(Quote("F" + std::to_string(i), 0));
}

TEST(ArrivalQueueWake, OneWakeUpStandsForEveryRecordUntilTheQueueRunsDry) {
    ArrivalQueue queue;
    EXPECT_TRUE(queue.Push(Other()));
    EXPECT_FALSE(queue.Push(Quote("IF2301", 1)));
    EXPECT_FALSE(queue.Push(Other()));
    ASSERT_TRUE(queue.TakeOne());
    // Records remain: the receiver keeps the wake-up and must come back by itself.
    EXPECT_TRUE(queue.FinishTurn());
    EXPECT_FALSE(queue.Push(Other())) << "a second wake-up while one is outstanding";
    EXPECT_EQ(TakeAll(queue).size(), 3u);
    EXPECT_FALSE(queue.FinishTurn());
    EXPECT_FALSE(queue.WakeOutstanding());
    EXPECT_TRUE(queue.Push(Other())) << "after a dry turn the next arrival must wake the receiver";
}

TEST(ArrivalQueueWake, AFailedWakeUpIsAskedForAgainAndAReleasedOneIsReissued) {
    ArrivalQueue queue;
    ASSERT_TRUE(queue.Push(Other()));
    queue.CancelWake();
    EXPECT_TRUE(queue.Push(Other())) << "the records of a failed wake-up would wait for ever";

    // Handing the wake-up back before a modal box: with records left, the caller posts anew.
    EXPECT_TRUE(queue.ReleaseWake());
    EXPECT_TRUE(queue.WakeOutstanding());
    TakeAll(queue);
    EXPECT_FALSE(queue.ReleaseWake());
    EXPECT_TRUE(queue.Push(Other()));
}

TEST(ArrivalQueueWake, RecordsFromAnotherThreadAllArriveInOrderWithoutAStrandedWakeUp) {
    ArrivalQueue queue;
    constexpr int Count = 100000;
    std::mutex lock;
    std::condition_variable posted;
    int wakeUps = 0;  // posted and not yet handled

    std::thread host([&] {
        for (int i = 0; i < Count; ++i) {
            if (queue.Push(MakeArrivalRecord(HOSTMSG_HOST_TEXT, 0, nullptr, 0, i))) {
                std::lock_guard<std::mutex> guard(lock);
                ++wakeUps;
                posted.notify_one();
            }
        }
    });
    int expected = 0;
    int turnsWithoutWake = 0;
    while (expected < Count) {
        {
            // The receiver sleeps until a wake-up, or goes round by itself when told to.
            std::unique_lock<std::mutex> guard(lock);
            if (turnsWithoutWake == 0) {
                ASSERT_TRUE(posted.wait_for(guard, std::chrono::seconds(20), [&] { return wakeUps > 0; }))
                    << "records waiting with no wake-up at " << expected;
                --wakeUps;
            }
        }
        for (int slice = 0; slice < 97; ++slice) {
            ArrivalRecordPtr record = queue.TakeOne();
            if (!record) break;
            ASSERT_EQ(record->requestId, expected) << "out of order";
            ++expected;
        }
        turnsWithoutWake = queue.FinishTurn() ? 1 : 0;
    }
    host.join();
    EXPECT_FALSE(queue.TakeOne());
}

TEST(ArrivalQueueFolding, BelowTheThresholdEverySnapshotIsKept) {
    ArrivalQueue queue;
    for (unsigned char serial = 1; serial <= 5; ++serial) queue.Push(Quote("IF2301", serial));
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"IF2301#1", "IF2301#2", "IF2301#3", "IF2301#4", "IF2301#5"}));
    EXPECT_EQ(queue.Snapshot().conflated, 0u);
}

TEST(ArrivalQueueFolding, PastTheThresholdTheLatestSnapshotTakesTheWaitingOnesPlace) {
    const int backlogBefore = ArrivalBacklog();
    {
        ArrivalQueue queue;
        FillToThreshold(queue);
        queue.Push(Quote("IF2301", 1));
        queue.Push(Quote("IO2301-C-3900", 1));
        queue.Push(Quote("IF2301", 2));
        queue.Push(Quote("IF2301", 3, HOSTMSG_QUOTE_REPLY));
        queue.Push(Quote("IO2301-C-3900", 2));
        // A snapshot that is short or reports a failure never stands in for a whole one.
        queue.Push(Quote("IF2301", 4, HOSTMSG_QUOTE_PUSH, 100));
        queue.Push(Quote("IF2301", 5, HOSTMSG_QUOTE_PUSH, static_cast<int>(quote_record::Size), -1));

        const ArrivalQueue::Counters counters = queue.Snapshot();
        EXPECT_EQ(counters.conflated, 3u);
        EXPECT_EQ(counters.queued, ArrivalQueue::ConflationThreshold + 4);
        EXPECT_EQ(ArrivalBacklog(), backlogBefore + static_cast<int>(counters.queued)) << "folded records not freed";

        std::vector<std::string> taken = TakeAll(queue);
        ASSERT_EQ(taken.size(), ArrivalQueue::ConflationThreshold + 4);
        EXPECT_EQ(taken[ArrivalQueue::ConflationThreshold - 1],
                  "F" + std::to_string(ArrivalQueue::ConflationThreshold - 1) + "#0");
        EXPECT_EQ(std::vector<std::string>(taken.end() - 4, taken.end()),
                  (std::vector<std::string>{"IF2301#3", "IO2301-C-3900#2", "short", "IF2301#5"}));
        EXPECT_EQ(queue.Snapshot().peakQueued, ArrivalQueue::ConflationThreshold + 4);
    }
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
}

TEST(ArrivalQueueFolding, NoQuoteMovesAcrossAnotherMessageOrIntoATakenPlace) {
    ArrivalQueue queue;
    FillToThreshold(queue);
    queue.Push(Quote("IF2301", 1));
    queue.Push(Other(HOSTMSG_CONTRACT_LIST));
    queue.Push(Quote("IF2301", 2));
    queue.Push(Quote("IF2301", 3));
    std::vector<std::string> taken = TakeAll(queue);
    EXPECT_EQ(std::vector<std::string>(taken.end() - 3, taken.end()),
              (std::vector<std::string>{"IF2301#1", std::to_string(HOSTMSG_CONTRACT_LIST), "IF2301#3"}));

    // A waiting quote that has been taken can no longer be replaced.
    FillToThreshold(queue);
    queue.Push(Quote("IO2301-P-3900", 1));
    while (ArrivalRecordPtr record = queue.TakeOne()) {
        if (Describe(*record) == "IO2301-P-3900#1") break;
    }
    // Back over the threshold with the same instrument: it queues anew.
    FillToThreshold(queue);
    queue.Push(Quote("IO2301-P-3900", 2));
    taken = TakeAll(queue);
    EXPECT_EQ(taken.back(), "IO2301-P-3900#2");
}

TEST(ArrivalQueueFolding, AQuoteQueuedBelowTheThresholdIsNeverOvertakenByAFoldedOne) {
    ArrivalQueue queue;
    for (std::size_t i = 0; i + 1 < ArrivalQueue::ConflationThreshold; ++i)
        queue.Push(Quote("F" + std::to_string(i), 0));
    queue.Push(Quote("IF2301", 1));  // the threshold's last place, not folding yet
    queue.Push(Quote("IF2301", 2));  // folding starts: this one waits in its own place
    queue.Push(Quote("IF2301", 3));  // replaces #2, which stands behind #1
    std::vector<std::string> taken = TakeAll(queue);
    EXPECT_EQ(std::vector<std::string>(taken.end() - 2, taken.end()),
              (std::vector<std::string>{"IF2301#1", "IF2301#3"}));
}

TEST(ArrivalQueueFolding, ClearFreesEverythingAndEndsTheWakeUp) {
    const int backlogBefore = ArrivalBacklog();
    ArrivalQueue queue;
    FillToThreshold(queue);
    queue.Push(Quote("IF2301", 1));
    queue.Clear();
    EXPECT_EQ(ArrivalBacklog(), backlogBefore);
    EXPECT_FALSE(queue.TakeOne());
    EXPECT_TRUE(queue.Push(Quote("IF2301", 2))) << "a cleared queue must wake its receiver again";
    queue.Push(Quote("IF2301", 3));
    EXPECT_EQ(TakeAll(queue), (std::vector<std::string>{"IF2301#2", "IF2301#3"})) << "folding survived the clearing";
}

}  // namespace
