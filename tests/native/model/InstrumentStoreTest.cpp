#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/InstrumentStore.h"

namespace quillon::model {
namespace {

using Record = InstrumentStore::Record;

Record Filled(unsigned char (*byteAt)(std::size_t)) {
    Record record{};
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = byteAt(i);
    return record;
}

// Records whose bytes stress the packing: runs of zeros and of other bytes longer than
// one run can say, single zeros between other bytes, zeros and non-zeros at either end.
std::vector<std::pair<const char*, Record>> AwkwardRecords() {
    return {
        {"all zero", Record{}},
        {"all 0xFF", Filled([](std::size_t) -> unsigned char { return 0xFF; })},
        {"zero every other byte", Filled([](std::size_t i) -> unsigned char { return i % 2 ? 0 : 0x80; })},
        {"pairs of zeros", Filled([](std::size_t i) -> unsigned char { return i % 3 ? 0 : 0x7F; })},
        {"counting bytes", Filled([](std::size_t i) -> unsigned char { return static_cast<unsigned char>(i); })},
        {"one byte last", Filled([](std::size_t i) -> unsigned char { return i == 399 ? 1 : 0; })},
        {"one zero last", Filled([](std::size_t i) -> unsigned char { return i == 399 ? 0 : 0x81; })},
        {"runs of 127 to 130", Filled([](std::size_t i) -> unsigned char { return (i / 129) % 2 ? 0x20 : 0; })},
    };
}

TEST(InstrumentStore, GivesBackEveryRecordByteForByte) {
    InstrumentStore store;
    const auto records = AwkwardRecords();
    // Inserted out of code order, so entries are found by the index and not by position.
    for (auto it = records.rbegin(); it != records.rend(); ++it) EXPECT_TRUE(store.Insert(it->first, it->second));
    ASSERT_EQ(store.size(), records.size());
    for (const auto& [code, record] : records) {
        SCOPED_TRACE(code);
        EXPECT_EQ(store.Find(code), record);
        EXPECT_TRUE(store.Contains(code));
    }

    std::vector<std::string> visited;
    store.ForEach([&](std::string_view code, const Record& record) {
        visited.emplace_back(code);
        for (const auto& [name, expected] : records) {
            if (code == name) {
                EXPECT_EQ(record, expected) << name;
            }
        }
    });
    EXPECT_EQ(visited,
              (std::vector<std::string>{"all 0xFF", "all zero", "counting bytes", "one byte last", "one zero last",
                                        "pairs of zeros", "runs of 127 to 130", "zero every other byte"}));
}

TEST(InstrumentStore, KeepsTheFirstRecordAndFindsOnlyWholeCodes) {
    InstrumentStore store;
    const Record first = Filled([](std::size_t i) -> unsigned char { return i < 6 ? 'a' : 0; });
    const Record second = Filled([](std::size_t) -> unsigned char { return 'b'; });
    const std::string longest(0xFFFF, 'x');
    for (const char* code : {"m2701", "m2701-C-2900", "", "\xB6\xB9\xC6\xC9"}) EXPECT_TRUE(store.Insert(code, first));
    EXPECT_TRUE(store.Insert(longest, second));
    EXPECT_FALSE(store.Insert(longest + "x", second));
    EXPECT_FALSE(store.Insert("m2701", second));
    EXPECT_EQ(store.Find("m2701"), first);
    EXPECT_EQ(store.Find(longest), second);
    for (const char* missing : {"m270", "m2701-C", "m27011", "M2701", "\xB6\xB9"}) {
        EXPECT_EQ(store.Find(missing), std::nullopt) << missing;
        EXPECT_FALSE(store.Contains(missing)) << missing;
    }
    EXPECT_EQ(store.size(), 5u);

    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.Find("m2701"), std::nullopt);
    EXPECT_TRUE(store.Insert("m2701", second));
    EXPECT_EQ(store.Find("m2701"), second);
}

}  // namespace
}  // namespace quillon::model
