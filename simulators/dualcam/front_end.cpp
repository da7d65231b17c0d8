#include "simulators/dualcam/front_end.h"

#include "simulators/dualcam/register_map.h"

#include <algorithm>
#include <cmath>

namespace qm::dualcam {

namespace {

// Front-end (CDS) chips by type code.
enum Cds : int {
    kSharp = 0, kHitachi = 1, kPanasonic = 2, kHitachi49323 = 4, kTasc = 5, kSharpB = 6, kToshiba = 7,
    kElecvision = 8,
};

constexpr std::uint8_t kHitachiSetup[] = {0x09, 0x20, 0x03, 0x00, 0x02, 0x00};
constexpr std::uint8_t kPanasonicSetup[] = {0xE0, 0x00, 0x0C, 0x00, 0x52, 0x00};
constexpr std::uint8_t kHitachi49323Setup[] = {0x01, 0x20, 0x02, 0xE8, 0x03, 0x00};

constexpr double kTascStep = 1.4;         // one gain code of the Tasc chip
constexpr double kToshibaUnity = 3072.0;  // the Toshiba chip's gain word at unity

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

}  // namespace

std::uint8_t reverseBits(std::uint8_t value)
{
    std::uint8_t result = 0;
    for (int i = 0; i < 8; ++i)
        if (value & (1u << i))
            result = std::uint8_t(result | (0x80u >> i));
    return result;
}

FrontEnd::FrontEnd(int ccdType, int cdsType)
    : ccdType_(ccdType), cdsType_(cdsType),
      ready_(!(cdsType == kHitachi || cdsType == kPanasonic || cdsType == kHitachi49323))
{
    if (cdsType_ == kToshiba)
        gain_ = int(kToshibaUnity);
}

void FrontEnd::serialCommand(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty())
        serialMode_ = bytes[0];
}

void FrontEnd::dataWritten(std::uint16_t address, std::span<const std::uint8_t> bytes)
{
    if (cmosSensor()) {
        if (address == reg::kFrontEndData && serialMode_ == reg::kSerialModeI2c)
            i2cWrite(bytes);
        return;
    }
    setupWord(address, bytes);
    if (address == reg::kFrontEndData && ready_)
        gainWord(bytes);
}

void FrontEnd::setupWord(std::uint16_t address, std::span<const std::uint8_t> bytes)
{
    if (cdsType_ == kHitachi && address == reg::kFrontEndSetup && startsWith(bytes, kHitachiSetup))
        ready_ = true;
    else if (cdsType_ == kHitachi49323 && address == reg::kFrontEndSetup && startsWith(bytes, kHitachi49323Setup))
        ready_ = true;
    else if (cdsType_ == kPanasonic && address == reg::kFrontEndData && startsWith(bytes, kPanasonicSetup))
        ready_ = true;
}

void FrontEnd::gainWord(std::span<const std::uint8_t> b)
{
    switch (cdsType_) {
    case kSharp:
    case kSharpB:
        // C0 00 g 02 00 01
        if (b.size() == 6 && b[0] == 0xC0 && b[1] == 0x00 && b[3] == 0x02)
            gain_ = b[2];
        break;
    case kHitachi:
    case kHitachi49323:
        // low nibble in the high half of the first byte, high nibble in the second
        if (b.size() == 2)
            gain_ = (b[0] >> 4) | ((b[1] & 0x0F) << 4);
        break;
    case kPanasonic:
        // the chip shifts LSB first: bits 7..3 then 2..0, each byte reversed
        if (b.size() == 2)
            gain_ = (reverseBits(b[0]) << 3) | (reverseBits(b[1]) >> 5);
        break;
    case kTasc:
        // four copies of the inverted 3-bit code in bits 5-7
        if (b.size() == 8 && b[0] == 0 && b[2] == 0 && b[4] == 0 && b[6] == 0 && b[1] == b[3] && b[1] == b[5] &&
            b[1] == b[7] && (b[1] & 0x1F) == 0)
            gain_ = (~(b[1] >> 5)) & 0x07;
        break;
    case kToshiba: {
        // a 12-bit word repeated with the channel number in the high nibble
        if (b.size() != 8)
            break;
        const int word = b[0] | ((b[1] & 0x0F) << 8);
        bool consistent = word > 0;
        for (int ch = 0; ch < 4 && consistent; ++ch)
            consistent = b[std::size_t(2 * ch)] == b[0] && (b[std::size_t(2 * ch + 1)] & 0x0F) == (b[1] & 0x0F) &&
                         (b[std::size_t(2 * ch + 1)] >> 4) == ch;
        if (consistent)
            gain_ = word;
        break;
    }
    default:
        break;  // the Elecvision chip has no gain word
    }
}

void FrontEnd::i2cWrite(std::span<const std::uint8_t> b)
{
    // 00 02 device 00 register 00 value 00, register and value LSB first
    if (b.size() < 8 || b[0] != 0x00 || b[1] != 0x02 || b[2] != kSensorAddress)
        return;
    const std::uint8_t index = reverseBits(b[4]);
    sensor_[index] = reverseBits(b[6]);
    if (index == kSensorGain)
        gain_ = std::min<int>(sensor_[index], 63);
}

double FrontEnd::gainMultiplier() const
{
    if (cmosSensor())
        return 1.0 + gain_ / 8.0;
    switch (cdsType_) {
    case kSharp:
    case kSharpB:
    case kHitachi:
    case kHitachi49323:
    case kPanasonic:
        return std::exp2(gain_ / 64.0);
    case kTasc:
        return std::pow(kTascStep, gain_);
    case kToshiba:
        return gain_ > 0 ? kToshibaUnity / gain_ : 1.0;
    default:
        return 1.0;
    }
}

double FrontEnd::cmosExposure() const
{
    const int lines = sensor_[kSensorShutter];
    return lines == 0 ? 1.0 : lines / 256.0;
}

int FrontEnd::darkLevel() const
{
    switch (cdsType_) {
    case kTasc:
    case kElecvision:
        return 24;
    case kToshiba:
        return 15;
    default:
        return 32;
    }
}

}  // namespace qm::dualcam
