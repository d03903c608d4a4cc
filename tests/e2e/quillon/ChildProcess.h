#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quillon::e2e {

// A program the end-to-end tests start: in a process group of its own (so everything it
// starts in turn can be stopped with it), its standard output and error collected line by
// line on a reader thread, its standard input a pipe the test can write to. A process still
// running when the object goes is killed with its group, on every path out of a test.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is a path. `environment` adds to or replaces entries of this process's own.
    bool Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment = {});
    pid_t Pid() const { return pid_; }

    bool WriteLine(const std::string& line);

    // Waits until a line satisfies `match`, looking at every line so far first. Returns it,
    // or nothing on time-out.
    std::optional<std::string> WaitForLine(const std::function<bool(const std::string&)>& match,
                                           std::chrono::milliseconds timeout);
    std::optional<std::string> WaitForLineContaining(const std::string& part, std::chrono::milliseconds timeout) {
        return WaitForLine([&](const std::string& line) { return line.find(part) != std::string::npos; }, timeout);
    }
    std::vector<std::string> Lines() const;
    // Every line, for failure messages; the last `count` lines only when there are more.
    std::string Tail(std::size_t count = 40) const;

    // The exit status (or 128 + signal) once the process has ended within `timeout`.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    bool Running();
    // SIGKILL to the whole group if the process is still running; waits for it.
    void Kill();

private:
    void ReadOutput(int fd);

    pid_t pid_ = -1;
    int stdinFd_ = -1;
    std::optional<int> exitStatus_;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable newLine_;
    std::vector<std::string> lines_;
    bool outputEnded_ = false;
};

// Runs a program to its end and returns its exit status and output; kills it after `timeout`
// (status -1).
struct RunResult {
    int status = -1;
    std::string output;
};
RunResult RunToEnd(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
                   std::chrono::milliseconds timeout);

}  // namespace quillon::e2e
