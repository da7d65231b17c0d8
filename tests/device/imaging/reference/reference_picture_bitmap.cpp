#include "tests/device/imaging/reference/reference_picture_bitmap.h"

#include "device/imaging/image.h"

namespace qm::device::imaging::reference {

bool pictureToBitmap(std::span<const std::uint8_t> picture, const PictureSteps& steps,
                     std::span<std::uint8_t> destination)
{
    auto image = Image::decodeJpeg(picture);
    if (!image)
        return false;
    if (steps.sharpenFactor > 0 && !image->sharpen(steps.sharpenFactor))
        return false;
    if (steps.resizeToXga && !image->resize(1024, 768))
        return false;
    if (steps.quarterTurns != 0 && !image->rotateQuarterTurns(steps.quarterTurns))
        return false;
    return image->writeDib(destination).has_value();
}

}  // namespace qm::device::imaging::reference
