#include "simulators/dualcam/still_command.h"

#include <algorithm>

namespace qm::dualcam {

namespace {

constexpr std::uint8_t kFirmwareVersionCode = 0x34;  // the same in both layouts

StillCommand newLayoutCommand(std::uint8_t nibble)
{
    switch (nibble) {
    case 0x0: return StillCommand::DownloadNext;
    case 0x5: return StillCommand::SetMode;
    case 0x6: return StillCommand::PictureTable;
    case 0x7: return StillCommand::TableSize;
    case 0x8: return StillCommand::FreeCount;
    case 0x9: return StillCommand::GetStatus;
    case 0xA: return StillCommand::SetStatus;
    case 0xB: return StillCommand::TakePicture;
    case 0xC: return StillCommand::Download;
    case 0xD: return StillCommand::FlashWriteId;
    case 0xE: return StillCommand::FlashReadId;
    case 0xF: return StillCommand::Delete;
    default: return StillCommand::Unknown;
    }
}

StillCommand oldLayoutCommand(std::uint8_t bits)
{
    switch (bits) {
    case 0x00: return StillCommand::DownloadNext;
    case 0x35: return StillCommand::SetMode;
    case 0x36: return StillCommand::PictureTable;
    case 0x37: return StillCommand::TableSize;
    case 0x38: return StillCommand::FreeCount;
    case 0x39: return StillCommand::GetStatus;
    case 0x3A: return StillCommand::SetStatus;
    case 0x3B: return StillCommand::TakePicture;
    case 0x3C: return StillCommand::Download;
    case 0x3D: return StillCommand::FlashWriteId;
    case 0x3E: return StillCommand::FlashReadId;
    case 0x3F: return StillCommand::Delete;
    default: return StillCommand::Unknown;
    }
}

}  // namespace

Command decodeCommand(CommandLayout layout, std::uint8_t code, std::uint8_t argument)
{
    Command command;
    command.argument = argument;
    if (code == kFirmwareVersionCode) {
        command.kind = StillCommand::FirmwareVersion;
        return command;
    }
    if (layout == CommandLayout::New) {
        command.kind = newLayoutCommand(code & 0x0F);
        command.number = std::uint16_t(((code >> 4) << 8) | argument);
    } else {
        command.kind = oldLayoutCommand(code & 0x3F);
        command.number = std::uint16_t(((code >> 6) << 8) | argument);
    }
    return command;
}

std::pair<std::uint8_t, std::uint8_t> encodeCount(CommandLayout layout, std::size_t count)
{
    if (layout == CommandLayout::New) {
        const std::size_t n = std::min<std::size_t>(count, 0x0FFF);
        return {std::uint8_t((n >> 8) << 4), std::uint8_t(n)};
    }
    const std::size_t n = std::min<std::size_t>(count, 0x03FF);
    return {std::uint8_t((n >> 8) << 6), std::uint8_t(n)};
}

std::size_t decodeCount(CommandLayout layout, std::uint8_t b0, std::uint8_t b1)
{
    const int shift = layout == CommandLayout::New ? 4 : 6;
    return (std::size_t((b0 >> shift) << 8) & 0x0FFF) | b1;
}

}  // namespace qm::dualcam
