#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "E2eRig.h"

namespace quillon::e2e {

// Quillon.exe started under Wine with a command line of the test's choosing (the rig's own
// start always passes one well-formed window handle). The folder is a QuillonRun's.
class ArgumentRun {
public:
    ArgumentRun(const std::string& name, std::optional<int> iniRunMode);
    ~ArgumentRun();
    ArgumentRun(const ArgumentRun&) = delete;
    ArgumentRun& operator=(const ArgumentRun&) = delete;

    std::filesystem::path Folder() const { return folder_.Folder(); }
    std::string Start(const WineSession& session, const std::string& hostAddress, const std::vector<std::string>& arguments);
    ChildProcess& Process() { return process_; }

private:
    QuillonRun folder_;
    ChildProcess process_;
};

// hostsim without its frame log, for floods: logging each frame would make the log, not
// the link, the limit, and the test would hold every line.
class QuietHostSim {
public:
    ~QuietHostSim();
    std::string Start(const std::vector<std::string>& options);
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    ChildProcess& Process() { return process_; }
    bool Command(const std::string& line) { return process_.WriteLine(line); }

private:
    ChildProcess process_;
    int port_ = 0;
};

// The names of the entries of a folder.
std::set<std::string> EntriesOf(const std::filesystem::path& folder);

// Linux's view of the Wine process running this Windows program: the process in `group`
// whose command line names `exeName`. Nothing while it is not (yet) there.
std::optional<int> WineProcessOf(int group, const std::string& exeName);
// Resident set size in KiB (the working set as Linux counts it), or nothing once it is gone.
std::optional<long> ResidentKiB(int pid);

}  // namespace quillon::e2e
