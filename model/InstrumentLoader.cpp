#include "model/InstrumentLoader.h"

#include <utility>

#include "model/DataMutex.h"

namespace quillon::model {

void InstrumentLoader::OnExchanges(const std::vector<std::string>& exchanges) {
    exchangeQueue_.assign(exchanges.begin(), exchanges.end());
    market_.ReplaceExchangeSet(ExchangeSet(exchanges.begin(), exchanges.end()));
    RequestNextExchange();
}

void InstrumentLoader::RequestNextExchange() {
    if (exchangeQueue_.empty()) return;
    std::string exchange = std::move(exchangeQueue_.front());
    exchangeQueue_.pop_front();
    requests_.ExchangeCodes(exchange);
}

void InstrumentLoader::RequestNextInstrument() {
    if (instrumentQueue_.empty()) return;
    std::string code = std::move(instrumentQueue_.front());
    instrumentQueue_.pop_front();
    requests_.Instrument(code);
}

void InstrumentLoader::OnExchangeCodes(const std::vector<std::string>& codes) {
    for (const std::string& code : codes) market_.AddInstrumentCode(code);
    if (!exchangeQueue_.empty()) {
        RequestNextExchange();
        return;
    }
    // Every exchange has answered: ask for each instrument, one at a time.
    InstrumentCodeSet allCodes = market_.CopyInstrumentCodeSet();
    if (allCodes.empty()) return;
    instrumentQueue_.insert(instrumentQueue_.end(), allCodes.begin(), allCodes.end());
    RequestNextInstrument();
}

bool InstrumentLoader::OnInstrument(InstrumentRecordBytes record) {
    char& productClass = reinterpret_cast<char&>(record[host::instrument_record::ProductClassOffset]);
    if (productClass == newOptionType_) productClass = host::instrument_record::OptionClass;
    market_.InsertInstrument(host::InstrumentCode(record.data()), record);
    if (!instrumentQueue_.empty()) {
        RequestNextInstrument();
        return false;
    }
    {
        DataLock lock;
        market_.BuildOptionChain();
    }
    market_.SetDataReady();
    return true;
}

}  // namespace quillon::model
