#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/ColumnSet.h"
#include "platform/AtomicFile.h"
#include "support/TestPaths.h"

using namespace quillon::board;
using Ids = std::vector<ColumnId>;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

const char* const defaultGridXml =
    "<root>\n    <NormalGrid>\n"
    "        <Column ID=\"0\" />\n        <Column ID=\"1\" />\n        <Column ID=\"2\" />\n"
    "        <Column ID=\"3\" />\n        <Column ID=\"4\" />\n        <Column ID=\"5\" />\n"
    "        <Column ID=\"6\" />\n        <Column ID=\"7\" />\n"
    "    </NormalGrid>\n</root>\n";

}  // namespace

class GridXmlFileTest : public testing::Test {
protected:
    void SetUp() override {
        ClearColumnSet();
        SetDefaultColumnSet();
        folder_ = quillon::test::MakeScratchFolder(std::string("columns-") +
                                                   testing::UnitTest::GetInstance()->current_test_info()->name());
        gridXml_ = (folder_ / "grid.xml").string();
    }
    void TearDown() override { ClearColumnSet(); }

    fs::path folder_;
    std::string gridXml_;
};

TEST_F(GridXmlFileTest, WithoutAFileTheDefaultsStayAndAreSavedAtExit) {
    LoadColumnSet(gridXml_);
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 1, 2, 3, 4, 5, 6, 7}));
    ASSERT_TRUE(SaveColumnSet(gridXml_));
    const std::string saved = ReadBytes(gridXml_);
    EXPECT_EQ(saved, defaultGridXml);  // no declaration, no byte-order mark
    EXPECT_EQ(FolderEntries(folder_), (std::vector<std::string>{"grid.xml"}));
}

TEST_F(GridXmlFileTest, LoadReplacesBothListsAndASaveReadsBackTheSame) {
    WriteBytes(gridXml_, R"(<root><NormalGrid><Column ID="0"/><Column ID="3"/><Column ID="1"/></NormalGrid></root>)");
    LoadColumnSet(gridXml_);
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 3, 1}));
    EXPECT_EQ(SharedColumnSet().boardIds, (Ids{1, 3, 24, 103, 101}));

    ReplaceColumnSet(MakeColumnSet({22, 30, -2, 5}));
    ASSERT_TRUE(SaveColumnSet(gridXml_));
    SetDefaultColumnSet();
    LoadColumnSet(gridXml_);
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 22, 30, -2, 5}));
    EXPECT_EQ(SharedColumnSet().boardIds, (Ids{5, -2, 30, 22, 24, 122, 130, 98, 105}));
}

TEST_F(GridXmlFileTest, AnUnusableFileKeepsTheCurrentColumns) {
    const std::string unusable[] = {
        R"(<root><NormalGrid><Column ID="0" /></NormalGrid></root>)",  // saved after choosing nothing
        R"(<Root><NormalGrid><Column ID="3"/></NormalGrid></Root>)",
        "<root><NormalGrid><Column ID=\"3\"",
        std::string(3, '\0'),
    };
    for (const std::string& bytes : unusable) {
        WriteBytes(gridXml_, bytes);
        LoadColumnSet(gridXml_);
        EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 1, 2, 3, 4, 5, 6, 7})) << bytes;
        EXPECT_EQ(SharedColumnSet().boardIds.size(), 15u) << bytes;
    }
    // A folder, and an oversized file, where grid.xml should be.
    fs::remove(gridXml_);
    fs::create_directory(gridXml_);
    LoadColumnSet(gridXml_);
    fs::remove(gridXml_);
    std::string huge = R"(<root><NormalGrid><Column ID="3"/></NormalGrid></root>)";
    huge.resize(MaxGridXmlSize + 1, ' ');
    WriteBytes(gridXml_, huge);
    LoadColumnSet(gridXml_);
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(GridXmlFileTest, NothingIsSavedBeforeTheUsersFileWasRead) {
    // Start-up ended before grid.xml was loaded: the defaults must not replace the file.
    const std::string users = R"(<root><NormalGrid><Column ID="0"/><Column ID="9"/></NormalGrid></root>)";
    WriteBytes(gridXml_, users);
    EXPECT_FALSE(SaveColumnSet(gridXml_));
    EXPECT_EQ(ReadBytes(gridXml_), users);
    ClearColumnSet();
    EXPECT_FALSE(SaveColumnSet(gridXml_));
    EXPECT_EQ(ReadBytes(gridXml_), users);
}

TEST_F(GridXmlFileTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    LoadColumnSet(gridXml_);
    const std::string old = "<root><NormalGrid><Column ID=\"0\"/><Column ID=\"9\"/></NormalGrid></root>";

    // The target is a folder holding the user's file.
    fs::create_directory(gridXml_);
    WriteBytes(fs::path(gridXml_) / "keep", old);
    EXPECT_FALSE(SaveColumnSet(gridXml_));
    EXPECT_EQ(ReadBytes(fs::path(gridXml_) / "keep"), old);
    EXPECT_EQ(FolderEntries(folder_), (std::vector<std::string>{"grid.xml"}));
    fs::remove_all(gridXml_);

    // The folder does not exist.
    EXPECT_FALSE(SaveColumnSet((folder_ / "missing" / "grid.xml").string()));
    EXPECT_TRUE(FolderEntries(folder_).empty());

    // The disk fills up while the new file is written.
    WriteBytes(gridXml_, old);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool savedWithFullDisk = SaveColumnSet(gridXml_);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(savedWithFullDisk);
    EXPECT_EQ(ReadBytes(gridXml_), old);
    EXPECT_EQ(FolderEntries(folder_), (std::vector<std::string>{"grid.xml"}));

    // And once the disk has room again the save goes through.
    EXPECT_TRUE(SaveColumnSet(gridXml_));
    EXPECT_EQ(ReadBytes(gridXml_), defaultGridXml);
}

TEST_F(GridXmlFileTest, FileReaderBoundsWhatItReads) {
    using quillon::platform::ReadWholeFile;
    WriteBytes(gridXml_, "12345");
    EXPECT_EQ(ReadWholeFile(gridXml_, 5), std::optional<std::string>("12345"));
    EXPECT_EQ(ReadWholeFile(gridXml_, 4), std::nullopt);
    EXPECT_EQ(ReadWholeFile((folder_ / "absent").string(), 100), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder_.string(), 100), std::nullopt);
    EXPECT_EQ(ReadWholeFile("", 100), std::nullopt);
}
