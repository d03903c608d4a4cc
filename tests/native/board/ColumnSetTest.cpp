#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "board/ColumnSet.h"
#include "model/DataMutex.h"

using namespace quillon::board;
using Ids = std::vector<ColumnId>;

namespace {

std::optional<Ids> Read(const std::string& text) {
    return ReadChosenColumnIds(text.data(), text.size());
}

std::string GridWith(const std::string& columns) {
    return "<root><NormalGrid>" + columns + "</NormalGrid></root>";
}

}  // namespace

class ColumnSetTest : public testing::Test {
protected:
    void SetUp() override { ClearColumnSet(); }
    void TearDown() override { ClearColumnSet(); }
};

TEST_F(ColumnSetTest, BoardMirrorsTheChosenColumnsAroundTheStrike) {
    EXPECT_EQ(DeriveBoardIds({3, 1}), (Ids{1, 3, 24, 103, 101}));
    EXPECT_EQ(DeriveBoardIds({}), (Ids{24}));
    EXPECT_EQ(DeriveBoardIds({22, 1, 2}), (Ids{2, 1, 22, 24, 122, 101, 102}));

    SetDefaultColumnSet();
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(SharedColumnSet().boardIds, (Ids{7, 6, 5, 4, 3, 2, 1, 24, 101, 102, 103, 104, 105, 106, 107}));

    ColumnSet noChoice = MakeColumnSet({});
    EXPECT_EQ(noChoice.selectedIds, (Ids{0}));
    EXPECT_EQ(noChoice.boardIds, (Ids{24}));
}

TEST_F(ColumnSetTest, ReadsOnlyDirectColumnsOfTheFirstNormalGridUnderRoot) {
    struct Case {
        const char* what;
        std::string document;
        std::optional<Ids> expected;
    };
    const Case cases[] = {
        {"saved order", GridWith(R"(<Column ID="0"/><Column ID="3"/><Column ID="1"/>)"), Ids{3, 1}},
        {"only the contract column", GridWith(R"(<Column ID="0" />)"), std::nullopt},
        {"no columns", GridWith(""), std::nullopt},
        {"not numbers, empty, missing",
         GridWith(R"(<Column ID="abc"/><Column ID=""/><Column/><Column id="4"/><Column ID="5"/>)"), Ids{5}},
        {"atoi prefixes", GridWith(R"(<Column ID=" 7x"/><Column ID="+2"/><Column ID="&#51;"/><Column ID="-0"/>)"),
         Ids{7, 2, 3}},
        {"nested deeper", GridWith(R"(<Group><Column ID="4"/></Group><Column ID="6"/>)"), Ids{6}},
        {"only nested", GridWith(R"(<Group><Column ID="4"/></Group>)"), std::nullopt},
        {"other elements between", GridWith(R"(<Column ID="2"/><Note/>text<Column ID="9"/>)"), Ids{2, 9}},
        {"unknown, negative, duplicate kept", GridWith(R"(<Column ID="30"/><Column ID="-2"/><Column ID="30"/>)"),
         Ids{30, -2, 30}},
        {"wrong root case", R"(<Root><NormalGrid><Column ID="3"/></NormalGrid></Root>)", std::nullopt},
        {"grid not under root", R"(<root><Other><NormalGrid><Column ID="3"/></NormalGrid></Other></root>)",
         std::nullopt},
        {"two grids",
         R"(<root><Other/><NormalGrid><Column ID="3"/></NormalGrid>)"
         R"(<NormalGrid><Column ID="4"/></NormalGrid></root>)",
         Ids{3}},
        {"first grid empty", R"(<root><NormalGrid/><NormalGrid><Column ID="4"/></NormalGrid></root>)", std::nullopt},
        {"declaration and comment first",
         "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\r\n<!-- columns -->\r\n" + GridWith(R"(<Column ID="8"/>)"),
         Ids{8}},
        {"byte-order mark", "\xEF\xBB\xBF" + GridWith(R"(<Column ID="8"/>)"), Ids{8}},
        {"second root ignored", GridWith(R"(<Column ID="8"/>)") + "<root/>", Ids{8}},
        {"malformed", R"(<root><NormalGrid><Column ID="3"></NormalGrid></root>)", std::nullopt},
        {"empty", "", std::nullopt},
        {"not xml", "column 1, column 2", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.document), c.expected) << c.what;
    }
}

TEST_F(ColumnSetTest, IdsTheBoardCannotShowAreSkippedLikeNonNumbers) {
    struct Case {
        const char* idText;
        std::optional<Ids> expected;
    };
    const Case cases[] = {
        {"2147483547", Ids{2147483547}},  // its put copy is the largest int32
        {"2147483548", std::nullopt},     // its put copy would overflow
        {"2147483648", std::nullopt},     // not an int32
        {"99999999999999999999", std::nullopt},
        {"-2147483648", Ids{-2147483647 - 1}},
        {"-2147483649", std::nullopt},
        {"100", std::nullopt},   // would stand on the board where only the contract's put copy could
        {"-100", std::nullopt},  // its put copy would be the contract column
        {"0000000000000000000000005", Ids{5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(GridWith(std::string("<Column ID=\"") + c.idText + "\"/>")), c.expected) << c.idText;
    }
}

TEST_F(ColumnSetTest, HostileDocumentsAreRejectedWithoutReadingPastTheBuffer) {
    // Nesting deep enough to exhaust the stack of a recursive parser.
    std::string deep = "<root><NormalGrid><Column ID=\"3\"/></NormalGrid>";
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    EXPECT_EQ(Read(deep), std::nullopt);

    // Nested as deep as the markup bound allows: parsed without trouble.
    std::string deepest = "<root><NormalGrid><Column ID=\"3\"/></NormalGrid>";
    for (std::size_t i = 0; i < MaxGridXmlTags - 4; ++i) deepest += "<a>";
    EXPECT_EQ(Read(deepest), std::nullopt);  // never closed

    // Just within the markup bound: parsed normally.
    std::string manyColumns = "<root><NormalGrid>";
    for (std::size_t i = 0; i < MaxGridXmlTags - 4; ++i) manyColumns += "<Column ID=\"1\"/>";
    manyColumns += "</NormalGrid></root>";
    std::optional<Ids> read = Read(manyColumns);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), MaxGridXmlTags - 4);

    // Attributes by the thousand: each one is checked against the others of its element.
    std::string attributes = "<root><NormalGrid><Column ID=\"3\"";
    for (std::size_t i = 0; i < MaxGridXmlAttributes; ++i) attributes += " a" + std::to_string(i) + "=\"\"";
    EXPECT_EQ(Read(attributes + "/></NormalGrid></root>"), std::nullopt);
    attributes.erase(attributes.rfind(' '));
    EXPECT_EQ(Read(attributes + "/></NormalGrid></root>"), Ids{3});

    std::string oversized = GridWith("<Column ID=\"3\"/>");
    oversized.resize(MaxGridXmlSize + 1, ' ');
    EXPECT_EQ(Read(oversized), std::nullopt);

    // UTF-8 sequences cut at the very end of the data, in an exact-size heap buffer that
    // the address sanitizer guards.
    const std::string endings[] = {"\xF0", "\xF0\x9F", "\xE6\xB6", "<root>\xF4", "<root a=\"\xF0", "<!--\xF0"};
    for (const std::string& ending : endings) {
        for (const std::string& start : {std::string("\xEF\xBB\xBF"), std::string()}) {
            std::string text = start + ending;
            std::vector<char> exact(text.begin(), text.end());
            EXPECT_EQ(ReadChosenColumnIds(exact.data(), exact.size()), std::nullopt);
        }
    }
    EXPECT_EQ(ReadChosenColumnIds(nullptr, 0), std::nullopt);
    const char withNul[] = "<root><NormalGrid><Column ID=\"3\"/>\0</NormalGrid></root>";
    EXPECT_EQ(ReadChosenColumnIds(withNul, sizeof withNul - 1), std::nullopt);
}

TEST_F(ColumnSetTest, WrittenDocumentHasExactlyTheListedColumns) {
    const std::string expected =
        "<root>\n"
        "    <NormalGrid>\n"
        "        <Column ID=\"0\" />\n"
        "        <Column ID=\"22\" />\n"
        "        <Column ID=\"-2\" />\n"
        "    </NormalGrid>\n"
        "</root>\n";
    EXPECT_EQ(FormatGridXml({0, 22, -2}), expected);
    EXPECT_EQ(Read(FormatGridXml({0, 30, -2, 5})), (Ids{30, -2, 5}));
}

TEST_F(ColumnSetTest, ReplacementWaitsForAReaderHoldingTheDataMutex) {
    SetDefaultColumnSet();
    std::atomic<bool> replaced{false};
    std::thread writer;
    {
        quillon::model::DataLock lock;
        writer = std::thread([&] {
            ReplaceColumnSet(MakeColumnSet({9}));
            replaced = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(replaced);
        EXPECT_EQ(SharedColumnSet().selectedIds.size(), 8u);
        EXPECT_EQ(SharedColumnSet().boardIds.size(), 15u);
    }
    writer.join();
    ColumnSet copy = CopyColumnSet();
    EXPECT_EQ(copy.selectedIds, (Ids{0, 9}));
    EXPECT_EQ(copy.boardIds, (Ids{9, 24, 109}));
}
