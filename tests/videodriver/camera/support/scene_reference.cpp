#include "tests/videodriver/camera/support/scene_reference.h"

#include <algorithm>
#include <cmath>

#include "simulators/dualcam/front_end.h"
#include "simulators/dualcam/image_pipeline.h"
#include "simulators/dualcam/register_file.h"
#include "simulators/dualcam/video_settings.h"

namespace qm::morvax::test {

namespace {

std::uint8_t clampByte(double value) { return std::uint8_t(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

CameraState cameraState(const dualcam::DualCamera& camera)
{
    CameraState state;
    state.registers.resize(0x10000);
    for (std::uint32_t address = 0; address < 0x10000; ++address)
        state.registers[address] = camera.registerValue(std::uint16_t(address));
    state.gain = camera.frontEndGain();
    return state;
}

std::vector<std::uint8_t> sceneAsSeen(const dualcam::DualCamConfig& config, const CameraState& state, int width,
                                      int height)
{
    dualcam::RegisterFile registers;
    for (std::uint32_t address = 0; address < 0x10000; ++address)
        registers.set(std::uint16_t(address), state.registers[address]);
    dualcam::FrontEnd frontEnd(config.ccdType, config.cdsType);
    const std::uint8_t gainWord[] = {0xC0, 0x00, std::uint8_t(state.gain), 0x02, 0x00, 0x01};
    frontEnd.dataWritten(0x101D, gainWord);
    const int dark = config.opticalBlack >= 0 ? config.opticalBlack : frontEnd.darkLevel();

    dualcam::SceneRenderer scene(config.scene);
    const dualcam::DevelopedFrame developed =
        dualcam::developFrame(scene.render(width, height, 0),
                              dualcam::pipelineSettings(registers, frontEnd, config.scene, dark));
    // JFIF colour conversion, as a decoder does it.
    std::vector<std::uint8_t> rgb(developed.image.pixels.size());
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        const double y = developed.image.pixels[i];
        const double cb = developed.image.pixels[i + 1] - 128.0;
        const double cr = developed.image.pixels[i + 2] - 128.0;
        rgb[i] = clampByte(y + 1.402 * cr);
        rgb[i + 1] = clampByte(y - 0.344136 * cb - 0.714136 * cr);
        rgb[i + 2] = clampByte(y + 1.772 * cb);
    }
    return rgb;
}

}  // namespace qm::morvax::test
