// The controller's byte registers at 16-bit addresses, with the values the
// camera powers up with. Statistics and identification registers are the
// camera's to write; the host's writes to them are dropped.
#pragma once

#include <array>
#include <cstdint>

namespace qm::dualcam {

class RegisterFile {
public:
    RegisterFile() { powerOn(); }

    void powerOn();

    std::uint8_t get(std::uint16_t address) const { return bytes_[address]; }
    void set(std::uint16_t address, std::uint8_t value) { bytes_[address] = value; }
    std::uint16_t le16(std::uint16_t address) const
    {
        return std::uint16_t(bytes_[address] | (bytes_[std::uint16_t(address + 1)] << 8));
    }
    void setLe16(std::uint16_t address, std::uint16_t value)
    {
        bytes_[address] = std::uint8_t(value);
        bytes_[std::uint16_t(address + 1)] = std::uint8_t(value >> 8);
    }

    static bool hostWritable(std::uint16_t address);

private:
    std::array<std::uint8_t, 0x10000> bytes_{};
};

}  // namespace qm::dualcam
