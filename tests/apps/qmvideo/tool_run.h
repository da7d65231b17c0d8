// Runs qmvideo in process with a chosen command set, its output and error
// streams captured.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "apps/qmvideo/qmvideo.h"

namespace qm::qmvideo::test {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The text written to a temporary file; closes it.
inline std::string contentsOf(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

inline ToolRun runTool(std::span<const Command> commands, const std::vector<std::string>& arguments)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ToolRun result;
    if (out == nullptr || err == nullptr) {
        result.err = "no temporary file for the output";
        if (out != nullptr)
            std::fclose(out);
        if (err != nullptr)
            std::fclose(err);
        return result;
    }
    result.exitCode = runQmvideo(commands, arguments, out, err);
    result.out = contentsOf(out);
    result.err = contentsOf(err);
    return result;
}

}  // namespace qm::qmvideo::test
