#include "hostsim/QuoteEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/WireRecords.h"
#include "hostsim/OptionPricing.h"

namespace quillon::hostsim {
namespace {

using host::EmptyPrice;

constexpr double Pi = 3.14159265358979323846;
constexpr int SessionOpenSecond = 9 * 3600 + 30 * 60;
constexpr int SecondsPerDay = 24 * 3600;
// Trading seconds in a year: 252 days of four hours.
constexpr double TradingSecondsPerYear = 252.0 * 4 * 3600;

std::uint64_t SplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DecimalsOf(double tick) {
    double scaled = tick;
    for (int decimals = 0; decimals < 8; ++decimals) {
        if (std::fabs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) return decimals;
        scaled *= 10;
    }
    return 8;
}

double FloorToTick(double value, double tick) {
    return RoundToTick(std::floor(value / tick + 1e-9) * tick, tick);
}

double CeilToTick(double value, double tick) {
    return RoundToTick(std::ceil(value / tick - 1e-9) * tick, tick);
}

bool Has(double price) {
    return price != EmptyPrice;
}

double PriceOrSettlement(const QuoteState& state) {
    return Has(state.last) ? state.last : state.preSettlement;
}

}  // namespace

double RoundToTick(double value, double tick) {
    if (tick <= 0) return value;
    const double onGrid = std::round(value / tick) * tick;
    const double scale = std::pow(10.0, DecimalsOf(tick));
    return std::round(onGrid * scale) / scale;
}

bool IsOnTick(double value, double tick) {
    if (tick <= 0) return true;
    const double ticks = value / tick;
    return std::fabs(ticks - std::round(ticks)) < 1e-6;
}

QuoteEngine::QuoteEngine(const Market& market, std::uint64_t seed, double secondsPerRound)
    : market_(market),
      states_(market.Size()),
      fairPrices_(market.Size(), 0.0),
      randomStates_(market.Size()),
      secondsPerRound_(secondsPerRound) {
    for (std::size_t i = 0; i < market.Size(); ++i) {
        std::uint64_t mix = seed ^ (0xD1B54A32D192ED03ull * (i + 1));
        randomStates_[i] = SplitMix(mix);
        const Instrument& instrument = market.At(i);
        if (!instrument.isOption || instrument.underlying < 0) walking_.push_back(i);
    }
    // Underlyings first: an option's previous settlement comes from its future's.
    for (std::size_t i : walking_) Initialise(i);
    for (std::size_t i = 0; i < market.Size(); ++i) {
        if (market.At(i).isOption && market.At(i).underlying >= 0) Initialise(i);
    }
}

double QuoteEngine::Uniform(std::size_t index) {
    return static_cast<double>(SplitMix(randomStates_[index]) >> 11) * 0x1.0p-53;
}

double QuoteEngine::Normal(std::size_t index) {
    // Box-Muller; u1 is kept away from zero.
    const double u1 = (static_cast<double>(SplitMix(randomStates_[index]) >> 11) + 1.0) * 0x1.0p-53;
    const double u2 = Uniform(index);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * Pi * u2);
}

int QuoteEngine::SecondOfDay() const {
    return (SessionOpenSecond + static_cast<long long>(elapsedSeconds_)) % SecondsPerDay;
}

double QuoteEngine::ElapsedYears() const {
    return elapsedSeconds_ / (365.0 * SecondsPerDay);
}

double QuoteEngine::OptionModelPrice(std::size_t index) const {
    const Instrument& option = market_.At(index);
    const QuoteState& future = states_[static_cast<std::size_t>(option.underlying)];
    const double futurePrice = PriceOrSettlement(future);
    const double years = std::max(option.yearsToExpiry - ElapsedYears(), 1e-4);
    const double volatility = SmileVolatility(option.atTheMoneyVolatility, futurePrice, option.strike);
    double price = RoundToTick(Black76Price(option.isCall, futurePrice, option.strike, volatility, years), option.tick);
    // On the option's tick the intrinsic value is exact (futures ticks are whole
    // multiples of their options' ticks), so rounding never takes a price below it.
    const double intrinsic = option.isCall ? futurePrice - option.strike : option.strike - futurePrice;
    price = std::max({price, RoundToTick(intrinsic, option.tick), option.tick});
    if (option.isCall) price = std::min(price, FloorToTick(futurePrice, option.tick));
    const QuoteState& state = states_[index];
    return std::clamp(price, state.lowerLimit, state.upperLimit);
}

void QuoteEngine::Initialise(std::size_t index) {
    const Instrument& instrument = market_.At(index);
    QuoteState& state = states_[index];
    const double tick = instrument.tick;
    const bool priced = instrument.isOption && instrument.underlying >= 0;

    if (priced) {
        const Instrument& future = market_.At(static_cast<std::size_t>(instrument.underlying));
        const QuoteState& futureState = states_[static_cast<std::size_t>(instrument.underlying)];
        double reference = instrument.referencePrice;
        if (reference <= 0) {
            const double volatility =
                SmileVolatility(instrument.atTheMoneyVolatility, futureState.preSettlement, instrument.strike);
            reference = Black76Price(instrument.isCall, futureState.preSettlement, instrument.strike, volatility,
                                     instrument.yearsToExpiry);
        }
        state.preSettlement = std::max(RoundToTick(reference, tick), tick);
        // Option limits: the option's previous settlement plus or minus the underlying's
        // limit move, never below one tick.
        const double limitMove = futureState.preSettlement * future.limitFraction;
        state.upperLimit = FloorToTick(state.preSettlement + limitMove, tick);
        state.lowerLimit = std::max(CeilToTick(state.preSettlement - limitMove, tick), tick);
    } else {
        state.preSettlement = std::max(RoundToTick(instrument.referencePrice, tick), tick);
        state.upperLimit = FloorToTick(state.preSettlement * (1 + instrument.limitFraction), tick);
        state.lowerLimit = std::max(CeilToTick(state.preSettlement * (1 - instrument.limitFraction), tick), tick);
    }
    auto within = [&](double price) {
        return std::clamp(RoundToTick(price, tick), state.lowerLimit, state.upperLimit);
    };
    state.preClose = within(state.preSettlement * (1 + 0.003 * Normal(index)));
    state.preOpenInterest = std::floor((priced ? 200 : 20000) * (1 + 4 * Uniform(index)));
    state.openInterest = state.preOpenInterest;
    state.bid = state.ask = EmptyPrice;
    state.bidVolume = state.askVolume = 0;
    state.last = state.open = state.high = state.low = EmptyPrice;
    state.volume = 0;
    state.turnover = 0;
    state.updateSecond = SecondOfDay();

    // The session has been open a while: most instruments have traded already.
    double price;
    std::int32_t lots;
    if (priced) {
        price = OptionModelPrice(index);
        const QuoteState& future = states_[static_cast<std::size_t>(instrument.underlying)];
        const double spread = instrument.atTheMoneyVolatility * std::sqrt(instrument.yearsToExpiry);
        const double distance = std::log(instrument.strike / PriceOrSettlement(future)) / spread;
        lots = static_cast<std::int32_t>(std::floor(3000 * std::exp(-distance * distance) * Uniform(index)));
    } else {
        fairPrices_[index] =
            std::clamp(state.preSettlement * (1 + 0.004 * Normal(index)), state.lowerLimit, state.upperLimit);
        price = within(fairPrices_[index]);
        lots = static_cast<std::int32_t>(20000 + 150000 * Uniform(index));
    }
    if (lots > 0) {
        const double open = priced ? price : within(state.preSettlement * (1 + 0.002 * Normal(index)));
        state.open = state.high = state.low = open;
        RecordTrade(index, price, lots);
        state.high = within(std::max(state.high, price) + tick * std::floor(4 * Uniform(index)));
        state.low = within(std::min(state.low, price) - tick * std::floor(4 * Uniform(index)));
    }
    state.bidVolume = 1 + static_cast<std::int32_t>(priced ? 40 * Uniform(index) : 200 * Uniform(index));
    state.askVolume = 1 + static_cast<std::int32_t>(priced ? 40 * Uniform(index) : 200 * Uniform(index));
    if (priced) {
        StepOption(index, false);
    } else {
        StepWalking(index);
    }
    state.changed = true;
}

void QuoteEngine::RecordTrade(std::size_t index, double price, std::int32_t lots) {
    const Instrument& instrument = market_.At(index);
    QuoteState& state = states_[index];
    lots = std::min(lots, std::numeric_limits<std::int32_t>::max() - state.volume);
    state.last = price;
    if (!Has(state.open)) state.open = state.high = state.low = price;
    state.high = std::max(state.high, price);
    state.low = std::min(state.low, price);
    state.volume += lots;
    if (instrument.derivedTurnover) {
        state.turnover = static_cast<double>(state.volume) * price * instrument.multiplier;
    } else {
        state.turnover += static_cast<double>(lots) * price * instrument.multiplier;
    }
    // Each trade opens or closes positions: open interest drifts by up to the lots traded.
    const double drift = std::floor((2.0 * lots + 1) * Uniform(index)) - lots;
    state.openInterest = std::max(0.0, state.openInterest + drift);
}

void QuoteEngine::Stamp(std::size_t index, const QuoteState& before) {
    QuoteState& state = states_[index];
    const bool moved = state.last != before.last || state.volume != before.volume || state.bid != before.bid ||
                       state.ask != before.ask || state.bidVolume != before.bidVolume ||
                       state.askVolume != before.askVolume || state.openInterest != before.openInterest;
    if (moved) {
        state.changed = true;
        state.updateSecond = SecondOfDay();
    }
}

void QuoteEngine::StepWalking(std::size_t index) {
    const Instrument& instrument = market_.At(index);
    QuoteState& state = states_[index];
    const QuoteState before = state;
    const double tick = instrument.tick;
    double& fair = fairPrices_[index];
    // Twice the textbook per-second volatility: a demo board should visibly move.
    const double sigma =
        2 * fair * instrument.atTheMoneyVolatility * std::sqrt(secondsPerRound_ / TradingSecondsPerYear);
    fair += sigma * Normal(index);
    // Prices reflect off the daily limits instead of sticking to them.
    if (fair > state.upperLimit) fair = std::max(state.lowerLimit, 2 * state.upperLimit - fair);
    if (fair < state.lowerLimit) fair = std::min(state.upperLimit, 2 * state.lowerLimit - fair);
    const double price = std::clamp(RoundToTick(fair, tick), state.lowerLimit, state.upperLimit);
    if (Uniform(index) < 0.6) RecordTrade(index, price, 1 + static_cast<std::int32_t>(30 * Uniform(index)));

    const double bid = FloorToTick(fair, tick);
    state.bid = bid >= state.lowerLimit && bid <= state.upperLimit ? bid : EmptyPrice;
    const double ask = RoundToTick(std::max(bid, state.lowerLimit) + tick, tick);
    state.ask = ask <= state.upperLimit ? ask : EmptyPrice;
    if (Uniform(index) < 0.5) state.bidVolume = 1 + static_cast<std::int32_t>(200 * Uniform(index));
    if (Uniform(index) < 0.5) state.askVolume = 1 + static_cast<std::int32_t>(200 * Uniform(index));
    if (!Has(state.bid)) state.bidVolume = 0;
    if (!Has(state.ask)) state.askVolume = 0;
    Stamp(index, before);
}

void QuoteEngine::StepOption(std::size_t index, bool mayTrade) {
    const Instrument& option = market_.At(index);
    QuoteState& state = states_[index];
    const QuoteState before = state;
    const double tick = option.tick;
    const double price = OptionModelPrice(index);
    // Once an option has traded its last price follows the model: a liquid chain
    // reprices with every move of its future.
    if (state.volume > 0) {
        state.last = price;
        state.high = std::max(state.high, price);
        state.low = std::min(state.low, price);
    }
    if (mayTrade) {
        const QuoteState& future = states_[static_cast<std::size_t>(option.underlying)];
        const double spread = option.atTheMoneyVolatility * std::sqrt(option.yearsToExpiry);
        const double distance = std::log(option.strike / PriceOrSettlement(future)) / spread;
        if (Uniform(index) < 0.1 + 0.5 * std::exp(-distance * distance)) {
            RecordTrade(index, price, 1 + static_cast<std::int32_t>(10 * Uniform(index)));
        }
        if (Uniform(index) < 0.5) state.bidVolume = 1 + static_cast<std::int32_t>(40 * Uniform(index));
        if (Uniform(index) < 0.5) state.askVolume = 1 + static_cast<std::int32_t>(40 * Uniform(index));
    }
    // Nobody bids an option worth its minimum tick.
    const double bid = RoundToTick(price - tick, tick);
    state.bid = bid >= state.lowerLimit && bid >= tick ? bid : EmptyPrice;
    const double ask = RoundToTick(price + tick, tick);
    state.ask = ask <= state.upperLimit ? ask : EmptyPrice;
    if (Has(state.bid) && state.bidVolume == 0) state.bidVolume = 1;
    if (Has(state.ask) && state.askVolume == 0) state.askVolume = 1;
    if (!Has(state.bid)) state.bidVolume = 0;
    if (!Has(state.ask)) state.askVolume = 0;
    Stamp(index, before);
}

void QuoteEngine::AdvanceRound(const std::vector<std::size_t>& active) {
    ++round_;
    elapsedSeconds_ += secondsPerRound_;
    for (std::size_t index : walking_) StepWalking(index);
    for (std::size_t index : active) {
        if (index >= market_.Size()) continue;
        const Instrument& instrument = market_.At(index);
        if (instrument.isOption && instrument.underlying >= 0) StepOption(index, true);
    }
}

void QuoteEngine::Refresh(std::size_t index) {
    if (index >= market_.Size()) return;
    const Instrument& instrument = market_.At(index);
    if (instrument.isOption && instrument.underlying >= 0) StepOption(index, false);
}

std::string QuoteEngine::ClockText(int secondOfDay) {
    char text[16];
    const int second = ((secondOfDay % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    return text;
}

void QuoteEngine::WriteQuoteRecord(std::size_t index, unsigned char* record) const {
    namespace q = host::quote_record;
    std::fill(record, record + q::Size, static_cast<unsigned char>(0));
    const QuoteState& state = states_[index];
    host::WriteText(record, q::CodeOffset, q::CodeWidth, market_.At(index).code);
    host::WriteDouble(record, q::LastPrice, state.last);
    host::WriteDouble(record, q::PreSettlement, state.preSettlement);
    host::WriteDouble(record, q::PreClose, state.preClose);
    host::WriteDouble(record, q::PreOpenInterest, state.preOpenInterest);
    host::WriteDouble(record, q::OpenPrice, state.open);
    host::WriteDouble(record, q::HighPrice, state.high);
    host::WriteDouble(record, q::LowPrice, state.low);
    host::WriteInt32(record, q::Volume, state.volume);
    host::WriteDouble(record, q::Turnover, state.turnover);
    host::WriteDouble(record, q::OpenInterest, state.openInterest);
    // No close or settlement while the session runs.
    host::WriteDouble(record, q::ClosePrice, EmptyPrice);
    host::WriteDouble(record, q::SettlementPrice, EmptyPrice);
    host::WriteDouble(record, q::UpperLimit, state.upperLimit);
    host::WriteDouble(record, q::LowerLimit, state.lowerLimit);
    host::WriteText(record, q::UpdateTimeOffset, q::UpdateTimeWidth, ClockText(state.updateSecond));
    host::WriteDouble(record, q::BidPrice, state.bid);
    host::WriteInt32(record, q::BidVolume, state.bidVolume);
    host::WriteDouble(record, q::AskPrice, state.ask);
    host::WriteInt32(record, q::AskVolume, state.askVolume);
}

}  // namespace quillon::hostsim
