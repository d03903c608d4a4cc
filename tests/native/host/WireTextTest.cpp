#include "host/WireText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quillon::host::CodeSlotSize;
using quillon::host::EncodeTextSlots;
using quillon::host::ExchangeSlotSize;
using quillon::host::ReadTextSlot;
using quillon::host::WriteTextSlot;

TEST(WireText, SlotIsZeroFilledAndAlwaysEndsInNul) {
    struct Case {
        std::size_t slotSize;
        std::string text;
        std::string expectedBack;
    };
    const std::string long64(64, 'x');
    const std::string long40(40, 'y');
    const Case cases[] = {
        {CodeSlotSize, "IO2612-C-3900", "IO2612-C-3900"},
        {CodeSlotSize, "", ""},
        {CodeSlotSize, std::string(63, 'a'), std::string(63, 'a')},
        {CodeSlotSize, long64, std::string(63, 'x')},
        {ExchangeSlotSize, "CFFEX", "CFFEX"},
        {ExchangeSlotSize, long40, std::string(31, 'y')},
        {CodeSlotSize, "\xC9\xCF\xBA\xA3", "\xC9\xCF\xBA\xA3"},  // code page 936 bytes stay bytes
    };
    for (const Case& c : cases) {
        std::vector<char> slot(c.slotSize, '\x7F');
        WriteTextSlot(slot.data(), slot.size(), c.text);
        EXPECT_EQ(slot.back(), '\0') << c.text;
        for (std::size_t i = c.expectedBack.size(); i < slot.size(); ++i) {
            ASSERT_EQ(slot[i], '\0') << "byte " << i << " of " << c.text;
        }
        EXPECT_EQ(ReadTextSlot(slot.data(), slot.size()), c.expectedBack);
    }
}

TEST(WireText, ReadingStopsAtTheFirstNulAndNeverPassesTheSlot) {
    const char withNul[8] = {'a', 'b', '\0', 'c', 'd', 'e', 'f', 'g'};
    EXPECT_EQ(ReadTextSlot(withNul, sizeof withNul), "ab");

    // A slot with no NUL at all: the text is the whole slot, and nothing beyond it.
    const char full[12] = {'1', '2', '3', '4', '5', '6', '7', '8', 'X', 'X', 'X', 'X'};
    EXPECT_EQ(ReadTextSlot(full, 8), "12345678");
}

TEST(WireText, TextWithAnEmbeddedNulIsCutThere) {
    char slot[CodeSlotSize];
    WriteTextSlot(slot, sizeof slot, std::string_view("m2701\0junk", 10));
    EXPECT_EQ(ReadTextSlot(slot, sizeof slot), "m2701");
    EXPECT_EQ(slot[6], '\0');
}

TEST(WireText, ASlotListHoldsEachTextInItsOwnSlotAndNoneSpillsIntoTheNext) {
    struct Case {
        std::size_t slotSize;
        std::vector<std::string> texts;
        std::vector<std::string> expectedBack;
    };
    const Case cases[] = {
        {ExchangeSlotSize, {}, {}},
        {ExchangeSlotSize, {"CFFEX", "", "CZCE"}, {"CFFEX", "", "CZCE"}},
        {ExchangeSlotSize, {std::string(40, 'y'), "SHFE"}, {std::string(31, 'y'), "SHFE"}},
        {CodeSlotSize, {"IF2612", "IO2612-C-3900"}, {"IF2612", "IO2612-C-3900"}},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> slots = EncodeTextSlots(c.texts, c.slotSize);
        ASSERT_EQ(slots.size(), c.texts.size() * c.slotSize);
        for (std::size_t i = 0; i < c.expectedBack.size(); ++i) {
            const char* slot = reinterpret_cast<const char*>(slots.data()) + i * c.slotSize;
            EXPECT_EQ(ReadTextSlot(slot, c.slotSize), c.expectedBack[i]) << "slot " << i;
            EXPECT_EQ(slot[c.slotSize - 1], '\0') << "slot " << i;
        }
    }
}
