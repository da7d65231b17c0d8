// Faults the simulated camera can be told to commit, per command or per
// block of a paged read or upload, and their text form:
//
//   <kind> [cmd=<command>] [block=<n>] [skip=<n>] [times=<n>|always]
//          [ms=<n>] [by=<+-n>] [keep=<n>]
//
// Entries are separated by ';' or new lines; '#' starts a comment.
//   kinds:    bad-checksum, wrong-length, short-reply, no-reply, stall,
//             silent, unplug, pipe-stall
//   commands: status, camera-info, set-parameter, set-speed, picture-info,
//             read-thumbnail, read-picture, write-block, erase, capture,
//             begin-upload (or the code, e.g. 0x07, or CMD_READ_PICTURE)
// Example: "bad-checksum cmd=read-picture block=3; stall cmd=status ms=800"
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::stillcam {

enum class FaultKind {
    BadChecksum,   // the reply's checksum byte is off by one
    WrongLength,   // the length field is off by `lengthDelta`, checksum matching it
    ShortReply,    // only the first `keepBytes` bytes of the reply are sent
    NoReply,       // the request is taken but nothing is answered
    Stall,         // the reply is held back for `durationMs`
    GoSilent,      // from this request on the camera answers nothing until resumed
    Unplug,        // the camera detaches instead of answering
    EndpointStall, // USB: the reply pipe stalls until the host resets it;
                   // serial: no reply
};

struct FaultRule {
    FaultKind kind = FaultKind::NoReply;
    std::uint8_t command = 0;   // command code it applies to; 0: any command
    unsigned block = 0;         // n-th block (from 1) of a paged read or upload; 0: any
    unsigned skip = 0;          // matching requests that pass untouched first
    unsigned times = 1;         // how often it strikes; 0: every time
    std::uint32_t durationMs = 0;  // Stall
    int lengthDelta = -1;       // WrongLength
    std::size_t keepBytes = 0;  // ShortReply; 0: half the reply
};

std::string_view faultKindName(FaultKind kind);

// Parses a fault script. On a syntax error returns nullopt and, when `error`
// is given, describes the offending entry there.
std::optional<std::vector<FaultRule>> parseFaultScript(std::string_view script, std::string* error = nullptr);

// Command codes by name ("read-picture", "CMD_READ_PICTURE", "0x07"); nullopt
// for an unknown name.
std::optional<std::uint8_t> commandCodeByName(std::string_view name);

}  // namespace qm::stillcam
