#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace quillon::e2e {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (overrides.count(name) == 0) merged.push_back(text);
    }
    for (const auto& [name, value] : overrides) merged.push_back(name + "=" + value);
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

}  // namespace

ChildProcess::~ChildProcess() {
    Kill();
    if (reader_.joinable()) reader_.join();
    if (stdinFd_ >= 0) close(stdinFd_);
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0) return false;
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = MergedEnvironment(environment);
    std::vector<char*> argumentPointers = Pointers(arguments);
    std::vector<char*> variablePointers = Pointers(variables);
    const int failed = posix_spawn(&pid_, argumentPointers[0], &actions, &attributes, argumentPointers.data(),
                                   variablePointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(input[0]);
    close(output[1]);
    if (failed != 0) {
        pid_ = -1;
        close(input[1]);
        close(output[0]);
        return false;
    }
    stdinFd_ = input[1];
    reader_ = std::thread([this, fd = output[0]] { ReadOutput(fd); });
    return true;
}

void ChildProcess::ReadOutput(int fd) {
    std::string partial;
    char buffer[4096];
    for (;;) {
        pollfd poller = {fd, POLLIN, 0};
        const int ready = poll(&poller, 1, 100);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) {
            // A helper that the program left behind may hold the pipe open: once the group is
            // gone, stop waiting for its end.
            std::lock_guard<std::mutex> lock(mutex_);
            if (exitStatus_) break;
            continue;
        }
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) break;
        partial.append(buffer, static_cast<std::size_t>(count));
        std::size_t end;
        while ((end = partial.find('\n')) != std::string::npos) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(partial.substr(0, end));
            partial.erase(0, end + 1);
            newLine_.notify_all();
        }
    }
    close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!partial.empty()) lines_.push_back(partial);
    outputEnded_ = true;
    newLine_.notify_all();
}

bool ChildProcess::WriteLine(const std::string& line) {
    if (stdinFd_ < 0) return false;
    const std::string text = line + "\n";
    return write(stdinFd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> ChildProcess::WaitForLine(const std::function<bool(const std::string&)>& match,
                                                     std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::unique_lock<std::mutex> lock(mutex_);
    std::size_t seen = 0;
    for (;;) {
        for (; seen < lines_.size(); ++seen) {
            if (match(lines_[seen])) return lines_[seen];
        }
        if (outputEnded_) return std::nullopt;
        if (newLine_.wait_until(lock, deadline) == std::cv_status::timeout && seen == lines_.size()) {
            return std::nullopt;
        }
    }
}

std::vector<std::string> ChildProcess::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

std::string ChildProcess::Tail(std::size_t count) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    const std::size_t first = lines_.size() > count ? lines_.size() - count : 0;
    for (std::size_t i = first; i < lines_.size(); ++i) text += "  | " + lines_[i] + "\n";
    return text;
}

bool ChildProcess::Running() {
    return !WaitForExit(std::chrono::milliseconds(0)).has_value() && pid_ > 0;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return exitStatus_;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (exitStatus_) return exitStatus_;
        }
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            std::lock_guard<std::mutex> lock(mutex_);
            exitStatus_ = StatusOf(status);
            return exitStatus_;
        }
        if (done < 0 && errno != EINTR) return std::nullopt;
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    // A program that ended by itself may have left daemons in its group on purpose (the
    // Wine session's X server and wineserver): those are stopped by whoever asked for them.
    if (WaitForExit(std::chrono::milliseconds(0))) return;
    kill(-pid_, SIGKILL);
    WaitForExit(std::chrono::seconds(10));
}

RunResult RunToEnd(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
                   std::chrono::milliseconds timeout) {
    RunResult result;
    ChildProcess child;
    if (!child.Start(argv, environment)) {
        result.output = "cannot start " + argv.front() + ": " + std::strerror(errno);
        return result;
    }
    const std::optional<int> status = child.WaitForExit(timeout);
    if (!status) child.Kill();
    // Let the reader take the last of the output.
    child.WaitForLine([](const std::string&) { return false; }, std::chrono::milliseconds(status ? 200 : 0));
    for (const std::string& line : child.Lines()) result.output += line + "\n";
    result.status = status.value_or(-1);
    return result;
}

}  // namespace quillon::e2e
