// How the process reads the way it was started.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/StartupSettings.h"
#include "framework/TextConversion.h"

namespace quillon::test {
namespace {

TEST(HostWindowArgument, ReadsLeadingDecimalDigitsLikeAtoi) {
    const struct {
        const char* text;
        std::uint32_t handle;
    } cases[] = {
        {"4660", 4660},      {"  66", 66},
        {"+12", 12},         {"123abc", 123},
        {"abc", 0},          {"", 0},
        {"-1", 0xFFFFFFFFu}, {"4294967295", 4294967295u},
        {"4294967296", 0},   {"99999999999999999999", 0},
    };
    for (const auto& test : cases) EXPECT_EQ(app::ParseHostWindowArgument(test.text), test.handle) << test.text;
}

class Startup : public AppFixture {};

TEST_F(Startup, RunModeTwoOrNoIniIsThePopupRunModeEverythingElseDocked) {
    const struct {
        const char* ini;
        bool popup;
    } cases[] = {
        {"[Startup]\r\nRunMode=0\r\n", false},
        {"[Startup]\r\nRunMode=1\r\n", false},
        {"[Startup]\r\nRunMode=3\r\n", false},
        {"[Startup]\r\nRunMode=2\r\n", true},
        {"", true},
        {"[Other]\r\nRunMode=0\r\n", true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.ini);
        TearDown();
        SetUp();
        Start(test.ini);
        EXPECT_EQ(app::IsPopupRunMode(), test.popup);
        EXPECT_EQ(FakeInstance().registeredName, test.popup ? "QuillonPopup" : "Quillon");
        EXPECT_EQ(FakeInstance().mode, test.popup ? 0 : 6);
        EXPECT_EQ(app::Settings().newOptionType, '2');
    }
}

TEST_F(Startup, TheFrameIsHiddenTitledAndWithoutTaskbarButton) {
    Start("[Startup]\r\nRunMode=0\r\n", std::nullopt);
    HWND frame = Frame().GetSafeHwnd();
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_EQ(Frame().GetText(), "期权T型报价");
    EXPECT_FALSE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(FakeInstance().hostWindow, nullptr);  // no argument: handle 0, still registered
    EXPECT_EQ(FakeInstance().startCalls, 1);
    EXPECT_EQ(application->MainWindow(), &Frame());
    EXPECT_EQ(application->RegistryKey(), "应用程序向导生成的本地应用程序");
}

TEST_F(Startup, TheHostWindowNumberIsWidenedAsWindowsWidensA32BitHandle) {
    // In a 64-bit build a handle from a 32-bit host is sign-extended: 0xFFFFFFFE names the
    // same window as (HWND)-2, not as 0x00000000FFFFFFFE.
    for (const char* argument : {"4294967294", "-2"}) {
        TearDown();
        SetUp();
        Start("", std::string(argument));
        EXPECT_EQ(FakeInstance().hostWindow, reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2))) << argument;
    }
}

TEST_F(Startup, AnExitWithoutACompletedStartLeavesTheUsersColumnsAlone) {
    const std::string userFile = "<?xml version=\"1.0\" ?>\n<cols><col id=\"5\" /></cols>\n";
    std::ofstream(gridXmlPath, std::ios::binary) << userFile;
    app::StartupSources sources;
    sources.iniPathGiven = true;
    sources.iniPath = folder + "\\missing.INI";
    sources.gridXmlPath = gridXmlPath;
    // As after a failed OLE start: the application ends without having read grid.xml.
    struct FailingStart : app::CQuillonApp {
        using CQuillonApp::CQuillonApp;
        bool InitInstance() override { return false; }
    } failed(app::HostLibrary{&FakeGetInstance, &FakeDestroyInstance}, sources);
    EXPECT_EQ(failed.RunApplication(), 0);
    std::stringstream kept;
    kept << std::ifstream(gridXmlPath, std::ios::binary).rdbuf();
    EXPECT_EQ(kept.str(), userFile);
}

TEST_F(Startup, TheIniIsReadFromAFolderWithAChineseName) {
    std::string chineseFolder = folder + "\\期权";
    std::wstring wideFolder = framework::WideFromCodePage936(chineseFolder);
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
    std::ofstream(std::filesystem::path(wideFolder + L"\\Quillon.INI"), std::ios::binary)
        << "[Startup]\r\nRunMode=0\r\nNewOptionType=7\r\n";
    app::StartupSettings settings;
    app::ReadIniSettings(chineseFolder + "\\Quillon.INI", settings);
    EXPECT_EQ(settings.runMode, 0);
    EXPECT_EQ(settings.newOptionType, '7');
    app::ReadIniSettings("", settings);  // no path: the defaults
    EXPECT_EQ(settings.runMode, 2);
    EXPECT_EQ(settings.newOptionType, '2');
}

TEST(CodePage936Text, CaseIsIgnoredForAsciiLettersOnly) {
    const struct {
        const char* first;
        const char* second;
        bool equal;
    } cases[] = {
        {"IF2301", "if2301", true},      {"IF2301", "IF2302", false}, {"SR301C5000", "sr301c5000", true},
        {"\x81\x41", "\x81\x61", false},  // trail bytes that look like A and a
        {"期权", "期权", true},          {"期权", "期", false},       {"", "", true},
    };
    for (const auto& test : cases)
        EXPECT_EQ(framework::EqualsIgnoringCaseCodePage936(test.first, test.second), test.equal) << test.first;
}

}  // namespace
}  // namespace quillon::test
