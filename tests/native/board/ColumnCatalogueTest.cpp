#include <gtest/gtest.h>

#include <string>

#include "board/ColumnCatalogue.h"

using namespace quillon::board;

class ColumnCatalogueTest : public testing::Test {
protected:
    void SetUp() override { ClearColumnCatalogue(); }
    void TearDown() override { ClearColumnCatalogue(); }
};

TEST_F(ColumnCatalogueTest, BuildingTwiceGivesTheSameSideAndBoardEntries) {
    BuildColumnCatalogue();
    const ColumnCatalogue first = SharedColumnCatalogue();
    BuildColumnCatalogue();
    const ColumnCatalogue& catalogue = SharedColumnCatalogue();
    EXPECT_EQ(catalogue.sideCaptions.size(), 23u + 11u);
    EXPECT_EQ(catalogue.boardCaptions.size(), 47u + 22u);
    EXPECT_EQ(catalogue.sideCaptions, first.sideCaptions);
    EXPECT_EQ(catalogue.boardCaptions, first.boardCaptions);

    for (ColumnId id = 0; id <= 22; ++id) {
        ASSERT_EQ(catalogue.sideCaptions.count(id), 1u) << id;
        EXPECT_FALSE(catalogue.sideCaptions.at(id).empty()) << id;
        EXPECT_EQ(catalogue.boardCaptions.at(id), catalogue.sideCaptions.at(id)) << id;
        EXPECT_EQ(catalogue.boardCaptions.at(id + PutColumnOffset), catalogue.sideCaptions.at(id)) << id;
    }
    for (ColumnId id = 50; id <= 60; ++id) {
        ASSERT_EQ(catalogue.sideCaptions.count(id), 1u) << id;
        EXPECT_EQ(catalogue.boardCaptions.at(id + PutColumnOffset), catalogue.sideCaptions.at(id)) << id;
    }
    // Ids an older grid.xml may hold without meaning stay without a caption.
    for (ColumnId id : {23, 25, 49, 61}) EXPECT_EQ(catalogue.boardCaptions.count(id), 0u) << id;
    EXPECT_EQ(catalogue.sideCaptions.count(StrikeColumnId), 0u);
    EXPECT_EQ(catalogue.boardCaptions.count(StrikeColumnId), 1u);
}

TEST_F(ColumnCatalogueTest, CaptionsAreCodePage936Bytes) {
    BuildColumnCatalogue();
    const ColumnCatalogue& catalogue = SharedColumnCatalogue();
    struct Case {
        ColumnId id;
        const char* bytes;
    };
    const Case cases[] = {
        {0, "\xBA\xCF\xD4\xBC"},                                       // 合约
        {3, "\xD5\xC7\xB5\xF8\xB7\xF9%"},                              // 涨跌幅%
        {10, "\xD7\xF2\xBD\xE1\xCB\xE3\xBC\xDB"},                      // 昨结算价
        {22, "\xB8\xFC\xD0\xC2\xCA\xB1\xBC\xE4"},                      // 更新时间
        {StrikeColumnId, "\xA1\xFB\xD5\xC7\xBF\xB4\xB5\xF8\xA1\xFA"},  // ←涨看跌→
        {107, "\xC2\xF4\xC1\xBF"},                                     // 卖量, put side
        {152, "\xD2\xFE\xBA\xAC\xB2\xA8\xB6\xAF\xC2\xCA"},             // 隐含波动率, put side
        {60, "\xCA\xA3\xD3\xE0\xCC\xEC\xCA\xFD"},                      // 剩余天数
    };
    for (const Case& c : cases) {
        EXPECT_EQ(catalogue.boardCaptions.at(c.id), std::string(c.bytes)) << c.id;
    }
}
