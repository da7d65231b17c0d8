// One qmvideo command: its name, its lines of the usage text and the routine
// that runs it. main.cpp lists the tool's commands in one table.
#pragma once

#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "apps/qmvideo/video_session.h"

namespace qm::qmvideo {

// What a command gets: its arguments, the tool's output streams and the
// driver, loaded and started on first use.
struct Command;

class CommandContext {
public:
    CommandContext(apps::ModuleLocation driver, std::span<const Command> commands, std::FILE* out, std::FILE* err);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    std::FILE* out() const { return out_; }
    std::FILE* err() const { return err_; }
    // The running driver; null (with the reason printed) when it did not
    // load or the device did not start: the command then returns
    // kExitNoDriver.
    VideoSession* session();
    // The simulated camera the session starts with; changes count until
    // session() is first called.
    dualcam::DualCamConfig& cameraConfig() { return cameraConfig_; }
    // A wrong command line: the problem in one line (the whole usage when
    // there is none); returns kExitUsage.
    int usage(const std::string& problem) const;
    // A failure while running: the problem in one line; returns `exitCode`.
    int fail(const std::string& problem, int exitCode) const;
    void printUsage(std::FILE* stream) const;

private:
    apps::ModuleLocation driver_;
    std::span<const Command> commands_;
    std::FILE* out_;
    std::FILE* err_;
    dualcam::DualCamConfig cameraConfig_;
    std::unique_ptr<VideoSession> session_;
};

using CommandRoutine = int (*)(CommandContext& context, const std::vector<std::string>& arguments);

struct Command {
    const char* name;
    const char* usage;  // its lines of the usage text, each ending in a newline
    CommandRoutine run;
};

}  // namespace qm::qmvideo
