// Runs an installed program as a new user would: with only the environment
// given (no variable of the test's own leaks in), a time limit, and its
// output captured. A program left running (a simulated camera) is stopped
// with SIGTERM when its handle goes.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace qm::test {

using Environment = std::map<std::string, std::string>;

struct Finished {
    int exitCode = -1;  // 128 + signal when killed; -1 when it could not be run
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` in `directory`, killing it after
// `limitSeconds`.
Finished runClean(const std::string& program, const std::vector<std::string>& arguments,
                  const Environment& environment, int limitSeconds, const std::string& directory = ".");

// "/bin/sh -c COMMAND" the same way.
Finished runShell(const std::string& command, const Environment& environment, int limitSeconds,
                  const std::string& directory = ".");

class Background {
public:
    Background(const std::string& program, const std::vector<std::string>& arguments,
               const Environment& environment, const std::string& logFile);
    ~Background();  // SIGTERM, then waits
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    bool started() const { return pid_ > 0; }
    // Waits up to `limitSeconds` for the file to appear.
    bool waitForFile(const std::string& path, int limitSeconds) const;

private:
    mutable pid_t pid_ = -1;  // -1 once it ended
};

}  // namespace qm::test
