// Runs a program of the build as a child process: its output captured, or
// left running with its standard output readable line by line.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace qm::qmcam::test {

struct Finished {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs to the end; the child inherits the environment.
Finished runToEnd(const std::string& program, const std::vector<std::string>& arguments);

class RunningProcess {
public:
    RunningProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningProcess();  // SIGTERM, then waits
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line of standard output; nothing at its end.
    std::optional<std::string> readLine();
    // Sends SIGTERM and returns the exit code.
    int stop();

private:
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
};

}  // namespace qm::qmcam::test
