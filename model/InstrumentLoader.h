#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::model {

// The instrument load, the host's and our side of it in one place: the exchange list
// replaces the exchange set; then each exchange is asked for its codes, one at a time in
// the list's order; once the last has answered, each code (in code order) is asked for
// its instrument definition, one at a time; the last definition builds the option chain
// and makes the market data ready. One request is outstanding at any time, and the next
// goes out only when the reply to it has come.
class InstrumentLoader {
public:
    // Where the requests go: the host library in the program, a recorder in tests.
    class Requests {
    public:
        virtual ~Requests() = default;
        virtual void ExchangeCodes(const std::string& exchange) = 0;
        virtual void Instrument(const std::string& code) = 0;
    };

    // `newOptionType` is the product class the host gives options; their records are
    // stored with the class the program reads as option.
    InstrumentLoader(MarketData& market, Requests& requests, char newOptionType)
        : market_(market), requests_(requests), newOptionType_(newOptionType) {}

    void OnExchanges(const std::vector<std::string>& exchanges);
    // One exchange's codes. No codes from any exchange ends the load without DataReady.
    void OnExchangeCodes(const std::vector<std::string>& codes);
    // One instrument definition; true when it was the last and the market data is ready.
    bool OnInstrument(InstrumentRecordBytes record);

private:
    void RequestNextExchange();
    void RequestNextInstrument();

    MarketData& market_;
    Requests& requests_;
    char newOptionType_;
    std::deque<std::string> exchangeQueue_;
    std::deque<std::string> instrumentQueue_;
};

}  // namespace quillon::model
