#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/HostPayloads.h"
#include "host/WireText.h"

using namespace quillon::host;

namespace {

using Strings = std::vector<std::string>;

}  // namespace

TEST(HostPayloads, SlotListsFollowTheirSlotSizeAndEmptyRule) {
    const Strings exchanges = {"CFFEX", "CZCE", "DCE", "SHFE"};
    const Strings codes = {"IO2612-C-3900", "m2701", "\xB6\xB9\xC6\xC9"};  // CP936 bytes pass unchanged
    std::vector<unsigned char> exchangeBytes = EncodeTextSlots(exchanges, 32);
    std::vector<unsigned char> codeBytes = EncodeTextSlots(codes, 64);
    const int exchangeLen = static_cast<int>(exchangeBytes.size());
    const int codeLen = static_cast<int>(codeBytes.size());

    EXPECT_EQ(DecodeExchangeList(0, exchangeBytes.data(), exchangeLen), exchanges);
    EXPECT_EQ(DecodeExchangeList(0, exchangeBytes.data(), 32), Strings{"CFFEX"});
    EXPECT_FALSE(DecodeExchangeList(0, nullptr, 0)) << "an exchange list has at least one entry";
    EXPECT_FALSE(DecodeExchangeList(0, exchangeBytes.data(), 33));
    EXPECT_FALSE(DecodeExchangeList(0, exchangeBytes.data(), 31));
    EXPECT_FALSE(DecodeExchangeList(0, nullptr, 32));
    EXPECT_FALSE(DecodeExchangeList(-1, exchangeBytes.data(), exchangeLen));
    EXPECT_FALSE(DecodeExchangeList(0, exchangeBytes.data(), -32));

    EXPECT_EQ(DecodeExchangeCodes(0, codeBytes.data(), codeLen), codes);
    EXPECT_EQ(DecodeExchangeCodes(0, nullptr, 0), Strings{}) << "no bytes is an empty code list";
    EXPECT_FALSE(DecodeExchangeCodes(0, codeBytes.data(), 65));
    EXPECT_FALSE(DecodeExchangeCodes(0, codeBytes.data(), 32));
    EXPECT_FALSE(DecodeExchangeCodes(0, nullptr, 64));
    EXPECT_FALSE(DecodeExchangeCodes(1, codeBytes.data(), codeLen));
    EXPECT_FALSE(DecodeExchangeCodes(0, codeBytes.data(), -64));

    EXPECT_EQ(DecodeContractListPush(0, codeBytes.data(), codeLen), codes);
    EXPECT_EQ(DecodeContractListPush(0, nullptr, 0), Strings{});
    EXPECT_FALSE(DecodeContractListPush(0, codeBytes.data(), 96));
    EXPECT_FALSE(DecodeContractListPush(2, codeBytes.data(), codeLen));

    EXPECT_EQ(DecodeContractList(0, exchangeBytes.data(), exchangeLen), exchanges);
    EXPECT_EQ(DecodeContractList(0, codeBytes.data(), codeLen),
              (Strings{"IO2612-C-3900", "", "m2701", "", "\xB6\xB9\xC6\xC9", ""}))
        << "the reply to a contract list request comes in 32-byte slots";
    EXPECT_EQ(DecodeContractList(0, nullptr, 0), Strings{});
    EXPECT_FALSE(DecodeContractList(0, exchangeBytes.data(), 48));
    EXPECT_FALSE(DecodeContractList(-5, exchangeBytes.data(), exchangeLen));
}

TEST(HostPayloads, SlotTextsStopAtTheirSlotWithOrWithoutANul) {
    std::vector<unsigned char> full(128, 'A');
    full[64] = 'B';
    std::optional<Strings> texts = DecodeSlotList(full.data(), 128, 64);
    ASSERT_TRUE(texts);
    EXPECT_EQ(*texts, (Strings{std::string(64, 'A'), "B" + std::string(63, 'A')}));
}

TEST(HostPayloads, InstrumentAndSelectionHaveExactLengths) {
    std::vector<unsigned char> instrument(401, 0);
    WriteText(instrument.data(), instrument_record::CodeOffset, 64, "IO2612-C-3900");
    WriteDouble(instrument.data(), instrument_record::PriceTickOffset, 0.2);
    std::optional<InstrumentRecordBytes> record = DecodeInstrumentRecord(0, instrument.data(), 400);
    ASSERT_TRUE(record);
    EXPECT_EQ(InstrumentCode(record->data()), "IO2612-C-3900");
    EXPECT_EQ(InstrumentPriceTick(record->data()), 0.2);
    EXPECT_FALSE(DecodeInstrumentRecord(0, instrument.data(), 399));
    EXPECT_FALSE(DecodeInstrumentRecord(0, instrument.data(), 401));
    EXPECT_FALSE(DecodeInstrumentRecord(0, nullptr, 400));
    EXPECT_FALSE(DecodeInstrumentRecord(1, instrument.data(), 400));

    std::vector<unsigned char> selected = EncodeTextSlots({"SR701C5800", "extra"}, 64);
    EXPECT_EQ(DecodeSelectedCode(0, selected.data(), 64), "SR701C5800");
    EXPECT_FALSE(DecodeSelectedCode(0, selected.data(), 128));
    EXPECT_FALSE(DecodeSelectedCode(0, selected.data(), 63));
    EXPECT_FALSE(DecodeSelectedCode(0, nullptr, 64));
    EXPECT_FALSE(DecodeSelectedCode(-1, selected.data(), 64));
}

TEST(HostPayloads, QuoteNeedsAtLeastAWholeRecord) {
    std::vector<unsigned char> quote(700, 0);
    WriteText(quote.data(), quote_record::CodeOffset, quote_record::CodeWidth, "IO2612-C-3900");
    WriteDouble(quote.data(), quote_record::LastPrice, 123.4);
    quote[591] = 0x77;
    quote[592] = 0x99;
    for (int length : {592, 593, 700}) {
        std::optional<QuoteRecordBytes> record = DecodeQuote(0, quote.data(), length);
        ASSERT_TRUE(record) << length;
        EXPECT_EQ(QuoteCode(record->data()), "IO2612-C-3900");
        EXPECT_EQ(ReadDouble(record->data(), quote_record::LastPrice), 123.4);
        EXPECT_EQ((*record)[591], 0x77);
    }
    for (int length : {0, 1, 300, 591, -592}) EXPECT_FALSE(DecodeQuote(0, quote.data(), length)) << length;
    EXPECT_FALSE(DecodeQuote(0, nullptr, 592));
    EXPECT_FALSE(DecodeQuote(7, quote.data(), 592));
}

TEST(HostPayloads, HostTextIsTheBytesGivenUpToAnyNul) {
    const char text[] = "Hexmoor 7.1";
    EXPECT_EQ(DecodeHostText(0, text, 7), "Hexmoor");
    EXPECT_EQ(DecodeHostText(0, text, sizeof text), "Hexmoor 7.1");
    EXPECT_EQ(DecodeHostText(0, nullptr, 0), "");
    EXPECT_FALSE(DecodeHostText(0, nullptr, 4));
    EXPECT_FALSE(DecodeHostText(0, text, -1));
    EXPECT_FALSE(DecodeHostText(3, text, 7));
}

TEST(HostPayloads, NoDecoderReadsPastTheBytesItIsGiven) {
    // Each buffer is exactly as long as its claimed length, so the sanitizer build
    // catches any read beyond it; texts without a NUL are the usual way to get there.
    std::uint32_t seed = 12345;
    auto nextByte = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<unsigned char>(seed >> 16);
    };
    for (int length = 0; length <= 1300; ++length) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
        for (unsigned char& byte : bytes) byte = (nextByte() % 4 == 0) ? 0 : nextByte() | 1;
        const void* data = bytes.empty() ? nullptr : bytes.data();
        for (int value : {0, 1}) {
            if (auto list = DecodeExchangeList(value, data, length)) {
                EXPECT_EQ(list->size(), bytes.size() / 32);
            }
            if (auto list = DecodeExchangeCodes(value, data, length)) {
                EXPECT_EQ(list->size(), bytes.size() / 64);
            }
            if (auto list = DecodeContractListPush(value, data, length)) {
                EXPECT_EQ(list->size(), bytes.size() / 64);
            }
            if (auto list = DecodeContractList(value, data, length)) {
                for (const std::string& code : *list) EXPECT_LT(code.size(), 33u);
            }
            if (auto text = DecodeHostText(value, data, length)) {
                EXPECT_LE(text->size(), bytes.size());
            }
            if (auto code = DecodeSelectedCode(value, data, length)) {
                EXPECT_LE(code->size(), 64u);
            }
            if (auto quote = DecodeQuote(value, data, length)) {
                EXPECT_LE(QuoteCode(quote->data()).size(), 31u);
            }
            if (auto record = DecodeInstrumentRecord(value, data, length)) {
                EXPECT_LE(InstrumentExchange(record->data()).size(), 168u);
            }
        }
    }
}
