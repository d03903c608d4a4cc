// The built Quillon.exe with the real TesselAPI.dll, started as the host starts it, against
// the loopback test host in this process: the hello, the load with its request ids, and
// the orderly exit on the host's closing message.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "host/WireText.h"
#include "support/LinkTestHost.h"
#include "support/TestPaths.h"

namespace quillon::test {
namespace {

using namespace quillon::host;

constexpr int WaitMs = 15000;

std::vector<unsigned char> Instrument(const std::string& code, char productClass) {
    std::vector<unsigned char> record(instrument_record::Size, 0);
    WriteText(record.data(), 0, 64, code);
    WriteText(record.data(), 64, 32, "CFFEX");
    record[instrument_record::ProductClassOffset] = static_cast<unsigned char>(productClass);
    WriteDouble(record.data(), instrument_record::PriceTickOffset, 0.2);
    return record;
}

// Closes a process handle, and ends the process if the test left it running.
struct ChildProcess {
    PROCESS_INFORMATION info = {};
    ~ChildProcess() {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
            CloseHandle(info.hProcess);
        }
        if (info.hThread) CloseHandle(info.hThread);
    }
};

TEST(QuillonProcess, LoadsFromTheHostAndExitsInOrderSavingTheColumns) {
    namespace fs = std::filesystem;
    fs::path bin = fs::path(QUILLON_BINARY_DIR) / "bin";
    fs::path folder = MakeScratchFolder("quillon-process");
    // A folder of its own: the INI and grid.xml beside the executable are this test's.
    fs::copy_file(bin / "Quillon.exe", folder / "Quillon.exe");
    fs::copy_file(bin / "TesselAPI.dll", folder / "TesselAPI.dll");
    std::ofstream(folder / "Quillon.INI") << "[Startup]\r\nRunMode=0\r\n";

    LinkTestHost host;
    ASSERT_TRUE(host.Listening());
    SetEnvironmentVariableA("TESSEL_HOST", host.Address().c_str());
    std::wstring exe = fs::absolute(folder / "Quillon.exe").wstring();
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    std::wstring commandLine = L"\"" + exe + L"\" 4660";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    ChildProcess child;
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &child.info));

    ASSERT_TRUE(host.Accept(WaitMs));
    auto hello = host.ReadFrame(WaitMs);
    ASSERT_TRUE(hello.has_value());
    EXPECT_EQ(hello->header.msgType, 0u);
    EXPECT_EQ(hello->header.value, 6);  // the docked run mode's mode word
    std::string names(hello->payload.begin(), hello->payload.end());
    EXPECT_EQ(names.substr(0, 12), std::string("Quillon\0"
                                               "731\0",
                                               12));
    ASSERT_EQ(hello->payload.size(), 20u);
    std::uint32_t hostWindow = 0;
    std::memcpy(&hostWindow, hello->payload.data() + 12, 4);
    EXPECT_EQ(hostWindow, 4660u);

    auto expect = [&](std::uint32_t type, int requestId, const std::string& text = {}) {
        auto frame = host.ReadFrame(WaitMs);
        ASSERT_TRUE(frame.has_value()) << std::hex << type;
        EXPECT_EQ(frame->header.msgType, type);
        EXPECT_EQ(frame->header.requestId, requestId);
        if (!text.empty()) {
            std::string slot(frame->payload.begin(), frame->payload.end());
            EXPECT_EQ(slot.substr(0, slot.find('\0')), text);
        }
    };
    ASSERT_TRUE(host.Send(HOSTMSG_LOGIN_RESULT, 0));
    expect(HOSTMSG_REQ_HOST_TEXT, 1);
    expect(HOSTMSG_REQ_EXCHANGES, 2);
    auto exchanges = EncodeTextSlots({"CFFEX"}, 32);
    ASSERT_TRUE(host.Send(HOSTMSG_EXCHANGES, 0, 0, exchanges.data(), exchanges.size()));
    expect(HOSTMSG_REQ_EXCHANGE_CODES, 3, "CFFEX");
    auto codes = EncodeTextSlots({"IO2301-C-3900", "IF2301"}, 64);
    ASSERT_TRUE(host.Send(HOSTMSG_EXCHANGE_CODES, 0, 3, codes.data(), codes.size()));
    expect(HOSTMSG_REQ_INSTRUMENT, 4, "IF2301");
    auto future = Instrument("IF2301", '1');
    ASSERT_TRUE(host.Send(HOSTMSG_INSTRUMENT, 0, 4, future.data(), future.size()));
    expect(HOSTMSG_REQ_INSTRUMENT, 5, "IO2301-C-3900");
    auto option = Instrument("IO2301-C-3900", '2');
    ASSERT_TRUE(host.Send(HOSTMSG_INSTRUMENT, 0, 5, option.data(), option.size()));
    expect(HOSTMSG_REQ_CONTRACT_LIST, 6);

    fs::remove(folder / "grid.xml");
    ASSERT_TRUE(host.Send(HOSTMSG_HOST_CLOSING, 0));
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, WaitMs), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(child.info.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(fs::exists(folder / "grid.xml"));
    EXPECT_TRUE(host.WaitForLinkEnd(WaitMs));
}

}  // namespace
}  // namespace quillon::test
