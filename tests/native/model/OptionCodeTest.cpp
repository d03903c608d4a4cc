#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/CodeFormat.h"

namespace quillon::model {
namespace {

using namespace std::string_literals;

struct ParseCase {
    std::string code;
    std::string exchange;
    bool parses;
    std::string underlying;
    bool isCall;
    std::string strike;
};

TEST(OptionCode, SplitsDashedAndLetterFormsByExchange) {
    const std::string field31(31, 'A');
    const std::string field32(32, 'A');
    const ParseCase cases[] = {
        {"IO2301-C-3900", "CFFEX", true, "IO2301", true, "3900"},
        {"HO2612-P-2700", "CFFEX", true, "HO2612", false, "2700"},
        {"m2701-C-2900", "DCE", true, "m2701", true, "2900"},
        {"i2701-P-800", "DCE", true, "i2701", false, "800"},
        {"si2701-C-12000", "GFEX", true, "si2701", true, "12000"},
        // Anything but 'C' leading the type field is a put.
        {"m2701-X-2900", "DCE", true, "m2701", false, "2900"},
        {"m2701-Call-2900", "DCE", true, "m2701", true, "2900"},
        {"m2701-c-2900", "DCE", true, "m2701", false, "2900"},
        // The strike field reads like "%s": blanks before it skipped, text after a blank ignored.
        {"m2701-C- 2900", "DCE", true, "m2701", true, "2900"},
        {"m2701-C-2900 x", "DCE", true, "m2701", true, "2900"},
        {"m2701-C-2900-1", "DCE", true, "m2701", true, "2900-1"},
        {"IO2301-C", "CFFEX", false, "", false, ""},
        {"IO2301-C-", "CFFEX", false, "", false, ""},
        {"IO2301-C- ", "CFFEX", false, "", false, ""},
        {"IO2301--3900", "CFFEX", false, "", false, ""},
        {"-C-3900", "CFFEX", false, "", false, ""},
        {"IO2301C3900", "CFFEX", false, "", false, ""},
        {"", "CFFEX", false, "", false, ""},
        {field31 + "-C-3900", "DCE", true, field31, true, "3900"},
        {"m2701-" + field31 + "-3900", "DCE", true, "m2701", false, "3900"},
        {"m2701-C-" + field31, "DCE", true, "m2701", true, field31},
        {field32 + "-C-3900", "DCE", false, "", false, ""},
        {"m2701-" + field32 + "-3900", "DCE", false, "", false, ""},
        {"m2701-C-" + field32, "DCE", false, "", false, ""},
        // The code ends at its first NUL, wherever the caller's text ends.
        {"m2701-C-2900\0-77"s, "DCE", true, "m2701", true, "2900"},
        {"m2701\0-C-2900"s, "DCE", false, "", false, ""},
        // Code page 936 bytes pass through untouched.
        {"\xB6\xB9\xC6\xC9-C-2900", "DCE", true, "\xB6\xB9\xC6\xC9", true, "2900"},

        {"SR301C5000", "CZCE", true, "SR301", true, "5000"},
        {"SR301P5000", "CZCE", true, "SR301", false, "5000"},
        {"MA701P2500", "CZCE", true, "MA701", false, "2500"},
        // CF's own C lies before position 5: a put, not a call at position 0.
        {"CF701P12000", "CZCE", true, "CF701", false, "12000"},
        {"CF701C12000", "CZCE", true, "CF701", true, "12000"},
        {"CJ701P9000", "CZCE", true, "CJ701", false, "9000"},
        // The first C at or after position 5 wins, even past a P.
        {"SR301P50C0", "CZCE", true, "SR301P50", true, "0"},
        {"SR301C", "CZCE", false, "", false, ""},
        {"SR3015000", "CZCE", false, "", false, ""},
        {"SRC01", "CZCE", false, "", false, ""},
        {"SR01C", "CZCE", false, "", false, ""},
        {"", "CZCE", false, "", false, ""},
        {"SR301C5000\0P1"s, "CZCE", true, "SR301", true, "5000"},
        // Only the exact identifier means the letter form.
        {"SR301C5000", "czce", false, "", false, ""},
        {"SR301-C-5000", "czce", true, "SR301", true, "5000"},
        {"SR301-C-5000", "CZCE", true, "SR301-", true, "-5000"},
        {"SR301C5000", "CZCE\0junk"s, true, "SR301", true, "5000"},
        // SHFE and INE spell options without dashes; they are not option codes of their form.
        {"cu2612C75000", "SHFE", false, "", false, ""},
        {"sc2701P630", "INE", false, "", false, ""},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE("code " + c.code + " on " + c.exchange);
        const auto parts = ParseOptionCode(c.code, c.exchange);
        ASSERT_EQ(parts.has_value(), c.parses);
        if (!parts) continue;
        EXPECT_EQ(parts->underlying, c.underlying);
        EXPECT_EQ(parts->isCall, c.isCall);
        EXPECT_EQ(parts->strike, c.strike);
    }
}

TEST(OptionCode, CallAndPutShareOneStrikeKey) {
    EXPECT_EQ(MakeStrikeKey("IO2301-C-3900", "CFFEX"), "IO2301-3900");
    EXPECT_EQ(MakeStrikeKey("IO2301-P-3900", "CFFEX"), "IO2301-3900");
    EXPECT_EQ(MakeStrikeKey("SR301C5000", "CZCE"), "SR301-5000");
    EXPECT_EQ(MakeStrikeKey("SR301P5000", "CZCE"), "SR301-5000");
    EXPECT_EQ(MakeStrikeKey("IO2301-C", "CFFEX"), std::nullopt);
    EXPECT_EQ(MakeStrikeKey("SR30", "CZCE"), std::nullopt);
}

TEST(NearlyEqual, JudgesTheDifferenceByStoredExponents) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const double maximum = std::numeric_limits<double>::max();
    struct Case {
        double a;
        double b;
        bool equal;
    };
    const Case cases[] = {
        {1.0, 1.0, true},
        {0.0, -0.0, true},
        {1.0, 1.0 + std::ldexp(1.0, -48), false},
        {1.0, 1.0 + std::ldexp(1.0, -49), true},
        {1.0 + std::ldexp(1.0, -49), 1.0, true},
        // Below 1 the smaller operand's exponent is one less, so the same step no longer counts.
        {1.0, 1.0 - std::ldexp(1.0, -49), false},
        {1.0, 1.0 - std::ldexp(1.0, -50), true},
        {3900.2, 3900.2 + std::ldexp(3900.2, -52), true},
        {3900.2, 3900.4, false},
        {0.0, std::numeric_limits<double>::denorm_min(), false},
        {maximum, std::nextafter(maximum, 0.0), true},
        {maximum, 1e308, false},
        {maximum, infinity, false},
        {infinity, infinity, true},
        {nan, nan, false},
        {nan, 1.0, false},
        {1.0, nan, false},
        {maximum, nan, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << c.a << " vs " << c.b);
        EXPECT_EQ(NearlyEqual(c.a, c.b), c.equal);
    }
}

}  // namespace
}  // namespace quillon::model
