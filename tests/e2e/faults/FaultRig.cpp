#include "FaultRig.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quillon::e2e {
namespace fs = std::filesystem;

ArgumentRun::ArgumentRun(const std::string& name, std::optional<int> iniRunMode) : folder_(name, iniRunMode) {}

ArgumentRun::~ArgumentRun() {
    if (process_.Pid() > 0) {
        process_.Kill();
        Reaper::Instance().ReleaseGroup(process_.Pid());
    }
}

std::string ArgumentRun::Start(const WineSession& session, const std::string& hostAddress,
                               const std::vector<std::string>& arguments) {
    auto environment = session.Environment();
    environment["TESSEL_HOST"] = hostAddress;
    std::vector<std::string> argv = {"/bin/bash", (SourceFolder() / "scripts/wine-run.sh").string(),
                                     (Folder() / "Quillon.exe").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (!process_.Start(argv, environment)) return "Quillon.exe did not start under Wine";
    Reaper::Instance().WatchGroup(process_.Pid());
    return {};
}

QuietHostSim::~QuietHostSim() {
    if (process_.Pid() > 0) {
        process_.Kill();
        Reaper::Instance().ReleaseGroup(process_.Pid());
    }
}

std::string QuietHostSim::Start(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {HostSimProgram().string(), "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), options.begin(), options.end());
    if (!process_.Start(argv)) return "hostsim did not start: " + argv.front();
    Reaper::Instance().WatchGroup(process_.Pid());
    const auto first = process_.WaitForLineContaining("hostsim listening on 127.0.0.1:", std::chrono::seconds(30));
    if (!first) return "hostsim did not say where it listens within 30 s:\n" + process_.Tail();
    port_ = std::atoi(first->c_str() + first->find("127.0.0.1:") + 10);
    if (port_ <= 0) return "hostsim's first line names no port: " + *first;
    return {};
}

std::set<std::string> EntriesOf(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.insert(entry.path().filename().string());
    return names;
}

std::optional<int> WineProcessOf(int group, const std::string& exeName) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const int pid = std::stoi(name);
        if (getpgid(pid) != group) continue;
        std::ifstream commandLine(entry.path() / "cmdline", std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(commandLine)), std::istreambuf_iterator<char>());
        // The loader and the wine launcher script name it too; the Windows process is the one
        // whose first argument is the program itself.
        const std::string first = text.substr(0, text.find('\0'));
        if (first.size() >= exeName.size() &&
            first.compare(first.size() - exeName.size(), exeName.size(), exeName) == 0) {
            return pid;
        }
    }
    return std::nullopt;
}

std::optional<long> ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return std::nullopt;
}

}  // namespace quillon::e2e
