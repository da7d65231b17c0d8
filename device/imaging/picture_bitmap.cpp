#include "device/imaging/picture_bitmap.h"

#include "common/config/kvb_config.h"
#include "device/imaging/image.h"
#include "device/imaging/imaging_strings.h"
#include "device/imaging/model_rules.h"

namespace qm::device::imaging {

namespace {

constexpr int kXgaWidth = 1024;
constexpr int kXgaHeight = 768;

}  // namespace

int configuredSharpenFactor()
{
    return config::readInt(kImageQualitySection, kSharpenFactorKey, kDefaultSharpenFactor);
}

PictureSteps pictureStepsFor(std::uint8_t model, const PictureInfo& info, std::uint8_t rotationCode,
                             int sharpenFactor)
{
    PictureSteps steps;
    if (sharpensPictures(model))
        steps.sharpenFactor = sharpenFactor;
    steps.resizeToXga = resizesToXga(model, info.resolutionCode());
    if (rotationCode >= 1 && rotationCode <= 3)
        steps.quarterTurns = rotationCode;
    return steps;
}

bool pictureToBitmap(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                     std::span<std::uint8_t> destination)
{
    auto image = Image::decodeJpeg(picture);
    if (!image)
        return false;
    if (steps.sharpenFactor > 0 && !image->sharpen(steps.sharpenFactor))
        return false;
    if (steps.resizeToXga && !image->resize(kXgaWidth, kXgaHeight))
        return false;
    if (steps.quarterTurns != 0 && !image->rotateQuarterTurns(steps.quarterTurns))
        return false;
    // The caller sized the buffer from the picture's resolution; a picture
    // that turns out larger is refused rather than written past its end.
    return image->writeDib(destination).has_value();
}

bool pictureToBitmap(std::span<const std::uint8_t> picture, std::uint8_t model, const PictureInfo& info,
                     std::span<std::uint8_t> destination)
{
    if (destination.empty())
        return false;
    const PictureSteps steps = pictureStepsFor(model, info, destination[0], configuredSharpenFactor());
    return pictureToBitmap(picture, steps, destination);
}

}  // namespace qm::device::imaging
