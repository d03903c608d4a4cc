// Also built into the Win32 suite: the same texts must come out under MinGW's runtime.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/WireRecords.h"
#include "model/CodeFormat.h"

namespace quillon::model {
namespace {

TEST(PriceFormat, CountsTheDecimalsOfATick) {
    struct Case {
        double tick;
        int decimals;
    };
    const Case cases[] = {
        {0.01, 2},
        {0.2, 1},
        {1.0, 0},
        {0.0001, 4},
        {0.5, 1},
        {5.0, 0},
        {10.0, 0},
        {0.001, 3},
        // The double nearest 0.0000005 lies just below it, so it rounds to 0.000000.
        {0.000001, 6},
        {0.00000051, 6},
        {0.0000005, 0},
        {0.00000049, 0},
        {0.0, 0},
        {-0.0, 0},
        {-0.01, 2},
        {0.125, 3},
        {0.0000001, 0},
        {1e300, 0},
        {std::numeric_limits<double>::denorm_min(), 0},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
        {host::EmptyPrice, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tick " << c.tick);
        EXPECT_EQ(CountDecimals(c.tick), c.decimals);
    }
}

TEST(PriceFormat, PrintsWithTheDecimalsOfTheTick) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        double tick;
        const char* text;
    };
    const Case cases[] = {
        {3901.2, 0.2, "3901.2"},
        {3901.0, 1.0, "3901"},
        {0.05, 0.001, "0.050"},
        {2900.5, 0.5, "2900.5"},
        {-12.4, 0.2, "-12.4"},
        {0.0, 0.01, "0.00"},
        {123456789.0, 0.0001, "123456789.0000"},
        {3901.2, 0.0, "3901"},
        {3901.6, 0.0, "3902"},
        {3901.2, 0.0000001, "3901"},
        {1.5, 0.000001, "1.500000"},
        // Rounding is that of the exact binary value, ties to even: 0.125 and 2.5 are exact
        // ties, 0.15 and 2.675 lie just below their halves.
        {0.125, 0.01, "0.12"},
        {0.375, 0.01, "0.38"},
        {2.5, 1.0, "2"},
        {3.5, 1.0, "4"},
        {0.15, 0.1, "0.1"},
        {2.675, 0.01, "2.67"},
        {-0.001, 0.01, "-0.00"},
        {1e20, 0.01, "100000000000000000000.00"},
        {host::EmptyPrice, 0.2, "-"},
        {-host::EmptyPrice, 0.2, "-"},
        {std::nextafter(host::EmptyPrice, 0.0), 0.2, "-"},
        {3901.2, host::EmptyPrice, "-"},
        {3901.2, -host::EmptyPrice, "-"},
        {0.0, host::EmptyPrice, "-"},
        {nan, 0.2, "-"},
        {-nan, 0.2, "-"},
        {infinity, 0.2, "-"},
        {-infinity, 1.0, "-"},
        {3901.2, nan, "3901"},
        {3901.2, infinity, "3901"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value << " tick " << c.tick);
        EXPECT_EQ(FormatPrice(c.value, c.tick), c.text);
    }
}

TEST(PriceFormat, PrintsTheLargestPricesInFull) {
    const std::string largest = FormatPrice(1e308, 0.000001);
    EXPECT_EQ(largest.size(), 309u + 7u);
    EXPECT_EQ(largest.substr(0, 4), "1000");
    EXPECT_EQ(largest.substr(largest.size() - 7), ".000000");
}

}  // namespace
}  // namespace quillon::model
