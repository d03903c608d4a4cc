#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/WireRecords.h"

using namespace quillon::host;

namespace {

// Byte images laid out by hand from the record tables' literal offsets, so a wrong field
// constant reads a neighbour's value instead of its own.
void PutDouble(std::vector<unsigned char>& image, std::size_t offset, double value) {
    std::memcpy(image.data() + offset, &value, sizeof value);
}
void PutInt32(std::vector<unsigned char>& image, std::size_t offset, std::int32_t value) {
    std::memcpy(image.data() + offset, &value, sizeof value);
}
void PutText(std::vector<unsigned char>& image, std::size_t offset, const std::string& text) {
    std::memcpy(image.data() + offset, text.c_str(), text.size() + 1);
}

}  // namespace

TEST(WireRecords, QuoteFieldsAreReadAtTheRecordTablesOffsets) {
    namespace q = quote_record;
    std::vector<unsigned char> image(592, 0xEE);
    const struct {
        std::size_t field;
        std::size_t offset;
    } prices[] = {{q::LastPrice, 120},    {q::PreSettlement, 128}, {q::PreClose, 136},        {q::PreOpenInterest, 144},
                  {q::OpenPrice, 152},    {q::HighPrice, 160},     {q::LowPrice, 168},        {q::Turnover, 184},
                  {q::OpenInterest, 192}, {q::ClosePrice, 200},    {q::SettlementPrice, 208}, {q::UpperLimit, 216},
                  {q::LowerLimit, 224},   {q::BidPrice, 264},      {q::AskPrice, 280}},
      volumes[] = {{q::Volume, 176}, {q::BidVolume, 272}, {q::AskVolume, 288}};
    for (std::size_t i = 0; i < std::size(prices); ++i) PutDouble(image, prices[i].offset, 1000.5 + i);
    for (std::size_t i = 0; i < std::size(volumes); ++i) PutInt32(image, volumes[i].offset, -7 - static_cast<int>(i));
    PutText(image, 9, "IO2612-C-3900");
    PutText(image, 248, "14:59:59");

    EXPECT_EQ(q::Size, image.size());
    for (std::size_t i = 0; i < std::size(prices); ++i) {
        EXPECT_EQ(ReadDouble(image.data(), prices[i].field), 1000.5 + i) << "the field at " << prices[i].offset;
    }
    for (std::size_t i = 0; i < std::size(volumes); ++i) {
        EXPECT_EQ(ReadInt32(image.data(), volumes[i].field), -7 - static_cast<int>(i)) << volumes[i].offset;
    }
    EXPECT_EQ(QuoteCode(image.data()), "IO2612-C-3900");
    EXPECT_EQ(ReadText(image.data(), q::UpdateTimeOffset, q::UpdateTimeWidth), "14:59:59");

    // The writers put each value where the table has it, and nowhere else.
    std::vector<unsigned char> written(q::Size, 0xEE);
    for (std::size_t i = 0; i < std::size(prices); ++i) WriteDouble(written.data(), prices[i].field, 1000.5 + i);
    for (std::size_t i = 0; i < std::size(volumes); ++i) {
        WriteInt32(written.data(), volumes[i].field, -7 - static_cast<int>(i));
    }
    WriteText(written.data(), q::CodeOffset, q::CodeWidth, "IO2612-C-3900");
    WriteText(written.data(), q::UpdateTimeOffset, q::UpdateTimeWidth, "14:59:59");
    for (std::size_t at = 0; at < image.size(); ++at) {
        // Text fields are zero-padded by the writer; the hand-made image keeps 0xEE there.
        const bool padding = (at > 9 + 13 && at < 9 + 31) || (at > 248 + 8 && at < 248 + 16);
        if (padding) continue;
        EXPECT_EQ(written[at], image[at]) << "byte " << at;
    }
}

TEST(WireRecords, QuoteCodeIsReadWithinItsThirtyOneBytesNulOrNot) {
    std::vector<unsigned char> record(quote_record::Size, 'Z');
    EXPECT_EQ(QuoteCode(record.data()), std::string(31, 'Z'));
    record[9 + 5] = 0;
    EXPECT_EQ(QuoteCode(record.data()), std::string(5, 'Z'));
    record[9] = 0;
    EXPECT_EQ(QuoteCode(record.data()), "");
}

TEST(WireRecords, InstrumentFieldsAreReadAtTheRecordTablesOffsets) {
    std::vector<unsigned char> image(400, 0);
    PutText(image, 0, "m2701-C-2800");
    PutText(image, 64, "DCE");
    image[232] = '2';
    PutDouble(image, 264, 0.5);
    EXPECT_EQ(instrument_record::Size, image.size());
    EXPECT_EQ(InstrumentCode(image.data()), "m2701-C-2800");
    EXPECT_EQ(InstrumentExchange(image.data()), "DCE");
    EXPECT_EQ(InstrumentProductClass(image.data()), '2');
    EXPECT_EQ(InstrumentPriceTick(image.data()), 0.5);

    // Unterminated texts stop at their field: the code at 64 bytes, the exchange before
    // the product class.
    std::vector<unsigned char> full(instrument_record::Size, 'X');
    full[instrument_record::ProductClassOffset] = '1';
    EXPECT_EQ(InstrumentCode(full.data()), std::string(64, 'X'));
    EXPECT_EQ(InstrumentExchange(full.data()), std::string(232 - 64, 'X'));
}
