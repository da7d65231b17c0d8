#include "tests/apps/qmcam/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace qm::qmcam::test {
namespace {

std::vector<char*> argv(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> list;
    list.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        list.push_back(const_cast<char*>(argument.c_str()));
    list.push_back(nullptr);
    return list;
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

}  // namespace

Finished runToEnd(const std::string& program, const std::vector<std::string>& arguments)
{
    Finished result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return result;
    std::vector<char*> args = argv(program, arguments);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    // Both pipes are drained together so neither can fill up and stall the child.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
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
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.exitCode = exitCodeOf(status);
    return result;
}

RunningProcess::RunningProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<char*> args = argv(program, arguments);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(out[1]);
    out_ = fdopen(out[0], "r");
}

RunningProcess::~RunningProcess()
{
    stop();
    if (out_ != nullptr)
        std::fclose(out_);
}

std::optional<std::string> RunningProcess::readLine()
{
    if (out_ == nullptr)
        return std::nullopt;
    char line[1024];
    if (std::fgets(line, sizeof line, out_) == nullptr)
        return std::nullopt;
    std::string text(line);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

int RunningProcess::stop()
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    const int code = waitpid(pid_, &status, 0) == pid_ ? exitCodeOf(status) : -1;
    pid_ = -1;
    return code;
}

}  // namespace qm::qmcam::test
