#pragma once

#include <string>

#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::model {

struct Instrument {
    std::string code;
    std::string exchange;
    char productClass;
    double tick;
};

inline InstrumentRecordBytes MakeRecord(const Instrument& instrument) {
    InstrumentRecordBytes record{};
    // Unread fields carry something, so a record that is not kept whole shows it.
    record.fill(0x5A);
    host::WriteText(record.data(), host::instrument_record::CodeOffset, host::instrument_record::CodeWidth,
                    instrument.code);
    host::WriteText(record.data(), host::instrument_record::ExchangeOffset, 32, instrument.exchange);
    record[host::instrument_record::ProductClassOffset] = static_cast<unsigned char>(instrument.productClass);
    host::WriteDouble(record.data(), host::instrument_record::PriceTickOffset, instrument.tick);
    return record;
}

}  // namespace quillon::model
