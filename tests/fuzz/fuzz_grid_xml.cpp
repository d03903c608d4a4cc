// grid.xml as it may be found beside the executable: any bytes. The loader gives the
// user's usable column ids or nothing, and what the program writes reads back the same.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "FuzzRequire.h"
#include "board/ColumnSet.h"

namespace {

using namespace quillon::board;

bool IsShowableChosenId(ColumnId id) {
    return id != 0 && id != PutColumnOffset && id != -PutColumnOffset &&
           id <= std::numeric_limits<ColumnId>::max() - PutColumnOffset;
}

std::optional<std::vector<ColumnId>> ReadDocument(const std::string& document) {
    // Exact-size buffer: the loader must not rely on a terminator behind the bytes.
    std::vector<char> bytes(document.begin(), document.end());
    return ReadChosenColumnIds(bytes.data(), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> bytes(data, data + size);
    std::optional<std::vector<ColumnId>> chosen = ReadChosenColumnIds(bytes.data(), bytes.size());
    if (!chosen) return 0;

    FUZZ_REQUIRE(!chosen->empty());
    for (ColumnId id : *chosen) FUZZ_REQUIRE(IsShowableChosenId(id));

    // The T board: the choice mirrored around the strike, put ids offset on the right.
    const ColumnSet columns = MakeColumnSet(*chosen);
    const std::size_t count = chosen->size();
    FUZZ_REQUIRE(columns.selectedIds.size() == count + 1 && columns.selectedIds[0] == 0);
    FUZZ_REQUIRE(columns.boardIds.size() == 2 * count + 1 && columns.boardIds[count] == StrikeColumnId);
    for (std::size_t i = 0; i < count; ++i) {
        FUZZ_REQUIRE(columns.boardIds[count - 1 - i] == (*chosen)[i]);
        FUZZ_REQUIRE(columns.boardIds[count + 1 + i] == (*chosen)[i] + PutColumnOffset);
    }

    // Saved and read again, the choice comes back as it was.
    std::optional<std::vector<ColumnId>> reread = ReadDocument(FormatGridXml(columns.selectedIds));
    FUZZ_REQUIRE(reread.has_value() && *reread == *chosen);
    return 0;
}
