// DriverInfoRecord as the browser reads it: the device module fills a
// 1024-byte buffer (DriverEntry type 10, code 1) with the window title, the
// capability mask that enables the camera buttons, the status-line mask, the
// upload dialog's file filter and a software version text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qm::panel {

// Capability bits: a set bit enables the button while connected.
enum Capability : std::uint32_t {
    kCapTransfer = 0x001,
    kCapErase = 0x002,
    kCapUpload = 0x004,
    kCapTakePicture = 0x008,
    kCapSave = 0x010,
    kCapRotate = 0x020,
    kCapSelectAll = 0x040,
    kCapSelectNone = 0x080,
    kCapSettings = 0x100,
    kCapStatus = 0x200,
};

struct DriverInfo {
    static constexpr std::size_t kSize = 1024;

    std::array<std::uint8_t, kSize> record{};  // all zero until the first read

    std::string title() const;            // used when not empty
    std::uint32_t capabilities() const;
    std::uint32_t statusLineMask() const;
    std::string uploadFilter() const;
    std::string versionText() const;
};

}  // namespace qm::panel
