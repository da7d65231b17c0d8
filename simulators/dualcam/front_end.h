// The analogue front end behind the controller: the CDS/AGC chip of a CCD
// camera, or the CMOS sensor of CCD type 3. The host programs it by writing
// serial data to 101D (gain words, I2C payloads) or 101F (set-up words); the
// controller forwards a transfer when the write starts at one of those
// registers. Each chip understands only its own word format, so a host that
// writes another chip's format leaves the gain where it was.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace qm::dualcam {

class FrontEnd {
public:
    FrontEnd(int ccdType, int cdsType);

    bool cmosSensor() const { return ccdType_ == 3; }

    // 0B00: the controller's serial-bus mode.
    void serialCommand(std::span<const std::uint8_t> bytes);
    // A write starting at 101D or 101F.
    void dataWritten(std::uint16_t address, std::span<const std::uint8_t> bytes);

    // The gain code as the chip holds it, and its effect on the signal.
    int gainCode() const { return gain_; }
    double gainMultiplier() const;

    // CMOS sensor exposure (register 20): 0 is the full frame, 1..255 lines.
    std::uint8_t sensorRegister(std::uint8_t index) const { return sensor_[index]; }
    double cmosExposure() const;

    // Chips that take a set-up word ignore gain words until they had it.
    bool ready() const { return ready_; }

    // The sensor's dark level at unity gain, as this front end shows it.
    int darkLevel() const;

    static constexpr std::uint8_t kSensorAddress = 0x55;
    static constexpr std::uint8_t kSensorShutter = 0x20;
    static constexpr std::uint8_t kSensorGain = 0x25;

private:
    void gainWord(std::span<const std::uint8_t> bytes);
    void setupWord(std::uint16_t address, std::span<const std::uint8_t> bytes);
    void i2cWrite(std::span<const std::uint8_t> bytes);

    int ccdType_;
    int cdsType_;
    int gain_ = 0;
    bool ready_;
    std::uint8_t serialMode_ = 0;
    std::array<std::uint8_t, 256> sensor_{};
};

// Reverses the order of the 8 bits.
std::uint8_t reverseBits(std::uint8_t value);

}  // namespace qm::dualcam
