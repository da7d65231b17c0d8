#include "device/imaging/upload_image.h"

#include "device/imaging/jpeg/upload_jpeg.h"
#include "device/imaging/model_rules.h"

namespace qm::device::imaging {

namespace {

std::optional<BitmapFile> loadAsUploadBitmap(const std::string& path)
{
    auto image = Image::loadFile(path);
    if (!image || !image->resize(kUploadWidth, kUploadHeight))
        return std::nullopt;
    return image->toBitmapFile();
}

}  // namespace

std::optional<UploadImage> prepareUpload(const std::string& path)
{
    auto file = loadAsUploadBitmap(path);
    if (!file)
        return std::nullopt;
    const auto size = encodeUploadJpeg(file->dib(), file->bytes());
    if (!size)
        return std::nullopt;
    return UploadImage(std::move(*file), *size);
}

}  // namespace qm::device::imaging
