// The command line of acquire.
#pragma once

#include <optional>
#include <string>

#include "platform/twain/twain.h"

namespace qm::acquire {

struct AcquireOptions {
    twain::TW_UINT16 mechanism = twain::TWSX_NATIVE;
    std::string outDirectory = "out";
    std::string sourceName;  // empty: the source manager's default source
    int timeoutSeconds = 0;  // 0: wait for the panel as long as it takes
    std::string uiScript;    // drives the source's panel unattended (QM4200_UI_SCRIPT)
    bool listOnly = false;
    bool help = false;
};

// Null with a message in `error` when the arguments make no sense.
std::optional<AcquireOptions> parseOptions(int argc, const char* const* argv, std::string& error);

std::string usage();

}  // namespace qm::acquire
