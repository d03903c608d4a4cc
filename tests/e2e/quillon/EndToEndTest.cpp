// The whole chain with real processes: hostsim with its built-in market, our TesselAPI.dll
// and Quillon.exe under Wine, windows looked at from inside the Wine session by the probe.
// One Wine session serves the suite; each case has its own hostsim port and its own copy of
// the program, so its INI and grid.xml are the case's.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <thread>

#include "E2eRig.h"

namespace quillon::e2e {
namespace {

namespace fs = std::filesystem;

// Generous: CI runs this on a loaded two-core machine. A wait that runs out fails with what
// did not arrive; none of them is a speed target.
constexpr auto StartTime = 60s;
constexpr auto LoadTime = 120s;
constexpr auto WindowTime = 30s;
constexpr auto ExitTime = 60s;
constexpr int ProbeWaitMs = 30000;

// The built-in market counts contract months from this date, so the codes below exist.
const std::vector<std::string> MarketDate = {"--date", "20261208"};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        missing_ = MissingWindowsPrograms();
        if (!missing_.empty()) return;
        session_ = std::make_unique<WineSession>(fs::path(QUILLON_BINARY_DIR) / ("e2e-wine-" + WindowsBuildArch()));
        sessionError_ = session_->Start();
    }
    static void TearDownTestSuite() { session_.reset(); }

    void SetUp() override {
        if (!missing_.empty()) QUILLON_E2E_CANNOT_RUN(missing_);
        ASSERT_TRUE(sessionError_.empty()) << sessionError_;
    }

    static WineSession& Session() { return *session_; }

    // The probe's line for the visible top-level window with exactly this title.
    static std::string WaitForWindowTitled(const std::string& title) {
        const RunResult found = Session().Probe({"wait-window", ProbePattern(title), std::to_string(ProbeWaitMs)});
        lastProbeOutput_ = found.output;
        if (found.status != 0) return {};
        std::string line = found.output.substr(0, found.output.find('\n'));
        return EndsWith(line, " " + title) ? line : std::string();
    }

    static std::string PixelDigest(const std::string& title) {
        const RunResult result = Session().Probe({"digest", ProbePattern(title)});
        return result.status == 0 ? result.output : std::string();
    }

    // True once the window's pixels differ from what they were at the first look: the board
    // painted quotes that arrived in between.
    static bool PixelsChange(const std::string& title) {
        const std::string first = PixelDigest(title);
        if (first.empty()) return false;
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1s);
            const std::string now = PixelDigest(title);
            if (!now.empty() && now != first) return true;
        }
        return false;
    }

    static void ExpectOrderlyExit(QuillonRun& quillon) {
        const std::optional<int> status = quillon.WaitForExit(ExitTime);
        ASSERT_TRUE(status.has_value()) << "Quillon.exe did not exit within 60 s of the host's closing message\n"
                                        << quillon.Process().Tail();
        EXPECT_EQ(*status, 0) << quillon.Process().Tail();
        EXPECT_TRUE(fs::exists(quillon.Folder() / "grid.xml")) << "no grid.xml beside the program after its exit";
    }

    static inline std::string lastProbeOutput_;
    static inline std::string missing_;
    static inline std::unique_ptr<WineSession> session_;
    static inline std::string sessionError_;
};

// Waits for a line of hostsim's log; on time-out says what did not arrive, with the ends of
// both programs' output.
#define ASSERT_LINE(host, part, timeout, what)                                    \
    ASSERT_TRUE((host).WaitForLine((part), (timeout)).has_value())                \
        << "no " << (what) << " within " << (timeout).count() << " s\nhostsim:\n" \
        << (host).Process().Tail() << "Quillon.exe under Wine:\n"                 \
        << quillon.Process().Tail()

TEST_F(EndToEnd, PopupRunModeOpensLiveBoardsForAFutureAndAnOptionAndClosesInOrder) {
    HostSim host;
    ASSERT_EQ(host.Start(MarketDate), "");
    QuillonRun quillon("popup", std::nullopt);  // no INI: the popup run mode is the default
    ASSERT_EQ(quillon.Start(Session(), host.Address()), "");

    ASSERT_LINE(host, "plugin hello: QuillonPopup (mode 0); log-in accepted", StartTime, "hello from Quillon");
    ASSERT_LINE(host, "plugin loaded all", LoadTime, "complete load of the built-in market");

    const std::string futureTitle = Utf8(u8"期权T型报价--IF2612");
    const std::string optionTitle = Utf8(u8"期权T型报价--SR702");
    ASSERT_TRUE(host.Command("invoke IF2612"));
    ASSERT_NE(WaitForWindowTitled(futureTitle), "") << "no popup board titled " << futureTitle << ":\n"
                                                    << lastProbeOutput_;
    // A CZCE call: its popup is its underlying future's.
    ASSERT_TRUE(host.Command("invoke SR702C5000"));
    ASSERT_NE(WaitForWindowTitled(optionTitle), "") << "no popup board titled " << optionTitle << ":\n"
                                                    << lastProbeOutput_;
    const RunResult windows = Session().Probe({"windows"});
    EXPECT_NE(windows.output.find(" " + futureTitle + "\n"), std::string::npos) << windows.output;

    // Each board subscribes to and asks for its underlying and every option of its chain.
    ASSERT_LINE(host, "QUOTE_REQUEST value=0 id=0 len=64 [1] SR702P", WindowTime, "quote requests for the SR702 chain");
    for (const std::string code : {"IF2612", "IO2612-C-3400", "IO2612-P-3400", "SR702", "SR702C5000"}) {
        EXPECT_EQ(host.CountFromPlugin("QUOTE_SUBSCRIBE", code), 1u) << code;
        EXPECT_EQ(host.CountFromPlugin("QUOTE_REQUEST", code), 1u) << code;
    }

    // Side by side (one above the other on the X screen), both boards paint the pushed quotes.
    ASSERT_EQ(Session()
                  .Probe({"move", ProbePattern(futureTitle), "0", "0", "move", ProbePattern(optionTitle), "0", "490"})
                  .status,
              0);
    EXPECT_TRUE(PixelsChange(futureTitle)) << "the IF2612 board never painted anything new";
    EXPECT_TRUE(PixelsChange(optionTitle)) << "the SR702 board never painted anything new";

    // Closing one board unsubscribes its chain and only its chain, and the board leaves the
    // screen at once: well within the 2 s Wine's X11 driver waits for a window manager
    // where it thinks one runs, so a delay of ours would show too.
    const RunResult closed = Session().Probe(
        {"close", ProbePattern(futureTitle), "wait-gone", ProbePattern(futureTitle), std::to_string(ProbeWaitMs)});
    ASSERT_EQ(closed.status, 0) << closed.output;
    ASSERT_LINE(host, "QUOTE_UNSUBSCRIBE value=0 id=0 len=64 [1] IO2612-P-", WindowTime,
                "unsubscription of the IF2612 chain");
    const auto unsubscribed = std::chrono::steady_clock::now();
    ASSERT_TRUE(Session().WaitUntilNoXWindowNamed("IF2612", 10s)) << "the IF2612 board stays on the screen";
    EXPECT_LT(std::chrono::steady_clock::now() - unsubscribed, 1200ms)
        << "the IF2612 board left the screen long after it was closed";
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(host.CountFromPlugin("QUOTE_UNSUBSCRIBE", "IF2612"), 1u);
    EXPECT_EQ(host.CountFromPlugin("QUOTE_UNSUBSCRIBE", "IO2612-C-3400"), 1u);
    EXPECT_EQ(host.CountFromPlugin("QUOTE_UNSUBSCRIBE", "SR702"), 0u);
    EXPECT_NE(WaitForWindowTitled(optionTitle), "") << "the SR702 board went with the IF2612 one";

    fs::remove(quillon.Folder() / "grid.xml");
    ASSERT_TRUE(host.Command("close"));
    ExpectOrderlyExit(quillon);
    ASSERT_LINE(host, "plugin connection ended: the plugin closed the link", ExitTime, "end of the link");
}

TEST_F(EndToEnd, NormalRunModeShowsTheContractListOnTheDockedBoard) {
    HostSim host;
    ASSERT_EQ(host.Start(MarketDate), "");
    QuillonRun quillon("docked", 0);
    ASSERT_EQ(quillon.Start(Session(), host.Address()), "");

    ASSERT_LINE(host, "plugin hello: Quillon (mode 6); log-in accepted", StartTime, "hello from Quillon");
    ASSERT_LINE(host, "plugin loaded all", LoadTime, "complete load of the built-in market");
    // The host's default list is the first future and its chain.
    ASSERT_LINE(host, "<- 0x7011 REQ_CONTRACT_LIST", WindowTime, "request for the contract list");
    ASSERT_LINE(host, "QUOTE_SUBSCRIBE value=0 id=0 len=64 [1] IO2612-P-", WindowTime, "subscriptions of the list");
    EXPECT_EQ(host.CountFromPlugin("QUOTE_SUBSCRIBE", "IF2612"), 1u);

    const std::string frameTitle = Utf8(u8"期权T型报价");
    ASSERT_TRUE(host.Command("show 0 0 1100 700"));
    ASSERT_NE(WaitForWindowTitled(frameTitle), "") << "the frame did not show:\n" << lastProbeOutput_;

    ASSERT_TRUE(host.Command("list SR702 SR702C5000 SR702P5000"));
    ASSERT_LINE(host, "QUOTE_SUBSCRIBE value=0 id=0 len=64 [1] SR702P5000", WindowTime,
                "subscriptions of the pushed list");
    EXPECT_GE(host.CountFromPlugin("QUOTE_UNSUBSCRIBE", "IF2612"), 1u) << "the earlier list was not let go";
    EXPECT_EQ(host.CountFromPlugin("QUOTE_SUBSCRIBE", "SR702C5000"), 1u);
    EXPECT_TRUE(PixelsChange(frameTitle)) << "the docked board never painted anything new";

    ASSERT_TRUE(host.Command("close"));
    ExpectOrderlyExit(quillon);
}

TEST_F(EndToEnd, RefusedLogInShowsTheErrorBoxAndTheProgramExitsWhenItIsDismissed) {
    HostSim host;
    ASSERT_EQ(host.Start({"--login", "fail", "--instruments", "70"}), "");
    QuillonRun quillon("refused", std::nullopt);
    ASSERT_EQ(quillon.Start(Session(), host.Address()), "");
    ASSERT_LINE(host, "log-in refused", StartTime, "hello from Quillon");

    const std::string caption = Utf8(u8"错误提示");
    const RunResult box = Session().Probe({"box", ProbePattern(caption), std::to_string(ProbeWaitMs)});
    ASSERT_EQ(box.status, 0) << "no error box:\n" << box.output;
    EXPECT_NE(box.output.find("text " + Utf8(u8"期权T型报价功能初始化失败，无法登录到Hexmoor")), std::string::npos)
        << box.output;
    EXPECT_TRUE(quillon.Process().Running()) << "the program did not wait for the box to be dismissed";

    ASSERT_EQ(Session().Probe({"press", ProbePattern(caption), "1"}).status, 0);
    const std::optional<int> status = quillon.WaitForExit(ExitTime);
    ASSERT_TRUE(status.has_value()) << "Quillon.exe did not exit after the box was dismissed\n"
                                    << quillon.Process().Tail();
    EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, HostThatDiesMidLoadEndsTheProgramInOrder) {
    HostSim host;
    // A large market, so the load is far from its end when the host dies at the 100th
    // instrument, however slow the machine.
    ASSERT_EQ(host.Start({"--instruments", "5000"}), "");
    QuillonRun quillon("host-dies", std::nullopt);
    ASSERT_EQ(quillon.Start(Session(), host.Address()), "");

    int instrumentRequests = 0;
    const auto hundredth = host.Process().WaitForLine(
        [&](const std::string& line) {
            return line.find("REQ_INSTRUMENT") != std::string::npos && ++instrumentRequests == 100;
        },
        LoadTime);
    ASSERT_TRUE(hundredth.has_value()) << "the load did not reach 100 instruments\n" << host.Process().Tail();
    host.Process().Kill();
    for (const std::string& line : host.Process().Lines()) {
        ASSERT_EQ(line.find("plugin loaded all"), std::string::npos) << "the load ended before the host died";
    }
    ExpectOrderlyExit(quillon);
}

TEST_F(EndToEnd, ColumnSetEditedBetweenRunsIsTheOneTheNextRunStartsWithAndSaves) {
    const std::vector<int> defaults = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::vector<int> edited = {0, 9, 3, 1, 12};
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "first run, no grid.xml" : "second run, edited grid.xml");
        HostSim host;
        ASSERT_EQ(host.Start({"--instruments", "70"}), "");
        QuillonRun quillon("columns", 0, run == 0 ? QuillonRun::FolderUse::Fresh : QuillonRun::FolderUse::Keep);
        if (run == 1) {
            ASSERT_EQ(ColumnIdsOf(quillon.Folder() / "grid.xml"), defaults) << "the first run saved something else";
            std::ofstream(quillon.Folder() / "grid.xml", std::ios::trunc)
                << "<root>\n  <NormalGrid>\n    <Column ID=\"0\" />\n    <Column ID=\"9\" />\n"
                   "    <Column ID=\"3\" />\n    <Column ID=\"1\" />\n    <Column ID=\"12\" />\n  "
                   "</NormalGrid>\n</root>\n";
        }
        ASSERT_EQ(quillon.Start(Session(), host.Address()), "");
        ASSERT_LINE(host, "plugin hello: Quillon (mode 6)", StartTime, "hello from Quillon");
        ASSERT_TRUE(host.Command("close"));
        ExpectOrderlyExit(quillon);
        EXPECT_EQ(ColumnIdsOf(quillon.Folder() / "grid.xml"), run == 0 ? defaults : edited);
    }
}

}  // namespace
}  // namespace quillon::e2e
