#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/Market.h"

namespace quillon::hostsim {

// The level-1 quote of one instrument. Prices without a value hold host::EmptyPrice.
struct QuoteState {
    double last = 0;
    double preSettlement = 0;
    double preClose = 0;
    double preOpenInterest = 0;
    double open = 0;
    double high = 0;
    double low = 0;
    std::int32_t volume = 0;
    double turnover = 0;
    double openInterest = 0;
    double upperLimit = 0;
    double lowerLimit = 0;
    double bid = 0;
    std::int32_t bidVolume = 0;
    double ask = 0;
    std::int32_t askVolume = 0;
    int updateSecond = 0;  // seconds since midnight, simulated clock
    bool changed = false;  // something moved since the flag was last cleared
};

// Moves the market: futures by a random walk on their tick, options by Black-76 from
// their future's last price with a volatility smile. Every instrument draws from its
// own random stream, so its quotes depend only on the seed and on the rounds in which
// it was stepped, not on what else was subscribed or how fast the link was.
class QuoteEngine {
public:
    // The market must outlive the engine. Options without a reference price get their
    // previous settlement from their underlying's.
    QuoteEngine(const Market& market, std::uint64_t seed, double secondsPerRound = 0.5);

    // One round of the simulated clock: every future (and every option that has no
    // listed underlying) moves; the `active` instruments (the subscribed ones) trade and
    // reprice. Other options are brought up to date by Refresh when they are asked for.
    void AdvanceRound(const std::vector<std::size_t>& active);
    void Refresh(std::size_t index);

    void SetSecondsPerRound(double seconds) { secondsPerRound_ = seconds; }
    std::uint64_t Round() const { return round_; }

    const QuoteState& State(std::size_t index) const { return states_[index]; }
    void ClearChanged(std::size_t index) { states_[index].changed = false; }

    // The 592-byte QuoteRecord of an instrument.
    void WriteQuoteRecord(std::size_t index, unsigned char* record) const;

    // "HH:MM:SS" of a second of the day.
    static std::string ClockText(int secondOfDay);

private:
    void Initialise(std::size_t index);
    void StepWalking(std::size_t index);
    void StepOption(std::size_t index, bool mayTrade);
    double OptionModelPrice(std::size_t index) const;
    void RecordTrade(std::size_t index, double price, std::int32_t lots);
    void Stamp(std::size_t index, const QuoteState& before);
    double Uniform(std::size_t index);
    double Normal(std::size_t index);
    int SecondOfDay() const;
    double ElapsedYears() const;

    const Market& market_;
    std::vector<QuoteState> states_;
    // Futures and options without an underlying: the unrounded price that walks.
    std::vector<double> fairPrices_;
    std::vector<std::uint64_t> randomStates_;
    std::vector<std::size_t> walking_;
    double secondsPerRound_;
    double elapsedSeconds_ = 0;
    std::uint64_t round_ = 0;
};

// A price rounded to the nearest multiple of `tick`, as the closest double to its decimal
// text (3901.2, not 3901.2000000000003).
double RoundToTick(double value, double tick);
// True when the value is a whole number of ticks (within rounding noise).
bool IsOnTick(double value, double tick);

}  // namespace quillon::hostsim
