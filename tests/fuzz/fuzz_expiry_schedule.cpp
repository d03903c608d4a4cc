// A user's expiry-rule file, whatever it holds: read without a trap or a hang, every line
// either taken or named, and each date found lies in or before the contract month.
#include <cstdint>
#include <string_view>

#include "FuzzRequire.h"
#include "analytics/ExpirySchedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon::analytics;
    ExpirySchedule schedule = ExpirySchedule::Defaults();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& problem : schedule.Apply(text)) FUZZ_REQUIRE(problem.rfind("line ", 0) == 0);
    for (const char* exchange : {"CFFEX", "SHFE", "DCE", "CZCE", "GFEX", "INE"}) {
        for (const char* product : {"IO", "cu", "m", "SR", "AP", "si", "sc"}) {
            for (int month = 1; month <= 12; ++month) {
                const auto date = schedule.ExpiryDate(exchange, product, 2026, month);
                if (!date) continue;
                FUZZ_REQUIRE(schedule.IsTradingDay(*date));
                FUZZ_REQUIRE(DaysFromCivil(*date) <= DaysFromCivil({2026, month, 31}) + 31);
            }
        }
    }
    return 0;
}
