#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace quillon::e2e {

using namespace std::chrono_literals;

// Where the programs under test are: a Windows build's bin folder and this build's
// hostsim. QUILLON_WINDOWS_BIN (or the older QUILLON_WIN32_BIN) names the folder; without
// it, the build this machine runs (scripts/windows-builds.sh --first).
std::filesystem::path WindowsBinFolder();
std::filesystem::path HostSimProgram();
std::filesystem::path SourceFolder();
// "win32" or "win64", read from Quillon.exe's own header in that folder; empty when it is
// missing or no Windows program.
std::string WindowsBuildArch();
// Why the Windows programs cannot be run, or empty when they can.
std::string MissingWindowsPrograms();

// True under CI, where a case that cannot run fails rather than skips: a green run must
// mean the programs were run.
bool RunningInCi();
#define QUILLON_E2E_CANNOT_RUN(why)                       \
    do {                                                  \
        if (::quillon::e2e::RunningInCi()) FAIL() << why; \
        GTEST_SKIP() << why;                              \
    } while (false)

// UTF-8 text from a u8 literal: narrow literals of this build are code page 936.
std::string Utf8(const char8_t* text);
// A probe pattern that reaches the probe intact whatever Wine's locale.
std::string ProbePattern(const std::string& utf8);

// Stops what the tests started even when the test process is killed (a ctest time-out):
// a detached shell that holds the read end of a pipe and, when the pipe ends, kills the
// process groups and Wine sessions it was told about that were not released.
class Reaper {
public:
    static Reaper& Instance();
    void WatchGroup(int pgid);
    void ReleaseGroup(int pgid);
    void WatchWineSession(const std::filesystem::path& folder);
    void ReleaseWineSession(const std::filesystem::path& folder);

private:
    Reaper();
    void Tell(const std::string& line);
    int pipe_ = -1;
};

// A Wine session of its own (prefix, X server, wineserver) under `folder`, for one test
// process, with the Wine of the programs' build; the probe program runs inside it.
class WineSession {
public:
    explicit WineSession(std::filesystem::path folder);
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    // Empty on success, else what went wrong.
    std::string Start();
    void Stop();
    std::map<std::string, std::string> Environment() const;
    std::filesystem::path Folder() const { return folder_; }

    // quillon_e2e_probe with these steps; its output lines and exit status.
    RunResult Probe(const std::vector<std::string>& steps, std::chrono::milliseconds timeout = 60s) const;

    // Waits until no X window of the session's display is named with `fragment` (ASCII), as
    // a user looking at the screen sees it: Wine may have let go of a window that its X11
    // driver still shows. False when one is still there after `timeout`.
    bool WaitUntilNoXWindowNamed(const std::string& fragment, std::chrono::milliseconds timeout) const;

private:
    std::filesystem::path folder_;
    bool started_ = false;
};

// hostsim on a free loopback port, logging every frame.
class HostSim {
public:
    ~HostSim();
    // Empty on success, else what went wrong.
    std::string Start(const std::vector<std::string>& options);
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    ChildProcess& Process() { return process_; }
    bool Command(const std::string& line) { return process_.WriteLine(line); }
    // Lines of frames the plugin sent of this type name (e.g. "QUOTE_SUBSCRIBE") that carry
    // this code as their one slot.
    std::size_t CountFromPlugin(const std::string& typeName, const std::string& code) const;
    std::optional<std::string> WaitForLine(const std::string& part, std::chrono::milliseconds timeout) {
        return process_.WaitForLineContaining(part, timeout);
    }

private:
    ChildProcess process_;
    int port_ = 0;
};

// Quillon.exe with TesselAPI.dll, copied into a scratch folder of the test's own (its INI
// and grid.xml are beside it), started under Wine as the host starts it.
class QuillonRun {
public:
    // Fresh empties the folder first; Keep leaves what an earlier run there wrote.
    enum class FolderUse { Fresh, Keep };
    // `iniRunMode`: written to Quillon.INI when given; without it there is no INI.
    QuillonRun(const std::string& name, std::optional<int> iniRunMode, FolderUse use = FolderUse::Fresh);
    ~QuillonRun();
    std::filesystem::path Folder() const { return folder_; }
    std::string Start(const WineSession& session, const std::string& hostAddress);
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout) { return process_.WaitForExit(timeout); }
    ChildProcess& Process() { return process_; }

private:
    std::filesystem::path folder_;
    ChildProcess process_;
};

// The "ID" attributes of grid.xml's Column elements, in order.
std::vector<int> ColumnIdsOf(const std::filesystem::path& gridXml);

}  // namespace quillon::e2e
