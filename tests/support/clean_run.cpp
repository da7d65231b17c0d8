#include "tests/support/clean_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace qm::test {
namespace {

using Clock = std::chrono::steady_clock;

struct Exec {
    std::vector<std::string> strings;
    std::vector<char*> argv;
    std::vector<char*> envp;

    Exec(const std::string& program, const std::vector<std::string>& arguments, const Environment& environment)
    {
        strings.push_back(program);
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        const std::size_t argc = strings.size();
        for (const auto& [name, value] : environment)
            strings.push_back(name + "=" + value);
        for (std::size_t i = 0; i < strings.size(); ++i) {
            (i < argc ? argv : envp).push_back(strings[i].data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
    }
};

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// In the child: the working directory, standard streams, then the program.
// It leads a process group of its own, so that a time limit ends whatever
// it started too.
[[noreturn]] void become(const Exec& exec, const std::string& directory, int out, int err)
{
    setpgid(0, 0);
    const int nothing = ::open("/dev/null", O_RDONLY);
    dup2(nothing, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (::chdir(directory.c_str()) == 0)
        execve(exec.argv[0], exec.argv.data(), exec.envp.data());
    _exit(127);
}

}  // namespace

Finished runClean(const std::string& program, const std::vector<std::string>& arguments,
                  const Environment& environment, int limitSeconds, const std::string& directory)
{
    Finished result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return result;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    const Exec exec(program, arguments, environment);
    const pid_t pid = fork();
    if (pid == 0)
        become(exec, directory, out[1], err[1]);
    close(out[1]);
    close(err[1]);

    // Both pipes are drained together so that neither fills up and stalls
    // the child; past the limit the child is killed.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limitSeconds);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 && !result.timedOut && pid > 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
        }
        if (poll(fds, 2, left > 0 ? int(std::min<long long>(left, 1000)) : 1000) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, std::size_t(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.exitCode = exitCodeOf(status);
    return result;
}

Finished runShell(const std::string& command, const Environment& environment, int limitSeconds,
                  const std::string& directory)
{
    return runClean("/bin/sh", {"-c", command}, environment, limitSeconds, directory);
}

Background::Background(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment, const std::string& logFile)
{
    const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0)
        return;
    const Exec exec(program, arguments, environment);
    pid_ = fork();
    if (pid_ == 0)
        become(exec, ".", log, log);
    close(log);
}

Background::~Background()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

bool Background::waitForFile(const std::string& path, int limitSeconds) const
{
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limitSeconds);
    while (Clock::now() < deadline) {
        if (std::filesystem::exists(path))
            return true;
        int status = 0;
        if (pid_ <= 0)
            return false;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;  // it ended without making the file
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace qm::test
