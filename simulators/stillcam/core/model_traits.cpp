#include "simulators/stillcam/core/model_traits.h"

namespace qm::stillcam {
namespace {

bool recordsVgaOnly(std::uint8_t model) { return model == 16 || model == 17 || model == 22; }
bool interpolatesXga(std::uint8_t model) { return model == 18 || model == 32; }

}  // namespace

bool isKnownModel(std::uint8_t model)
{
    switch (model) {
    case 16: case 17: case 18: case 20: case 22: case 32:
        return true;
    default:
        return false;
    }
}

std::uint8_t defaultResolutionCode(std::uint8_t model)
{
    if (recordsVgaOnly(model))
        return 0;
    return interpolatesXga(model) ? 2 : 4;
}

std::optional<PictureGeometry> storedGeometry(std::uint8_t model, std::uint8_t code)
{
    if (code == 0 || (code == 1 && interpolatesXga(model)))
        return PictureGeometry{640, 480};
    if (recordsVgaOnly(model))
        return std::nullopt;
    if (code == 1 || code == 2)
        return PictureGeometry{1024, 768};
    if (interpolatesXga(model))
        return std::nullopt;
    if (code == 3)
        return PictureGeometry{1280, 1024};
    if (code == 4)
        return PictureGeometry{1360, 1024};
    return std::nullopt;
}

std::optional<std::uint8_t> resolutionCodeFor(std::uint8_t model, int width, int height)
{
    if (width == 640 && height == 480)
        return 0;
    if (recordsVgaOnly(model))
        return std::nullopt;
    if (width == 1024 && height == 768)
        return interpolatesXga(model) ? 2 : 1;
    if (interpolatesXga(model))
        return std::nullopt;
    if (width == 1280 && height == 1024)
        return 3;
    if (width == 1360 && height == 1024)
        return 4;
    return std::nullopt;
}

std::uint32_t typicalPictureBytes(std::uint8_t model)
{
    return recordsVgaOnly(model) ? 48u * 1024 : interpolatesXga(model) ? 96u * 1024 : 160u * 1024;
}

}  // namespace qm::stillcam
