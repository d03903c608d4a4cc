#include "E2eRig.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace quillon::e2e {
namespace fs = std::filesystem;

fs::path WindowsBinFolder() {
    for (const char* name : {"QUILLON_WINDOWS_BIN", "QUILLON_WIN32_BIN"}) {
        if (const char* overridden = std::getenv(name); overridden && *overridden) return overridden;
    }
    static const fs::path chosen = [] {
        const RunResult first =
            RunToEnd({"/bin/bash", (SourceFolder() / "scripts/windows-builds.sh").string(), "--first"}, {}, 60s);
        std::string build = first.output.substr(0, first.output.find('\n'));
        if (first.status != 0 || build.empty()) build = "win32";
        return SourceFolder() / "build" / build / "bin";
    }();
    return chosen;
}

std::string WindowsBuildArch() {
    // The PE header: its offset at 0x3C, then "PE\0\0" and the machine field.
    std::ifstream image(WindowsBinFolder() / "Quillon.exe", std::ios::binary);
    unsigned char offset[4] = {};
    if (!image.seekg(0x3C).read(reinterpret_cast<char*>(offset), 4)) return {};
    const std::uint32_t header = offset[0] | offset[1] << 8 | offset[2] << 16 | std::uint32_t(offset[3]) << 24;
    unsigned char signature[6] = {};
    if (!image.seekg(header).read(reinterpret_cast<char*>(signature), 6)) return {};
    if (std::memcmp(signature, "PE\0\0", 4) != 0) return {};
    const unsigned machine = signature[4] | signature[5] << 8;
    if (machine == 0x014C) return "win32";
    if (machine == 0x8664) return "win64";
    return {};
}

fs::path HostSimProgram() {
    return QUILLON_HOSTSIM_PROGRAM;
}

fs::path SourceFolder() {
    return QUILLON_SOURCE_DIR;
}

std::string MissingWindowsPrograms() {
    for (const char* name : {"Quillon.exe", "TesselAPI.dll", "quillon_e2e_probe.exe"}) {
        if (!fs::exists(WindowsBinFolder() / name)) {
            return (WindowsBinFolder() / name).string() + " is not built (build the win32 or win64 preset first)";
        }
    }
    if (WindowsBuildArch().empty()) return (WindowsBinFolder() / "Quillon.exe").string() + " is no Windows program";
    return {};
}

bool RunningInCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string_view(ci) == "true";
}

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

std::string ProbePattern(const std::string& utf8) {
    std::string pattern = "x:";
    char hex[3];
    for (unsigned char byte : utf8) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        pattern += hex;
    }
    return pattern;
}

// ---- Reaper

Reaper& Reaper::Instance() {
    static Reaper reaper;
    return reaper;
}

Reaper::Reaper() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    // The shell detaches (setsid, in the background of a shell that ends at once), so a
    // time-out that kills this process's tree leaves it to clean up.
    const std::string script =
        "declare -A groups sessions\n"
        "while read -r verb kind arg; do\n"
        "  case \"$verb $kind\" in\n"
        "    'watch group') groups[$arg]=1 ;; 'release group') unset \"groups[$arg]\" ;;\n"
        "    'watch wine') sessions[$arg]=1 ;; 'release wine') unset \"sessions[$arg]\" ;;\n"
        "  esac\n"
        "done\n"
        "for g in \"${!groups[@]}\"; do kill -KILL -- \"-$g\" 2>/dev/null; done\n"
        "for d in \"${!sessions[@]}\"; do QUILLON_WINE_DIR=\"$d\" bash \"$1/scripts/wine-session.sh\" stop; done\n";
    // The pipe comes on descriptor 3: a background command's standard input would be
    // /dev/null otherwise.
    const std::string launcher = "setsid bash -c \"$0\" reaper \"$1\" <&3 3<&- >/dev/null 2>&1 &";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], 3);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> argv = {"/bin/bash", "-c", launcher, script, SourceFolder().string()};
    std::vector<char*> pointers;
    for (std::string& arg : argv) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    pid_t launcherPid = -1;
    if (posix_spawn(&launcherPid, "/bin/bash", &actions, nullptr, pointers.data(), environ) == 0) {
        int status = 0;
        waitpid(launcherPid, &status, 0);
        pipe_ = ends[1];
    } else {
        close(ends[1]);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
}

void Reaper::Tell(const std::string& line) {
    if (pipe_ < 0) return;
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = write(pipe_, text.data(), text.size());
}

void Reaper::WatchGroup(int pgid) {
    Tell("watch group " + std::to_string(pgid));
}
void Reaper::ReleaseGroup(int pgid) {
    Tell("release group " + std::to_string(pgid));
}
void Reaper::WatchWineSession(const fs::path& folder) {
    Tell("watch wine " + folder.string());
}
void Reaper::ReleaseWineSession(const fs::path& folder) {
    Tell("release wine " + folder.string());
}

// ---- WineSession

WineSession::WineSession(fs::path folder) : folder_(std::move(folder)) {}

WineSession::~WineSession() {
    Stop();
}

std::map<std::string, std::string> WineSession::Environment() const {
    // Always an X server of the session's own, even on a desktop: the pixel checks read the
    // screen, where other programs' windows must not lie over ours.
    return {{"QUILLON_WINE_DIR", folder_.string()}, {"QUILLON_WINE_ARCH", WindowsBuildArch()}, {"DISPLAY", ""}};
}

std::string WineSession::Start() {
    fs::create_directories(folder_);
    Reaper::Instance().WatchWineSession(folder_);
    started_ = true;
    // A new prefix takes a while under load; the session start does it once.
    const RunResult result =
        RunToEnd({"/bin/bash", (SourceFolder() / "scripts/wine-session.sh").string(), "start"}, Environment(), 170s);
    if (result.status != 0) {
        return "the Wine session did not start (status " + std::to_string(result.status) + "):\n" + result.output;
    }
    return {};
}

void WineSession::Stop() {
    if (!started_) return;
    started_ = false;
    RunToEnd({"/bin/bash", (SourceFolder() / "scripts/wine-session.sh").string(), "stop"}, Environment(), 60s);
    Reaper::Instance().ReleaseWineSession(folder_);
}

RunResult WineSession::Probe(const std::vector<std::string>& steps, std::chrono::milliseconds timeout) const {
    std::vector<std::string> argv = {"/bin/bash", (SourceFolder() / "scripts/wine-run.sh").string(),
                                     (WindowsBinFolder() / "quillon_e2e_probe.exe").string()};
    argv.insert(argv.end(), steps.begin(), steps.end());
    return RunToEnd(argv, Environment(), timeout);
}

bool WineSession::WaitUntilNoXWindowNamed(const std::string& fragment, std::chrono::milliseconds timeout) const {
    // One shell for the whole wait: a process per look would cost more than the wait.
    const std::string script =
        "source \"$1/session\" && export DISPLAY || exit 2\n"
        "for _ in $(seq 1 \"$3\"); do\n"
        "  xwininfo -root -tree 2>/dev/null | grep -qF -- \"$2\" || exit 0\n"
        "  sleep 0.02\n"
        "done\n"
        "exit 1\n";
    const long long looks = std::max<long long>(1, timeout.count() / 20);
    const RunResult result = RunToEnd({"/bin/bash", "-c", script, "x-wait", folder_.string(), fragment,
                                       std::to_string(looks)},
                                      {}, timeout + 10s);
    return result.status == 0;
}

// ---- HostSim

HostSim::~HostSim() {
    if (process_.Pid() > 0) {
        process_.Kill();
        Reaper::Instance().ReleaseGroup(process_.Pid());
    }
}

std::string HostSim::Start(const std::vector<std::string>& options) {
    std::vector<std::string> argv = {HostSimProgram().string(), "--listen", "127.0.0.1:0", "--log"};
    argv.insert(argv.end(), options.begin(), options.end());
    if (!process_.Start(argv)) return "hostsim did not start: " + argv.front();
    Reaper::Instance().WatchGroup(process_.Pid());
    const std::string prefix = "hostsim listening on ";
    const auto first = process_.WaitForLineContaining(prefix, 30s);
    if (!first) return "hostsim did not say where it listens within 30 s:\n" + process_.Tail();
    const std::size_t colon =
        first->rfind(':', first->find(" (") == std::string::npos ? first->size() : first->find(" ("));
    port_ = std::atoi(first->c_str() + colon + 1);
    if (port_ <= 0) return "hostsim's first line names no port: " + *first;
    return {};
}

std::size_t HostSim::CountFromPlugin(const std::string& typeName, const std::string& code) const {
    std::size_t count = 0;
    const std::string slot = " [1] " + code;
    for (const std::string& line : process_.Lines()) {
        if (line.rfind("<- ", 0) != 0 || line.find(" " + typeName + " ") == std::string::npos) continue;
        if (line.size() >= slot.size() && line.compare(line.size() - slot.size(), slot.size(), slot) == 0) ++count;
    }
    return count;
}

// ---- QuillonRun

QuillonRun::QuillonRun(const std::string& name, std::optional<int> iniRunMode, FolderUse use)
    : folder_(fs::path(QUILLON_BINARY_DIR) / "e2e-runs" / name) {
    std::error_code ignored;
    if (use == FolderUse::Fresh) fs::remove_all(folder_, ignored);
    fs::create_directories(folder_);
    for (const char* file : {"Quillon.exe", "TesselAPI.dll"}) {
        fs::copy_file(WindowsBinFolder() / file, folder_ / file, fs::copy_options::overwrite_existing);
    }
    if (iniRunMode) std::ofstream(folder_ / "Quillon.INI") << "[Startup]\r\nRunMode=" << *iniRunMode << "\r\n";
}

QuillonRun::~QuillonRun() {
    if (process_.Pid() > 0) {
        process_.Kill();
        Reaper::Instance().ReleaseGroup(process_.Pid());
    }
}

std::string QuillonRun::Start(const WineSession& session, const std::string& hostAddress) {
    auto environment = session.Environment();
    environment["TESSEL_HOST"] = hostAddress;
    // 4660 stands for the host's main window handle on the command line.
    if (!process_.Start({"/bin/bash", (SourceFolder() / "scripts/wine-run.sh").string(),
                         (folder_ / "Quillon.exe").string(), "4660"},
                        environment)) {
        return "Quillon.exe did not start under Wine";
    }
    Reaper::Instance().WatchGroup(process_.Pid());
    return {};
}

std::vector<int> ColumnIdsOf(const fs::path& gridXml) {
    std::vector<int> ids;
    TiXmlDocument document;
    if (!document.LoadFile(gridXml.string().c_str())) return ids;
    const TiXmlElement* root = document.FirstChildElement("root");
    const TiXmlElement* grid = root ? root->FirstChildElement("NormalGrid") : nullptr;
    for (const TiXmlElement* column = grid ? grid->FirstChildElement("Column") : nullptr; column;
         column = column->NextSiblingElement("Column")) {
        int id = 0;
        if (column->QueryIntAttribute("ID", &id) == TIXML_SUCCESS) ids.push_back(id);
    }
    return ids;
}

}  // namespace quillon::e2e
