// Faults end to end: the real Quillon.exe with TesselAPI.dll under Wine against hosts that
// go away at each stage, answer garbage or flood it, and against unusable files and command
// lines. Each case ends the same way: the process exits in order (status 0), the user's
// columns are in grid.xml, and nothing else is left in the program's folder.
//
// Cases of one test run side by side, each with its own host and its own copy of the
// program, on one Wine session: a Wine start costs seconds, and the cases share nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <sstream>
#include <thread>

#include "FaultRig.h"
#include "host/HostMessages.h"
#include "host/LinkFrame.h"
#include "host/WireText.h"
#include "support/LinkTestHost.h"

namespace quillon::e2e {
namespace {

namespace fs = std::filesystem;
using test::LinkTestHost;

// Generous: CI runs this on a loaded two-core machine, several programs at once. A wait
// that runs out fails with what did not arrive; none of them is a speed target.
constexpr auto StartTime = 90s;
constexpr auto LoadTime = 150s;
constexpr auto ExitTime = 60s;
constexpr int StartMs = 90000;
constexpr int ReplyMs = 60000;

const std::vector<int> DefaultColumns = {0, 1, 2, 3, 4, 5, 6, 7};
const std::vector<int> UserColumns = {0, 9, 3, 1, 12};
const char* const UserGridXml =
    "<root>\n  <NormalGrid>\n    <Column ID=\"0\" />\n    <Column ID=\"9\" />\n    <Column ID=\"3\" />\n"
    "    <Column ID=\"1\" />\n    <Column ID=\"12\" />\n  </NormalGrid>\n</root>\n";

std::string Describe(const std::vector<int>& ids) {
    std::string text = "{";
    for (int id : ids) text += (text.size() > 1 ? ", " : "") + std::to_string(id);
    return text + "}";
}

// Reads frames from the plugin until one of this type; false on time-out or link end.
bool ReadUntil(LinkTestHost& host, std::uint32_t type, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const auto frame = host.ReadFrame(static_cast<int>(left.count()));
        if (!frame) return false;
        if (frame->header.msgType == type) return true;
    }
}

// The plugin's hello: "name (mode N)", or empty when none came.
std::string AcceptHello(LinkTestHost& host) {
    if (!host.Accept(StartMs)) return {};
    const auto hello = host.ReadFrame(ReplyMs);
    if (!hello || hello->header.msgType != host::LinkHelloType) return {};
    const auto decoded = host::DecodeHello(hello->payload.data(), hello->payload.size());
    if (!decoded) return {};
    return decoded->name + " (mode " + std::to_string(hello->header.value) + ")";
}

// What an orderly end looks like: exit status 0 within the time, grid.xml holding
// `columns`, and no file in the folder but the program's own. Empty when all holds.
std::string CheckOrderlyEnd(ChildProcess& process, const fs::path& folder, const std::vector<int>& columns) {
    const std::optional<int> status = process.WaitForExit(ExitTime);
    if (!status) return "Quillon.exe did not exit within 60 s of losing its host\n" + process.Tail();
    if (*status != 0) return "Quillon.exe exited with status " + std::to_string(*status) + "\n" + process.Tail();
    const std::vector<int> saved = ColumnIdsOf(folder / "grid.xml");
    if (saved != columns) return "grid.xml holds " + Describe(saved) + " instead of " + Describe(columns);
    for (const std::string& name : EntriesOf(folder)) {
        if (name != "Quillon.exe" && name != "TesselAPI.dll" && name != "Quillon.INI" && name != "grid.xml") {
            return "left behind in the program's folder: " + name;
        }
    }
    return {};
}

// The suite's one Wine session, for the cases' threads.
WineSession* sharedSession = nullptr;

class Faults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        missing_ = MissingWindowsPrograms();
        if (!missing_.empty()) return;
        session_ = std::make_unique<WineSession>(fs::path(QUILLON_BINARY_DIR) / ("e2e-faults-wine-" + WindowsBuildArch()));
        sessionError_ = session_->Start();
        sharedSession = session_.get();
    }
    static void TearDownTestSuite() {
        sharedSession = nullptr;
        session_.reset();
    }

    void SetUp() override {
        if (!missing_.empty()) QUILLON_E2E_CANNOT_RUN(missing_);
        ASSERT_TRUE(sessionError_.empty()) << sessionError_;
    }

    // Runs the cases side by side; each returns what went wrong, or nothing.
    static void RunSideBySide(const std::vector<std::pair<std::string, std::function<std::string()>>>& cases) {
        std::vector<std::future<std::string>> results;
        for (const auto& entry : cases) results.push_back(std::async(std::launch::async, entry.second));
        for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(results[i].get(), "") << "case: " << cases[i].first;
    }

    static inline std::string missing_;
    static inline std::unique_ptr<WineSession> session_;
    static inline std::string sessionError_;
};

// ---- the host link lost at each stage

std::string LoseLinkWithTestHost(const std::string& name, bool midLoad) {
    LinkTestHost host;
    if (!host.Listening()) return "the test host does not listen";
    QuillonRun quillon(name, 0);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    if (auto error = quillon.Start(*sharedSession, host.Address()); !error.empty()) return error;
    if (AcceptHello(host).empty()) return "no hello from Quillon within 90 s\n" + quillon.Process().Tail();
    if (midLoad) {
        host.Send(host::HOSTMSG_LOGIN_RESULT, 0, 0);
        if (!ReadUntil(host, host::HOSTMSG_REQ_EXCHANGES, ReplyMs)) return "no request for the exchanges after the log-in";
        const auto exchanges = host::EncodeTextSlots({"CFFEX"}, 32);
        host.Send(host::HOSTMSG_EXCHANGES, 0, 2, exchanges.data(), exchanges.size());
        if (!ReadUntil(host, host::HOSTMSG_REQ_EXCHANGE_CODES, ReplyMs)) return "no request for CFFEX's codes";
        const auto codes = host::EncodeTextSlots({"IF2612", "IO2612-C-3900", "IO2612-P-3900"}, 64);
        host.Send(host::HOSTMSG_EXCHANGE_CODES, 0, 3, codes.data(), codes.size());
        if (!ReadUntil(host, host::HOSTMSG_REQ_INSTRUMENT, ReplyMs)) return "no request for the first instrument";
    }
    host.DropLink();
    return CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns);
}

// Popup run mode: a selection reply of the wrong shape while one is pending raises the
// system-modal warning box; the link goes while the box waits for the user.
std::string LoseLinkWhileAMessageBoxIsOpen() {
    LinkTestHost host;
    if (!host.Listening()) return "the test host does not listen";
    QuillonRun quillon("faults-lost-box", std::nullopt);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    if (auto error = quillon.Start(*sharedSession, host.Address()); !error.empty()) return error;
    if (AcceptHello(host).empty()) return "no hello from Quillon within 90 s\n" + quillon.Process().Tail();
    host.Send(host::HOSTMSG_INVOKE, 0, 0);
    const unsigned char shortSlot[3] = {'I', 'F', 0};
    host.Send(host::HOSTMSG_SELECTED, 0, 1, shortSlot, sizeof shortSlot);
    const RunResult box = sharedSession->Probe({"box", ProbePattern(Utf8(u8"错误提示")), "60000"});
    if (box.status != 0 || box.output.find(Utf8(u8"未正确选择合约")) == std::string::npos) {
        return "no warning box for the wrong selection reply:\n" + box.output;
    }
    host.DropLink();
    return CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns);
}

std::string LoseLinkWhileQuotesFlow() {
    HostSim host;
    if (auto error = host.Start({"--instruments", "70", "--rate", "20"}); !error.empty()) return error;
    QuillonRun quillon("faults-lost-quotes", 0);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    if (auto error = quillon.Start(*sharedSession, host.Address()); !error.empty()) return error;
    if (!host.WaitForLine("plugin loaded all", LoadTime)) return "the load did not complete\n" + host.Process().Tail();
    int quotes = 0;
    const auto flowing = host.Process().WaitForLine(
        [&](const std::string& line) { return line.rfind("-> 0x7003", 0) == 0 && ++quotes == 50; }, LoadTime);
    if (!flowing) return "no 50 quotes pushed to the docked board's list\n" + host.Process().Tail();
    host.Process().Kill();
    return CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns);
}

TEST_F(Faults, HostLinkLostAtEachStageEndsTheProgramInOrderWithTheUserColumnsKept) {
    RunSideBySide({
        {"before the log-in", [] { return LoseLinkWithTestHost("faults-lost-before-login", false); }},
        {"mid-load", [] { return LoseLinkWithTestHost("faults-lost-mid-load", true); }},
        {"while quotes flow", [] { return LoseLinkWhileQuotesFlow(); }},
        {"while a message box is open", [] { return LoseLinkWhileAMessageBoxIsOpen(); }},
    });
}

// ---- garbage from the host

// Every type the program takes (and some it does not) with lengths around and off every
// shape it checks, payloads without a NUL; then a log-in the program must still answer,
// then a header the link cannot take (`badLength`), which ends the link.
std::string GarbageThenBadHeader(const std::string& name, std::int32_t badLength) {
    LinkTestHost host;
    if (!host.Listening()) return "the test host does not listen";
    QuillonRun quillon(name, 0);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    if (auto error = quillon.Start(*sharedSession, host.Address()); !error.empty()) return error;
    if (AcceptHello(host).empty()) return "no hello from Quillon within 90 s\n" + quillon.Process().Tail();

    const std::vector<std::uint32_t> types = {0x3002, 0x3004, 0x3006, 0x6002, 0x7003, 0x7006, 0x7008, 0x700A,
                                              0x7012, 0x8012, 0x1000, 0x1FFF, 0x1234, 0x2000, 0x0000, 0x7FFFFFFF,
                                              host::LinkShowWindowType, host::LinkHideWindowType, 0xFFFFFFFF};
    const std::vector<std::size_t> lengths = {0, 1, 15, 16, 31, 32, 33, 63, 64, 65, 399, 400, 401, 591, 592, 593, 5000};
    std::mt19937 random(static_cast<unsigned>(badLength));
    for (std::uint32_t type : types) {
        for (std::size_t length : lengths) {
            std::vector<unsigned char> payload(length, 0xFF);
            // Half the frames with random bytes (NULs here and there), half without any NUL.
            if (length % 2 == 1) std::generate(payload.begin(), payload.end(), [&] { return static_cast<unsigned char>(random()); });
            for (std::int32_t value : {0, -1}) {
                if (!host.Send(type, value, static_cast<std::int32_t>(length), payload.data(), payload.size())) {
                    return "the link broke while the host sent garbage (type " + std::to_string(type) + ")\n" +
                           quillon.Process().Tail();
                }
            }
        }
    }
    // Everything above is queued ahead of this log-in: its answer shows the program went
    // through all of it and still works.
    host.Send(host::HOSTMSG_LOGIN_RESULT, 0, 0);
    if (!ReadUntil(host, host::HOSTMSG_REQ_EXCHANGES, ReplyMs)) {
        return "no answer to the log-in after the garbage\n" + quillon.Process().Tail();
    }
    unsigned char header[host::FrameHeaderSize] = {};
    const std::uint32_t type = host::HOSTMSG_QUOTE_PUSH;
    std::memcpy(header, &type, 4);
    std::memcpy(header + 12, &badLength, 4);
    host.SendRaw(header, sizeof header);
    // Bytes the header announces, as far as they come: the program must not wait for them.
    const std::vector<unsigned char> some(4096, 0x20);
    host.SendRaw(some.data(), some.size());
    if (!host.WaitForLinkEnd(ReplyMs)) return "the link stayed up after a header announcing " + std::to_string(badLength) + " bytes";
    return CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns);
}

TEST_F(Faults, GarbageFramesNeverStopTheProgramAndAnImpossibleLengthEndsItInOrder) {
    RunSideBySide({
        {"more than 16 MiB announced", [] { return GarbageThenBadHeader("faults-garbage-huge", host::MaxFramePayload + 1); }},
        {"a negative length", [] { return GarbageThenBadHeader("faults-garbage-negative", -16); }},
    });
}

// ---- grid.xml that cannot be used

// Starts against hostsim with grid.xml as `prepare` leaves it, closes through the host,
// then lets `check` look at what is in its place.
std::string UnusableGridXml(const std::string& name, const std::function<void(const fs::path&)>& prepare,
                            const std::function<std::string(const fs::path&)>& check) {
    HostSim host;
    if (auto error = host.Start({"--instruments", "70"}); !error.empty()) return error;
    QuillonRun quillon(name, 0);
    prepare(quillon.Folder() / "grid.xml");
    if (auto error = quillon.Start(*sharedSession, host.Address()); !error.empty()) return error;
    if (!host.WaitForLine("plugin hello: Quillon (mode 6)", StartTime)) {
        return "no hello from Quillon: start-up stalled\n" + host.Process().Tail() + quillon.Process().Tail();
    }
    if (!host.WaitForLine("plugin loaded all", LoadTime)) return "the load did not complete\n" + host.Process().Tail();
    host.Command("close");
    const std::optional<int> status = quillon.WaitForExit(ExitTime);
    if (!status) return "Quillon.exe did not exit within 60 s of the host's closing message\n" + quillon.Process().Tail();
    if (*status != 0) return "Quillon.exe exited with status " + std::to_string(*status) + "\n" + quillon.Process().Tail();
    return check(quillon.Folder() / "grid.xml");
}

std::string ExpectColumns(const fs::path& gridXml, const std::vector<int>& columns) {
    const std::vector<int> saved = ColumnIdsOf(gridXml);
    if (saved != columns) return "grid.xml holds " + Describe(saved) + " instead of " + Describe(columns);
    for (const std::string& entry : EntriesOf(gridXml.parent_path())) {
        if (entry != "Quillon.exe" && entry != "TesselAPI.dll" && entry != "Quillon.INI" && entry != "grid.xml") {
            return "left behind in the program's folder: " + entry;
        }
    }
    return {};
}

TEST_F(Faults, GridXmlThatIsAFolderBinaryOrHugeNeitherStallsStartUpNorLosesWhatCanBeKept) {
    RunSideBySide({
        {"a folder",
         [] {
             return UnusableGridXml(
                 "faults-gridxml-folder",
                 [](const fs::path& path) {
                     fs::create_directories(path);
                     std::ofstream(path / "kept.txt") << "the user's";
                 },
                 [](const fs::path& path) -> std::string {
                     if (!fs::is_directory(path) || !fs::exists(path / "kept.txt")) return "the folder named grid.xml was not left as it was";
                     if (EntriesOf(path.parent_path()).size() != 4) return "something was left beside the program";
                     return {};
                 });
         }},
        {"binary",
         [] {
             return UnusableGridXml(
                 "faults-gridxml-binary",
                 [](const fs::path& path) {
                     std::mt19937 random(7);
                     std::string bytes(65536, '\0');
                     for (char& byte : bytes) byte = static_cast<char>(random());
                     std::ofstream(path, std::ios::binary) << bytes;
                 },
                 [](const fs::path& path) { return ExpectColumns(path, DefaultColumns); });
         }},
        {"the user's columns with binary bytes after them",
         [] {
             return UnusableGridXml(
                 "faults-gridxml-tail",
                 [](const fs::path& path) {
                     std::string bytes = UserGridXml;
                     bytes += std::string("\0\x01\xFF\xFE garbage \0\0", 16);
                     std::ofstream(path, std::ios::binary) << bytes;
                 },
                 [](const fs::path& path) { return ExpectColumns(path, UserColumns); });
         }},
        {"a sparse file of 3 GiB",
         [] {
             return UnusableGridXml(
                 "faults-gridxml-huge",
                 [](const fs::path& path) {
                     std::ofstream(path) << UserGridXml;
                     fs::resize_file(path, 3ull << 30);
                 },
                 [](const fs::path& path) { return ExpectColumns(path, DefaultColumns); });
         }},
    });
}

// ---- settings and command lines that make no sense

std::string StartWith(const std::string& name, const std::optional<std::string>& ini,
                      const std::vector<std::string>& arguments) {
    LinkTestHost host;
    if (!host.Listening()) return "the test host does not listen";
    ArgumentRun quillon(name, std::nullopt);
    if (ini) std::ofstream(quillon.Folder() / "Quillon.INI", std::ios::binary) << *ini;
    if (auto error = quillon.Start(*sharedSession, host.Address(), arguments); !error.empty()) return error;
    const std::string hello = AcceptHello(host);
    if (hello != "Quillon (mode 6)" && hello != "QuillonPopup (mode 0)") {
        return "no usable hello from Quillon (\"" + hello + "\")\n" + quillon.Process().Tail();
    }
    host.Send(host::HOSTMSG_HOST_CLOSING, 0, 0);
    return CheckOrderlyEnd(quillon.Process(), quillon.Folder(), DefaultColumns);
}

TEST_F(Faults, NonsenseSettingsAndWildCommandLinesStillStartAndEndInOrder) {
    std::string binaryIni(3000, '\0');
    std::mt19937 random(11);
    for (char& byte : binaryIni) byte = static_cast<char>(random());
    RunSideBySide({
        {"nonsense INI values, no argument",
         [] {
             return StartWith("faults-args-none",
                              "[Startup]\r\nRunMode=banana\r\nNewOptionType=\r\nRunMode=99999999999999999999\r\n", {});
         }},
        {"binary INI, a word for the window",
         [binaryIni] { return StartWith("faults-args-word", binaryIni, {"not-a-window"}); }},
        {"no INI, an endless number and more arguments",
         [] {
             return StartWith("faults-args-long", std::nullopt,
                              {std::string(5000, '9'), "-1", "", Utf8(u8"窗口"), "--flag=\"x y\""});
         }},
    });
}

// ---- a program folder that cannot be written to

// Makes a folder immutable for its lifetime (chattr +i), which stops even root, whom the
// tests run as, from creating a file in it; lifted on every path out.
class ImmutableFolder {
public:
    static fs::path Chattr() { return fs::exists("/usr/bin/chattr") ? "/usr/bin/chattr" : "/bin/chattr"; }
    explicit ImmutableFolder(fs::path folder) : folder_(std::move(folder)) {
        set_ = RunToEnd({Chattr().string(), "+i", folder_.string()}, {}, 30s).status == 0;
        if (set_) {
            std::ofstream probe(folder_ / "probe");
            set_ = !probe.is_open();
            if (!set_) fs::remove(folder_ / "probe");
        }
    }
    ~ImmutableFolder() { Lift(folder_); }
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;
    bool Set() const { return set_; }
    static void Lift(const fs::path& folder) {
        if (fs::exists(folder)) RunToEnd({Chattr().string(), "-i", folder.string()}, {}, 30s);
    }

private:
    fs::path folder_;
    bool set_ = false;
};

TEST_F(Faults, ProgramFolderThatCannotBeWrittenToKeepsTheUserColumnsWhole) {
    // A run killed in the middle may have left its folder immutable.
    ImmutableFolder::Lift(fs::path(QUILLON_BINARY_DIR) / "e2e-runs" / "faults-readonly");
    HostSim host;
    ASSERT_EQ(host.Start({"--instruments", "70"}), "");
    QuillonRun quillon("faults-readonly", 0);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    ImmutableFolder readOnly(quillon.Folder());
    if (!readOnly.Set()) QUILLON_E2E_CANNOT_RUN("this file system or user cannot make a folder immutable (chattr +i)");
    ASSERT_EQ(quillon.Start(*sharedSession, host.Address()), "");
    ASSERT_TRUE(host.WaitForLine("plugin loaded all", LoadTime)) << "the load did not complete\n" << host.Process().Tail();
    ASSERT_TRUE(host.Command("close"));
    // The save fails; the user's file stays whole and no temporary file is left.
    EXPECT_EQ(CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns), "");
    std::ifstream saved(quillon.Folder() / "grid.xml", std::ios::binary);
    const std::string contents((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(contents, UserGridXml);
}

// ---- flood and leaks

// Samples the program's resident set (its working set as Linux sees it: Wine 8 reports no
// private bytes and no GDI or USER object counts) while `during` runs.
struct MemoryTrace {
    std::vector<long> kib;
    std::string Text() const {
        std::string text;
        for (long value : kib) text += std::to_string(value / 1024) + " ";
        return text + "MiB";
    }
};

// hostsim's next "stats:" line, or empty.
std::string NextStats(QuietHostSim& host) {
    std::size_t earlier = 0;
    for (const std::string& line : host.Process().Lines()) earlier += line.rfind("stats:", 0) == 0;
    if (!host.Command("stats")) return {};
    std::size_t seen = 0;
    const auto line = host.Process().WaitForLine(
        [&](const std::string& text) { return text.rfind("stats:", 0) == 0 && ++seen > earlier; }, 30s);
    return line.value_or("");
}

// The number after `word ` in a stats line, or -1.
long long StatsNumber(const std::string& stats, const std::string& word) {
    const std::size_t at = stats.find(", " + word + " ");
    return at == std::string::npos ? -1 : std::atoll(stats.c_str() + at + word.size() + 3);
}

// Under a flood the program's memory levels off instead of growing with what it has not
// yet handled (past a fixed backlog each instrument keeps one waiting quote), and the host's closing
// message, queued behind the flood, still ends it in order.
TEST_F(Faults, QuoteFloodLeavesMemoryLevelAndTheClosingMessageStillGetsThrough) {
    QuietHostSim host;
    ASSERT_EQ(host.Start({"--instruments", "70"}), "");
    QuillonRun quillon("faults-flood", 0);
    std::ofstream(quillon.Folder() / "grid.xml") << UserGridXml;
    ASSERT_EQ(quillon.Start(*sharedSession, host.Address()), "");
    ASSERT_TRUE(host.Process().WaitForLineContaining("plugin loaded all", LoadTime))
        << "the load did not complete\n" << host.Process().Tail();
    const std::optional<int> pid = WineProcessOf(quillon.Process().Pid(), "Quillon.exe");
    ASSERT_TRUE(pid.has_value()) << "no Linux process found for Quillon.exe";

    std::string stats;
    for (int attempt = 0; attempt < 60 && StatsNumber(stats, "subscribed") <= 0; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(1s);
        stats = NextStats(host);
    }
    ASSERT_GT(StatsNumber(stats, "subscribed"), 0) << "the docked board subscribed nothing: " << stats;
    const long long quotesBefore = StatsNumber(stats, "quotes");
    ASSERT_TRUE(host.Command("rate flood"));
    MemoryTrace trace;
    for (int second = 0; second < 30; ++second) {
        std::this_thread::sleep_for(1s);
        const auto kib = ResidentKiB(*pid);
        ASSERT_TRUE(kib.has_value()) << "Quillon.exe ended during the flood\n" << quillon.Process().Tail();
        trace.kib.push_back(*kib);
    }
    stats = NextStats(host);
    // Far more than the 20,000 records the program lets wait unfolded, or the test shows nothing.
    EXPECT_GT(StatsNumber(stats, "quotes") - quotesBefore, 100000) << "the flood was too thin: " << stats;
    ASSERT_TRUE(host.Command("close"));
    EXPECT_EQ(CheckOrderlyEnd(quillon.Process(), quillon.Folder(), UserColumns), "") << "during a flood";
    // The first seconds fill the backlog; after that, growth is what a leak would be.
    const long settled = *std::max_element(trace.kib.begin(), trace.kib.begin() + 10);
    const long last = *std::max_element(trace.kib.begin() + 20, trace.kib.end());
    EXPECT_LT(last, settled + 32 * 1024) << "resident set grew through the flood: " << trace.Text();
    std::printf("flood: %s; resident set each second: %s\n", stats.c_str(), trace.Text().c_str());
}

// The number of windows of the Windows process `pid` (shown or not, with descendants), or -1.
long WindowCount(const std::string& windowsPid) {
    const RunResult result =
        RunToEnd({"/bin/bash", (SourceFolder() / "scripts/wine-run.sh").string(),
                  (WindowsBinFolder() / "quillon_window_count.exe").string(), windowsPid},
                 sharedSession->Environment(), 60s);
    const std::size_t at = result.output.find("windows ");
    return result.status == 0 && at != std::string::npos ? std::atol(result.output.c_str() + at + 8) : -1;
}

// Popup boards opened and closed again and again while quotes flow leave no window behind
// and no memory that grows with the cycles.
TEST_F(Faults, PopupOpenCloseCyclesUnderQuotesBringWindowsAndMemoryBack) {
    if (!fs::exists(WindowsBinFolder() / "quillon_window_count.exe")) QUILLON_E2E_CANNOT_RUN("quillon_window_count.exe is not built");
    HostSim host;
    ASSERT_EQ(host.Start({"--date", "20261208", "--rate", "10"}), "");
    QuillonRun quillon("faults-popups", std::nullopt);
    ASSERT_EQ(quillon.Start(*sharedSession, host.Address()), "");
    ASSERT_TRUE(host.WaitForLine("plugin loaded all", LoadTime)) << "the load did not complete\n" << host.Process().Tail();
    const std::optional<int> pid = WineProcessOf(quillon.Process().Pid(), "Quillon.exe");
    ASSERT_TRUE(pid.has_value()) << "no Linux process found for Quillon.exe";

    const std::string title = ProbePattern(Utf8(u8"期权T型报价--IF2612"));
    constexpr int Cycles = 25;
    constexpr int Warm = 3;
    MemoryTrace trace;
    std::string windowsPid;
    long windowsWarm = -1;
    for (int cycle = 0; cycle < Cycles; ++cycle) {
        ASSERT_TRUE(host.Command("invoke IF2612"));
        const RunResult shown = sharedSession->Probe({"wait-window", title, "30000", "close", title, "wait-gone", title, "30000"});
        ASSERT_EQ(shown.status, 0) << "cycle " << cycle << ": the popup did not open and close:\n" << shown.output;
        if (windowsPid.empty()) {
            // "window HWND PID ..."
            std::istringstream line(shown.output);
            std::string word, hwnd;
            line >> word >> hwnd >> windowsPid;
        }
        trace.kib.push_back(ResidentKiB(*pid).value_or(0));
        if (cycle + 1 == Warm) {
            std::this_thread::sleep_for(2s);
            windowsWarm = WindowCount(windowsPid);
        }
    }
    std::this_thread::sleep_for(2s);
    const long windowsEnd = WindowCount(windowsPid);
    const long kibWarm = trace.kib[Warm - 1];
    const long kibEnd = ResidentKiB(*pid).value_or(0);
    ASSERT_TRUE(host.Command("close"));
    EXPECT_EQ(CheckOrderlyEnd(quillon.Process(), quillon.Folder(), DefaultColumns), "") << "after the popups";

    ASSERT_GT(windowsWarm, 0) << "windows of process " << windowsPid << " could not be counted";
    // Two windows of slack for a passing one (a title tip); a board's windows left behind
    // per cycle would be dozens.
    EXPECT_LE(windowsEnd, windowsWarm + 2) << "windows after " << Warm << " cycles and after " << Cycles;
    EXPECT_LT(kibEnd, kibWarm + 16 * 1024) << "resident set grew with the cycles: " << trace.Text();
    std::printf("popups: windows %ld after %d cycles, %ld after %d; resident set after each cycle: %s\n", windowsWarm,
                Warm, windowsEnd, Cycles, trace.Text().c_str());
}

}  // namespace
}  // namespace quillon::e2e
