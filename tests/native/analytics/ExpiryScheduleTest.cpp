// Expiry dates by the exchanges' rules on the trading calendar, the rules as data a user
// corrects, contract months from codes, and the time left to expiry.
#include <gtest/gtest.h>

#include <chrono>

#include "analytics/ExpirySchedule.h"

namespace quillon::analytics {
namespace {

using namespace std::chrono;

TEST(ExpirySchedule, EachExchangesRuleGivesItsDay) {
    const ExpirySchedule schedule = ExpirySchedule::Defaults();
    const struct {
        const char* exchange;
        const char* product;
        int year, month;
        CivilDate expiry;
    } cases[] = {
        {"CFFEX", "IO", 2026, 12, {2026, 12, 18}},  // the third Friday
        {"CFFEX", "MO", 2026, 6, {2026, 6, 22}},    // the third Friday, 19 June, is closed
        {"SHFE", "cu", 2026, 12, {2026, 11, 24}},   // 5th trading day back from 30 November
        {"SHFE", "au", 2026, 10, {2026, 9, 23}},    // ... with 25 September closed
        {"SHFE", "fu", 2026, 12, {2026, 11, 17}},   // 10th back
        {"INE", "sc", 2026, 12, {2026, 11, 12}},    // 13th back
        {"DCE", "m", 2027, 1, {2026, 12, 16}},      // 12th trading day of December
        {"DCE", "m", 2024, 9, {2024, 8, 7}},        // the 5th, before the 2501 contracts
        {"CZCE", "SR", 2027, 1, {2026, 12, 11}},    // 3rd back from the 15th, a trading day
        {"CZCE", "SR", 2026, 3, {2026, 2, 11}},     // the 15th a Sunday
        {"CZCE", "AP", 2027, 1, {2026, 11, 26}},    // 3rd back from the end of month M-2
        {"GFEX", "si", 2026, 12, {2026, 11, 6}},    // 5th trading day of November
    };
    for (const auto& c : cases) {
        bool outside = false;
        EXPECT_EQ(schedule.ExpiryDate(c.exchange, c.product, c.year, c.month, &outside), c.expiry)
            << c.exchange << " " << c.product << c.year << "-" << c.month;
        EXPECT_FALSE(outside) << c.product;
    }
    bool outside = false;
    EXPECT_EQ(schedule.ExpiryDate("CFFEX", "IO", 2027, 12, &outside), (CivilDate{2027, 12, 17}));
    EXPECT_TRUE(outside) << "2027 has no listed closures: weekdays only, and the caller is told";
    EXPECT_FALSE(schedule.ExpiryDate("LME", "CA", 2026, 12));
    EXPECT_EQ(schedule.StyleOf("CFFEX", "IO"), ExerciseStyle::European);
    EXPECT_EQ(schedule.StyleOf("DCE", "m"), ExerciseStyle::American);
}

TEST(ExpirySchedule, AUsersFileCorrectsTheDefaultsAndNamesTheLinesItCannotRead) {
    ExpirySchedule schedule = ExpirySchedule::Defaults();
    const std::vector<std::string> problems = schedule.Apply(
        "# corrections of 2026\n"
        "closed 2026-12-18        # a closure on the third Friday\n"
        "expiry DCE m trading-day 10 -1\n"
        "style DCE m european\n"
        "closed 2026-13-01\n"
        "expiry CZCE SR fifth-monday\n"
        "calendar-through 2027\n"
        "nonsense\n");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].rfind("line 5:", 0), 0u) << problems[0];
    EXPECT_EQ(problems[1].rfind("line 6:", 0), 0u) << problems[1];
    EXPECT_EQ(problems[2].rfind("line 8:", 0), 0u) << problems[2];
    EXPECT_EQ(schedule.ExpiryDate("CFFEX", "IO", 2026, 12), (CivilDate{2026, 12, 21}));
    EXPECT_EQ(schedule.ExpiryDate("DCE", "m", 2027, 1), (CivilDate{2026, 12, 14}));
    EXPECT_EQ(schedule.ExpiryDate("DCE", "c", 2027, 1), (CivilDate{2026, 12, 16})) << "other products keep theirs";
    EXPECT_EQ(schedule.StyleOf("DCE", "m"), ExerciseStyle::European);
    EXPECT_EQ(schedule.CalendarThrough(), 2027);
    EXPECT_EQ(schedule.ExpiryDate("CZCE", "SR", 2027, 1), (CivilDate{2026, 12, 11}));
    // A calendar closed for weeks after the rule's day names no expiry rather than a far one.
    EXPECT_TRUE(schedule.Apply("closed 2026-12-18 2027-01-31").empty());
    EXPECT_FALSE(schedule.ExpiryDate("CFFEX", "IO", 2026, 12));
}

TEST(ExpirySchedule, ContractMonthsComeFromTheUnderlyingsCode) {
    const struct {
        const char* code;
        std::optional<ContractMonth> month;
    } cases[] = {
        {"IO2612", ContractMonth{"IO", 2026, 12}},
        {"m2701", ContractMonth{"m", 2027, 1}},
        {"SR701", ContractMonth{"SR", 2027, 1}},  // one digit of year: the coming 2027
        {"SR603", ContractMonth{"SR", 2026, 3}},
        {"SR009", ContractMonth{"SR", 2030, 9}},  // four years on
        {"SR109", ContractMonth{"SR", 2021, 9}},  // five back
        {"IO2613", std::nullopt},
        {"2612", std::nullopt},
        {"IO26", std::nullopt},
        {"IO26x2", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<ContractMonth> month = ParseContractMonth(c.code, 2026);
        ASSERT_EQ(month.has_value(), c.month.has_value()) << c.code;
        if (!month) continue;
        EXPECT_EQ(month->product, c.month->product) << c.code;
        EXPECT_EQ(month->year, c.month->year) << c.code;
        EXPECT_EQ(month->month, c.month->month) << c.code;
    }
}

TEST(ExpirySchedule, TimeRunsToThreeInTheAfternoonInBeijing) {
    const CivilDate expiry{2026, 12, 18};
    // 2026-12-18 07:00 UTC is 15:00 in Beijing.
    const auto atExpiry = sys_days{year{2026} / 12 / 18} + hours{7};
    EXPECT_DOUBLE_EQ(YearsToExpiry(expiry, atExpiry), 0);
    EXPECT_DOUBLE_EQ(YearsToExpiry(expiry, atExpiry - days{365}), 1);
    EXPECT_NEAR(YearsToExpiry(expiry, atExpiry - hours{6}), 0.25 / 365, 1e-15);
    EXPECT_LT(YearsToExpiry(expiry, atExpiry + minutes{1}), 0);
    // Days count Beijing's dates: 2026-12-07 20:00 UTC is already the 8th there.
    EXPECT_EQ(CalendarDaysToExpiry(expiry, sys_days{year{2026} / 12 / 7} + hours{20}), 10);
    EXPECT_EQ(CalendarDaysToExpiry(expiry, sys_days{year{2026} / 12 / 7} + hours{15}), 11);
    EXPECT_EQ(BeijingDate(sys_days{year{2026} / 12 / 31} + hours{16}), (CivilDate{2027, 1, 1}));
}

}  // namespace
}  // namespace quillon::analytics
