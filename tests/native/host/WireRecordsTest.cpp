#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "host/WireRecords.h"

using namespace quillon::host;

TEST(WireRecords, EmptyPriceIsTheLargestDouble) {
    EXPECT_EQ(EmptyPrice, DBL_MAX);
}

TEST(WireRecords, QuoteFieldsSitAtTheirOffsets) {
    namespace q = quote_record;
    std::vector<unsigned char> record(q::Size, 0xEE);
    const std::size_t priceOffsets[] = {q::LastPrice,    q::PreSettlement, q::PreClose,        q::PreOpenInterest,
                                        q::OpenPrice,    q::HighPrice,     q::LowPrice,        q::Turnover,
                                        q::OpenInterest, q::ClosePrice,    q::SettlementPrice, q::UpperLimit,
                                        q::LowerLimit,   q::BidPrice,      q::AskPrice};
    const std::size_t volumeOffsets[] = {q::Volume, q::BidVolume, q::AskVolume};
    for (std::size_t i = 0; i < std::size(priceOffsets); ++i) WriteDouble(record.data(), priceOffsets[i], 1000.5 + i);
    for (std::size_t i = 0; i < std::size(volumeOffsets); ++i) {
        WriteInt32(record.data(), volumeOffsets[i], -7 - static_cast<int>(i));
    }
    WriteText(record.data(), q::UpdateTimeOffset, q::UpdateTimeWidth, "14:59:59");
    WriteText(record.data(), q::CodeOffset, q::CodeWidth, "IO2612-C-3900");
    // Neighbouring fields do not overlap: every value reads back as written.
    for (std::size_t i = 0; i < std::size(priceOffsets); ++i) {
        EXPECT_EQ(ReadDouble(record.data(), priceOffsets[i]), 1000.5 + i) << priceOffsets[i];
    }
    for (std::size_t i = 0; i < std::size(volumeOffsets); ++i) {
        EXPECT_EQ(ReadInt32(record.data(), volumeOffsets[i]), -7 - static_cast<int>(i)) << volumeOffsets[i];
    }
    EXPECT_EQ(ReadText(record.data(), q::UpdateTimeOffset, q::UpdateTimeWidth), "14:59:59");
    EXPECT_EQ(QuoteCode(record.data()), "IO2612-C-3900");
    // Bytes 0..8 and 40..119 are carried, never written by the field writers.
    EXPECT_EQ(record[8], 0xEE);
    EXPECT_EQ(record[40], 0xEE);
}

TEST(WireRecords, QuoteCodeIsReadWithinItsThirtyOneBytesNulOrNot) {
    std::vector<unsigned char> record(quote_record::Size, 'Z');
    EXPECT_EQ(QuoteCode(record.data()), std::string(31, 'Z'));
    record[9 + 5] = 0;
    EXPECT_EQ(QuoteCode(record.data()), std::string(5, 'Z'));
    record[9] = 0;
    EXPECT_EQ(QuoteCode(record.data()), "");
}

TEST(WireRecords, InstrumentFieldsSitAtTheirOffsets) {
    std::vector<unsigned char> record(instrument_record::Size, 0);
    WriteText(record.data(), instrument_record::CodeOffset, instrument_record::CodeWidth, "m2701-C-2800");
    WriteText(record.data(), instrument_record::ExchangeOffset, 32, "DCE");
    record[instrument_record::ProductClassOffset] = '2';
    WriteDouble(record.data(), instrument_record::PriceTickOffset, 0.5);
    EXPECT_EQ(InstrumentCode(record.data()), "m2701-C-2800");
    EXPECT_EQ(InstrumentExchange(record.data()), "DCE");
    EXPECT_EQ(InstrumentProductClass(record.data()), '2');
    EXPECT_EQ(InstrumentPriceTick(record.data()), 0.5);

    // Unterminated texts stop at their field: the code at 64 bytes, the exchange before
    // the product class.
    std::vector<unsigned char> full(instrument_record::Size, 'X');
    full[instrument_record::ProductClassOffset] = '1';
    EXPECT_EQ(InstrumentCode(full.data()), std::string(64, 'X'));
    EXPECT_EQ(InstrumentExchange(full.data()), std::string(232 - 64, 'X'));
}
