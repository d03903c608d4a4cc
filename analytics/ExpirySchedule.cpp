#include "analytics/ExpirySchedule.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace quillon::analytics {

namespace {

// What the exchanges published (MARKET.md of the project's shared notes, 2023-2025).
constexpr std::string_view DefaultSchedule = R"(
expiry CFFEX * third-friday
expiry SHFE * last-trading-day 5 -1
expiry SHFE fu last-trading-day 10 -1
expiry INE * last-trading-day 5 -1
expiry INE sc last-trading-day 13 -1
expiry DCE * trading-day 5 -1
expiry DCE * trading-day 12 -1 from 2501
expiry CZCE * last-trading-day 3 -1 15
expiry CZCE AP last-trading-day 3 -2
expiry CZCE PX last-trading-day 3 -2
expiry GFEX * trading-day 5 -1
style CFFEX * european
closed 2025-01-01
closed 2025-01-28 2025-01-31
closed 2025-02-03 2025-02-04
closed 2025-04-04
closed 2025-05-01 2025-05-02
closed 2025-05-05
closed 2025-06-02
closed 2025-10-01 2025-10-03
closed 2025-10-06 2025-10-08
closed 2026-01-01 2026-01-02
closed 2026-02-16 2026-02-20
closed 2026-02-23
closed 2026-04-06
closed 2026-05-01
closed 2026-05-04 2026-05-05
closed 2026-06-19
closed 2026-09-25
closed 2026-10-01 2026-10-02
closed 2026-10-05 2026-10-07
calendar-through 2026
)";

constexpr int BeijingOffsetSeconds = 8 * 3600;
constexpr int ExpiryHourBeijing = 15;

std::optional<int> ReadInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<CivilDate> ReadDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = ReadInt(text.substr(0, 4));
    const auto month = ReadInt(text.substr(5, 2));
    const auto day = ReadInt(text.substr(8, 2));
    if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
    const CivilDate date{*year, *month, *day};
    if (CivilFromDays(DaysFromCivil(date)) != date) return std::nullopt;  // 2026-02-30
    return date;
}

int DaysInMonth(int year, int month) {
    const int next = DaysFromCivil(month == 12 ? CivilDate{year + 1, 1, 1} : CivilDate{year, month + 1, 1});
    return next - DaysFromCivil(CivilDate{year, month, 1});
}

std::string_view TrimComment(std::string_view line) {
    if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    return line;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        std::size_t end = at;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

}  // namespace

int DaysFromCivil(CivilDate date) {
    // Howard Hinnant's days_from_civil.
    const int y = date.year - (date.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate CivilFromDays(int days) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return CivilDate{yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int WeekdayOf(int days) {
    return days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6;
}

std::optional<ContractMonth> ParseContractMonth(std::string_view underlyingCode, int currentYear) {
    std::size_t letters = 0;
    while (letters < underlyingCode.size() && std::isalpha(static_cast<unsigned char>(underlyingCode[letters])))
        ++letters;
    const std::string_view digits = underlyingCode.substr(letters);
    if (letters == 0 || (digits.size() != 3 && digits.size() != 4)) return std::nullopt;
    const auto number = ReadInt(digits);
    if (!number) return std::nullopt;
    ContractMonth contract{std::string(underlyingCode.substr(0, letters)), 0, *number % 100};
    if (contract.month < 1 || contract.month > 12) return std::nullopt;
    if (digits.size() == 4) {
        contract.year = 2000 + *number / 100;
    } else {
        // One digit of year: the year with that last digit from five years back to four on.
        const int digit = *number / 100;
        contract.year = currentYear - 5 + ((digit - (currentYear - 5)) % 10 + 10) % 10;
    }
    return contract;
}

ExpirySchedule ExpirySchedule::Defaults() {
    ExpirySchedule schedule;
    schedule.Apply(DefaultSchedule);
    return schedule;
}

std::vector<std::string> ExpirySchedule::Apply(std::string_view text) {
    std::vector<std::string> problems;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimComment(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;
        auto problem = [&](const std::string& what) {
            problems.push_back("line " + std::to_string(number) + ": " + what);
        };
        const std::string_view verb = words[0];
        if (verb == "closed" && (words.size() == 2 || words.size() == 3)) {
            const auto first = ReadDate(words[1]);
            const auto last = words.size() == 3 ? ReadDate(words[2]) : first;
            if (!first || !last || *last < *first || DaysFromCivil(*last) - DaysFromCivil(*first) > 366) {
                problem("a closure is a date YYYY-MM-DD, or two in order at most a year apart");
                continue;
            }
            for (int day = DaysFromCivil(*first); day <= DaysFromCivil(*last); ++day) closures_.insert(day);
        } else if (verb == "calendar-through" && words.size() == 2) {
            const auto year = ReadInt(words[1]);
            if (!year || *year < 1990 || *year > 2200) {
                problem("calendar-through takes a year");
                continue;
            }
            calendarThrough_ = *year;
        } else if (verb == "style" && words.size() == 4) {
            if (words[3] != "european" && words[3] != "american") {
                problem("a style is european or american");
                continue;
            }
            styles_[{std::string(words[1]), std::string(words[2])}] =
                words[3] == "european" ? ExerciseStyle::European : ExerciseStyle::American;
        } else if (verb == "expiry" && words.size() >= 4) {
            Rule rule;
            std::vector<std::string_view> rest(words.begin() + 4, words.end());
            if (rest.size() >= 2 && rest[rest.size() - 2] == "from") {
                const auto from = ReadInt(rest.back());
                if (!from || rest.back().size() != 4 || *from % 100 < 1 || *from % 100 > 12) {
                    problem("from takes a contract month YYMM");
                    continue;
                }
                rule.fromContract = (2000 + *from / 100) * 100 + *from % 100;
                rest.resize(rest.size() - 2);
            }
            std::vector<int> numbers;
            bool numeric = true;
            for (std::string_view word : rest) {
                const auto value = ReadInt(word);
                numeric = numeric && value.has_value();
                if (value) numbers.push_back(*value);
            }
            const std::string_view kind = words[3];
            bool valid = numeric;
            if (kind == "third-friday") {
                valid = valid && numbers.empty();
            } else if (kind == "trading-day" || kind == "last-trading-day") {
                const std::size_t most = kind == "trading-day" ? 2 : 3;
                valid = valid && numbers.size() >= 2 && numbers.size() <= most && numbers[0] >= 1 && numbers[0] <= 23 &&
                        numbers[1] >= -12 && numbers[1] <= 0;
                if (valid) {
                    rule.kind = kind == "trading-day" ? RuleKind::TradingDay : RuleKind::LastTradingDay;
                    rule.n = numbers[0];
                    rule.monthOffset = numbers[1];
                    rule.anchorDay = numbers.size() == 3 ? numbers[2] : 0;
                    valid = rule.anchorDay >= 0 && rule.anchorDay <= 31;
                }
            } else {
                valid = false;
            }
            if (!valid) {
                problem("an expiry rule is third-friday, trading-day N OFFSET or last-trading-day N OFFSET [DAY]");
                continue;
            }
            std::vector<Rule>& list = rules_[{std::string(words[1]), std::string(words[2])}];
            std::erase_if(list, [&](const Rule& other) { return other.fromContract == rule.fromContract; });
            list.push_back(rule);
            std::sort(list.begin(), list.end(),
                      [](const Rule& a, const Rule& b) { return a.fromContract > b.fromContract; });
        } else {
            problem("not a line this file takes: " + std::string(line));
        }
    }
    return problems;
}

const ExpirySchedule::Rule* ExpirySchedule::RuleFor(std::string_view exchange, std::string_view product,
                                                    int contract) const {
    for (std::string_view key : {product, std::string_view("*")}) {
        const auto found = rules_.find({std::string(exchange), std::string(key)});
        if (found == rules_.end()) continue;
        for (const Rule& rule : found->second) {
            if (rule.fromContract <= contract) return &rule;
        }
    }
    return nullptr;
}

ExerciseStyle ExpirySchedule::StyleOf(std::string_view exchange, std::string_view product) const {
    for (std::string_view key : {product, std::string_view("*")}) {
        const auto found = styles_.find({std::string(exchange), std::string(key)});
        if (found != styles_.end()) return found->second;
    }
    return ExerciseStyle::American;
}

bool ExpirySchedule::IsTradingDay(CivilDate date) const {
    const int days = DaysFromCivil(date);
    const int weekday = WeekdayOf(days);
    return weekday != 0 && weekday != 6 && closures_.count(days) == 0;
}

std::optional<CivilDate> ExpirySchedule::ExpiryDate(std::string_view exchange, std::string_view product, int year,
                                                    int month, bool* outsideCalendar) const {
    if (month < 1 || month > 12 || year < 1990 || year > 2200) return std::nullopt;
    const Rule* rule = RuleFor(exchange, product, year * 100 + month);
    if (rule == nullptr) return std::nullopt;
    // The month the rule counts in.
    int countedYear = year, countedMonth = month + rule->monthOffset;
    while (countedMonth < 1) {
        countedMonth += 12;
        --countedYear;
    }
    auto trading = [&](int days) {
        const CivilDate date = CivilFromDays(days);
        if (outsideCalendar && date.year > calendarThrough_) *outsideCalendar = true;
        return IsTradingDay(date);
    };
    const int first = DaysFromCivil({countedYear, countedMonth, 1});
    const int last = first + DaysInMonth(countedYear, countedMonth) - 1;
    switch (rule->kind) {
        case RuleKind::ThirdFriday: {
            // A calendar that closes a whole month after the Friday names no day.
            const int friday = first + (5 - WeekdayOf(first) + 7) % 7 + 14;
            for (int day = friday; day <= friday + 31; ++day) {
                if (trading(day)) return CivilFromDays(day);
            }
            return std::nullopt;
        }
        case RuleKind::TradingDay: {
            int seen = 0;
            for (int day = first; day <= last; ++day) {
                if (trading(day) && ++seen == rule->n) return CivilFromDays(day);
            }
            return std::nullopt;
        }
        case RuleKind::LastTradingDay: {
            const int anchor = rule->anchorDay == 0 ? last : std::min(first + rule->anchorDay - 1, last);
            int seen = 0;
            for (int day = anchor; day >= first; --day) {
                if (trading(day) && ++seen == rule->n) return CivilFromDays(day);
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

double YearsToExpiry(CivilDate expiry, std::chrono::system_clock::time_point now) {
    const long long expirySeconds =
        static_cast<long long>(DaysFromCivil(expiry)) * 86400 + ExpiryHourBeijing * 3600 - BeijingOffsetSeconds;
    const double nowSeconds = std::chrono::duration<double>(now.time_since_epoch()).count();
    return (static_cast<double>(expirySeconds) - nowSeconds) / (365.0 * 86400);
}

CivilDate BeijingDate(std::chrono::system_clock::time_point now) {
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count() + BeijingOffsetSeconds;
    const long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    return CivilFromDays(static_cast<int>(days));
}

int CalendarDaysToExpiry(CivilDate expiry, std::chrono::system_clock::time_point now) {
    return DaysFromCivil(expiry) - DaysFromCivil(BeijingDate(now));
}

}  // namespace quillon::analytics
