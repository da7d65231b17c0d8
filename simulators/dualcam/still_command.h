// The still-camera command codes. The host writes an argument byte to 040B
// and a code byte to 040C (one-byte commands only the code) and strobes 0410;
// results come back in 040B-040C. Two firmware generations lay the code byte
// out differently: the new layout keeps the command in the low nibble and
// bits 8-11 of a picture number in the high nibble, the old layout keeps the
// command in the low six bits and bits 8-9 of the number in the top two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace qm::dualcam {

enum class CommandLayout : std::uint8_t { New, Old };

enum class StillCommand : std::uint8_t {
    SetMode,
    PictureTable,  // load the table window from entry `number`
    FreeCount,
    GetStatus,
    SetStatus,     // status = argument
    TakePicture,
    Download,      // picture `number`
    DownloadNext,  // pictures from `number` on
    FlashWriteId,
    FlashReadId,
    Delete,        // picture `number`
    FirmwareVersion,
    TableSize,     // the old layout's size command, and the new layout's answer to the size probe
    Unknown,
};

struct Command {
    StillCommand kind = StillCommand::Unknown;
    std::uint16_t number = 0;  // picture number or table entry
    std::uint8_t argument = 0;
};

Command decodeCommand(CommandLayout layout, std::uint8_t code, std::uint8_t argument);

// A count as the camera reports it in 040B (high bits) and 040C (low byte):
// 12 bits in the new layout, 10 in the old; larger counts read as the most
// the field holds.
std::pair<std::uint8_t, std::uint8_t> encodeCount(CommandLayout layout, std::size_t count);

// The host's reading of the two result bytes.
std::size_t decodeCount(CommandLayout layout, std::uint8_t b0, std::uint8_t b1);

}  // namespace qm::dualcam
