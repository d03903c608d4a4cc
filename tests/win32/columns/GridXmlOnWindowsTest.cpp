#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "board/ColumnSet.h"
#include "board/ConfigPaths.h"
#include "platform/AtomicFile.h"
#include "platform/ModulePath.h"
#include "support/TestPaths.h"

using namespace quillon::board;
using Ids = std::vector<ColumnId>;

namespace {

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

class GridXmlOnWindows : public testing::Test {
protected:
    void SetUp() override {
        ClearColumnSet();
        SetDefaultColumnSet();
    }
    void TearDown() override { ClearColumnSet(); }
};

TEST_F(GridXmlOnWindows, PathsFollowTheRealExecutable) {
    const std::string modulePath = quillon::platform::ExecutablePath();
    ASSERT_GT(modulePath.size(), 4u);
    ASSERT_EQ(modulePath.substr(modulePath.size() - 4), ".exe");
    const std::size_t slash = modulePath.rfind('\\');
    ASSERT_NE(slash, std::string::npos);
    EXPECT_EQ(BuildIniPath(), modulePath.substr(0, modulePath.size() - 4) + ".INI");
    EXPECT_EQ(BuildGridXmlPath(), modulePath.substr(0, slash + 1) + "grid.xml");
}

TEST_F(GridXmlOnWindows, SaveAndLoadBesideTheExecutable) {
    const std::string path = BuildGridXmlPath();
    DeleteFileA(path.c_str());
    LoadColumnSet();
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 1, 2, 3, 4, 5, 6, 7}));

    ReplaceColumnSet(MakeColumnSet({22, 3, 1}));
    SaveColumnSet();
    auto saved = quillon::platform::ReadWholeFile(path, MaxGridXmlSize);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->substr(0, 30), "<root>\r\n    <NormalGrid>\r\n    ");
    EXPECT_NE(saved->find("        <Column ID=\"22\" />\r\n"), std::string::npos);

    SetDefaultColumnSet();
    LoadColumnSet();
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 22, 3, 1}));
    EXPECT_EQ(SharedColumnSet().boardIds, (Ids{1, 3, 22, 24, 122, 103, 101}));
    DeleteFileA(path.c_str());
}

TEST_F(GridXmlOnWindows, ChinesePathsAndFailedSaves) {
    const std::string scratch = quillon::test::MakeScratchFolder("columns-win32");
    // 数据: the narrow path is code page 936 bytes whatever the system's code page is.
    const std::wstring wideFolder = Widen(scratch) + L"\\数据";
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
    const std::string path = scratch + "\\数据\\grid.xml";
    LoadColumnSet(path);
    ReplaceColumnSet(MakeColumnSet({5}));
    ASSERT_TRUE(SaveColumnSet(path));
    EXPECT_NE(GetFileAttributesW((wideFolder + L"\\grid.xml").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(SaveColumnSet(path));  // replaces the existing file
    SetDefaultColumnSet();
    LoadColumnSet(path);
    EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 5}));
    EXPECT_EQ(FolderEntries(wideFolder), (std::vector<std::wstring>{L"grid.xml"}));

    // A folder where the file should go, and a folder that does not exist.
    const std::wstring blocked = wideFolder + L"\\blocked.xml";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(SaveColumnSet(scratch + "\\数据\\blocked.xml"));
    EXPECT_FALSE(SaveColumnSet(scratch + "\\数据\\missing\\grid.xml"));
    EXPECT_EQ(FolderEntries(wideFolder).size(), 2u);
    EXPECT_TRUE(FolderEntries(blocked).empty());
}

TEST_F(GridXmlOnWindows, PathsNearAndPastMaxPathSaveAndLoad) {
    const std::string scratch = quillon::test::MakeScratchFolder("columns-win32-long");
    wchar_t full[MAX_PATH];
    ASSERT_GT(GetFullPathNameW(Widen(scratch).c_str(), MAX_PATH, full, nullptr), 0u);
    const std::wstring base = full;
    ASSERT_LT(base.size() + 20, std::size_t{MAX_PATH});
    LoadColumnSet(scratch + "\\absent.xml");
    ReplaceColumnSet(MakeColumnSet({6, 2}));

    // Just below MAX_PATH, so only the temporary name passes it; then well past it.
    for (std::size_t pathLength : {std::size_t{MAX_PATH - 2}, std::size_t{MAX_PATH + 40}}) {
        const std::size_t nameLength = pathLength - base.size() - 1 - std::string("\\grid.xml").size();
        const std::wstring folder = base + L"\\" + std::wstring(nameLength, L'f');
        const std::wstring longFolder = L"\\\\?\\" + folder;
        DeleteFileW((longFolder + L"\\grid.xml").c_str());  // left by an earlier run
        RemoveDirectoryW(longFolder.c_str());
        ASSERT_TRUE(CreateDirectoryW(longFolder.c_str(), nullptr));
        const std::string path(folder.begin(), folder.end());
        ASSERT_EQ(path.size() + 9, pathLength);
        const std::string gridXml = path + "\\grid.xml";
        EXPECT_TRUE(SaveColumnSet(gridXml)) << pathLength;
        EXPECT_TRUE(SaveColumnSet(gridXml)) << pathLength;
        EXPECT_EQ(FolderEntries(longFolder), (std::vector<std::wstring>{L"grid.xml"}));
        SetDefaultColumnSet();
        LoadColumnSet(gridXml);
        EXPECT_EQ(SharedColumnSet().selectedIds, (Ids{0, 6, 2})) << pathLength;
        // Removed here: the scratch clean-up cannot reach past MAX_PATH.
        DeleteFileW((longFolder + L"\\grid.xml").c_str());
        RemoveDirectoryW(longFolder.c_str());
    }
}

TEST_F(GridXmlOnWindows, DeepestAcceptedNestingFitsTheStack) {
    // Never closed, so the parser descends as deep as the markup bound lets it, then fails.
    const std::string head = "<root><NormalGrid><Column ID=\"3\"/></NormalGrid>";
    std::string open = head;
    for (std::size_t i = 0; i < MaxGridXmlTags - 4; ++i) open += "<a>";
    EXPECT_EQ(ReadChosenColumnIds(open.data(), open.size()), std::nullopt);

    const std::size_t depth = (MaxGridXmlTags - 5) / 2;  // head and "</root>" hold 5 tags
    std::string closed = head;
    for (std::size_t i = 0; i < depth; ++i) closed += "<a>";
    for (std::size_t i = 0; i < depth; ++i) closed += "</a>";
    closed += "</root>";
    EXPECT_EQ(ReadChosenColumnIds(closed.data(), closed.size()), (std::optional<Ids>(Ids{3})));
}
