#include "tests/apps/qmcam/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "tests/support/clean_run.h"

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
    // The child inherits the test's environment; the limit only ends a child
    // that hangs.
    qm::test::Environment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::size_t equals = variable.find('=');
        if (equals != std::string::npos)
            environment[variable.substr(0, equals)] = variable.substr(equals + 1);
    }
    const qm::test::Finished finished = qm::test::runClean(program, arguments, environment, 600);
    return Finished{finished.exitCode, finished.out, finished.err};
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
