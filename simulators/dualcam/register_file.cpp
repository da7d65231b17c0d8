#include "simulators/dualcam/register_file.h"

#include "simulators/dualcam/image_pipeline.h"
#include "simulators/dualcam/register_map.h"

namespace qm::dualcam {

void RegisterFile::powerOn()
{
    bytes_.fill(0);
    set(reg::kMaster, 0xB8);
    set(reg::kFrameControl, 0xA0);   // 640 x 480
    set(reg::kFrameRate, 0x01);      // 30 frames per second
    set(reg::kYGain, 0x08);
    set(reg::kRedGain, 0x10);
    set(reg::kGreenGain, 0x10);
    set(reg::kBlueGain, 0x10);
    set(reg::kCbSaturation, 0x10);
    set(reg::kCrSaturation, 0x10);
    set(reg::kOpticalBlackOffset, 0x20);
    setLe16(reg::kFrameLines, 524);
    setLe16(reg::kAwbWindow + 2, 639);
    setLe16(reg::kAwbWindow + 6, 479);
    const ToneCurve curve = linearToneCurve();
    for (std::size_t i = 0; i < curve.size(); ++i)
        set(std::uint16_t(reg::kToneCurve + i), curve[i]);
}

bool RegisterFile::hostWritable(std::uint16_t address)
{
    const bool statistics = address >= reg::kWhiteBalanceSums &&
                            address < reg::kLuminanceGrid + reg::kLuminanceCells;
    const bool flashId = address == reg::kFlashMakerId || address == reg::kFlashDeviceId;
    return !statistics && !flashId;
}

}  // namespace qm::dualcam
