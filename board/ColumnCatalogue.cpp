#include "board/ColumnCatalogue.h"

#include "board/AnalyticsCellFormat.h"

namespace quillon::board {

namespace {

ColumnCatalogue& MutableCatalogue() {
    static ColumnCatalogue catalogue;
    return catalogue;
}

// Index = side column id.
const char* const sideColumnCaptions[LastSideColumnId + 1] = {
    "合约",     "最新价", "涨跌",     "涨跌幅%", "买价",   "买量",     "卖价",     "卖量",
    "持仓量",   "开盘价", "昨结算价", "现量",    "最高价", "最低价",   "收盘价",   "成交量",
    "成交金额", "涨停价", "跌停价",   "结算价",  "昨收价", "昨持仓量", "更新时间",
};

const char* const strikeColumnCaption = "←涨看跌→";

}  // namespace

const ColumnCatalogue& SharedColumnCatalogue() {
    return MutableCatalogue();
}

void BuildColumnCatalogue() {
    ColumnCatalogue& catalogue = MutableCatalogue();
    catalogue.sideCaptions.clear();
    catalogue.boardCaptions.clear();
    for (ColumnId id = 0; id <= LastSideColumnId; ++id) {
        catalogue.sideCaptions[id] = sideColumnCaptions[id];
        catalogue.boardCaptions[id] = sideColumnCaptions[id];
    }
    catalogue.boardCaptions[StrikeColumnId] = strikeColumnCaption;
    for (ColumnId id = 0; id <= LastSideColumnId; ++id) {
        catalogue.boardCaptions[id + PutColumnOffset] = sideColumnCaptions[id];
    }
    // The analytics columns come after the quote columns, ids 23 and 25 to 49 left unused.
    for (const auto& [id, caption] : AnalyticsColumnCaptions()) {
        catalogue.sideCaptions[id] = caption;
        catalogue.boardCaptions[id] = caption;
        catalogue.boardCaptions[id + PutColumnOffset] = caption;
    }
}

void ClearColumnCatalogue() {
    MutableCatalogue().sideCaptions.clear();
    MutableCatalogue().boardCaptions.clear();
}

}  // namespace quillon::board
