#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analytics/OptionPricing.h"

namespace quillon::analytics {

struct CivilDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    friend auto operator<=>(const CivilDate&, const CivilDate&) = default;
};

// Days since 1970-01-01 and back; the weekday of a day count (0 Sunday .. 6 Saturday).
int DaysFromCivil(CivilDate date);
CivilDate CivilFromDays(int days);
int WeekdayOf(int days);

// An option's contract month, read from its underlying's code: the product letters, then
// the year and month as YYMM, or as YMM on CZCE (its decade the one around `currentYear`).
struct ContractMonth {
    std::string product;
    int year = 0;
    int month = 0;
};
std::optional<ContractMonth> ParseContractMonth(std::string_view underlyingCode, int currentYear);

// How an exchange fixes the last trading day (= expiry day) of a product's options, the
// trading calendar it counts on, and the exercise style of each product. All of it is data
// a user can correct without a rebuild: Defaults() holds what the exchanges published, and
// Apply() reads lines of the same text form from a file that overrides it:
//
//   expiry EXCHANGE PRODUCT third-friday                        in month M; closed: the next trading day
//   expiry EXCHANGE PRODUCT trading-day N OFFSET [from YYMM]    the Nth trading day of month M+OFFSET
//   expiry EXCHANGE PRODUCT last-trading-day N OFFSET [DAY] [from YYMM]
//                       the Nth trading day counted back from day DAY (default: the month's
//                       last day) of month M+OFFSET, that day counted when it is a trading day
//   closed YYYY-MM-DD [YYYY-MM-DD]                               a weekday closure (or a range)
//   calendar-through YYYY                                        the last year whose closures are listed
//   style EXCHANGE PRODUCT european|american
//
// PRODUCT * stands for every product of the exchange; a product's own line wins. A rule with
// "from YYMM" holds from that contract month on. '#' starts a comment.
class ExpirySchedule {
public:
    static ExpirySchedule Defaults();

    // Takes the lines that read; returns one message per line that does not, with its number.
    std::vector<std::string> Apply(std::string_view text);

    // The expiry date of the options of (exchange, product) on this contract month; nothing
    // without a rule. `outsideCalendar` is set when a year without listed closures was
    // counted on (weekdays only).
    std::optional<CivilDate> ExpiryDate(std::string_view exchange, std::string_view product, int year, int month,
                                        bool* outsideCalendar = nullptr) const;
    // American unless a line says otherwise (the defaults make CFFEX's index options European).
    ExerciseStyle StyleOf(std::string_view exchange, std::string_view product) const;

    bool IsTradingDay(CivilDate date) const;
    int CalendarThrough() const { return calendarThrough_; }

    enum class RuleKind { ThirdFriday, TradingDay, LastTradingDay };
    struct Rule {
        RuleKind kind = RuleKind::ThirdFriday;
        int n = 0;
        int monthOffset = 0;
        int anchorDay = 0;     // LastTradingDay: 0 for the month's last day
        int fromContract = 0;  // YYYYMM; 0 for every contract month
    };

private:
    const Rule* RuleFor(std::string_view exchange, std::string_view product, int contract) const;

    // (exchange, product) -> rules, the latest "from" first.
    std::map<std::pair<std::string, std::string>, std::vector<Rule>> rules_;
    std::map<std::pair<std::string, std::string>, ExerciseStyle> styles_;
    std::set<int> closures_;  // day counts
    int calendarThrough_ = 0;
};

// Years of 365 days from `now` to 15:00 Beijing time (UTC+8) on the expiry date; 0 or below
// once that moment has passed.
double YearsToExpiry(CivilDate expiry, std::chrono::system_clock::time_point now);
// Calendar days from today in Beijing to the expiry date.
int CalendarDaysToExpiry(CivilDate expiry, std::chrono::system_clock::time_point now);
// Today's date in Beijing.
CivilDate BeijingDate(std::chrono::system_clock::time_point now);

}  // namespace quillon::analytics
