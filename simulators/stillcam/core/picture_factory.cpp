#include "simulators/stillcam/core/picture_factory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/system/files.h"
#include "simulators/stillcam/core/model_traits.h"
#include "simulators/stillcam/imaging/jpeg_codec.h"
#include "simulators/stillcam/imaging/scene.h"
#include "simulators/stillcam/imaging/thumbnails.h"

namespace qm::stillcam {
namespace {

constexpr int kCameraQuality = 85;

std::vector<std::uint8_t> thumbnailOf(std::uint8_t model, const RgbImage& image)
{
    return usesRawThumbnails(model) ? rawThumbnail(image) : jpegThumbnail(image);
}

StoredPicture fromImage(std::uint8_t model, std::uint8_t code, const RgbImage& image, std::vector<std::uint8_t> jpeg)
{
    StoredPicture picture;
    picture.data = std::move(jpeg);
    picture.thumbnail = thumbnailOf(model, image);
    picture.width = image.width;
    picture.height = image.height;
    picture.resolutionCode = code;
    picture.key = pictureKey(picture.data);
    return picture;
}

RgbImage crop(const RgbImage& image, const ZoomWindow& window)
{
    RgbImage part(window.width, window.height);
    const std::size_t rowBytes = std::size_t(window.width) * 3;
    for (int y = 0; y < window.height; ++y)
        std::copy_n(image.at(window.x, window.y + y), rowBytes, part.at(0, y));
    return part;
}

bool isJpegName(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg";
}

}  // namespace

StoredPicture generatedPicture(std::uint8_t model, std::uint8_t resolutionCode, unsigned seed)
{
    auto geometry = storedGeometry(model, resolutionCode);
    if (!geometry) {
        resolutionCode = defaultResolutionCode(model);
        geometry = storedGeometry(model, resolutionCode);
    }
    RgbImage image = renderScene(seed, geometry->width, geometry->height);
    StoredPicture picture = fromImage(model, resolutionCode, image, encodeJpeg(image, kCameraQuality));
    picture.flashFired = std::uint8_t(seed % 3 == 0 ? 1 : 0);
    return picture;
}

StoredPicture pictureFromBytes(std::uint8_t model, std::vector<std::uint8_t> data)
{
    if (auto image = decodeJpeg(data)) {
        std::uint8_t code = resolutionCodeFor(model, image->width, image->height).value_or(defaultResolutionCode(model));
        return fromImage(model, code, *image, std::move(data));
    }
    StoredPicture picture;
    picture.data = std::move(data);
    picture.thumbnail = placeholderThumbnail(model);
    picture.resolutionCode = defaultResolutionCode(model);
    picture.key = pictureKey(picture.data);
    return picture;
}

std::optional<StoredPicture> uploadedPicture(std::uint8_t model, std::vector<std::uint8_t> jpeg)
{
    auto image = decodeJpeg(jpeg, true);
    if (!image || image->width != 640 || image->height != 480)
        return std::nullopt;
    auto embedded = embeddedRawThumbnail(jpeg);
    StoredPicture picture = fromImage(model, 0, *image, std::move(jpeg));
    if (embedded && usesRawThumbnails(model))
        picture.thumbnail = std::move(*embedded);
    picture.uploaded = true;
    return picture;
}

bool zoomStoredPicture(std::uint8_t model, StoredPicture& picture, const ZoomWindow& window)
{
    const std::optional<RgbImage> image = decodeJpeg(picture.data);
    if (!image || window.width <= 0 || window.height <= 0 || window.x < 0 || window.y < 0 ||
        window.width > image->width - window.x || window.height > image->height - window.y)
        return false;
    const RgbImage zoomed = resize(crop(*image, window), image->width, image->height);
    std::vector<std::uint8_t> jpeg = encodeJpeg(zoomed, kCameraQuality);
    if (jpeg.empty())
        return false;
    picture.data = std::move(jpeg);
    picture.thumbnail = thumbnailOf(model, zoomed);
    picture.key = pictureKey(picture.data);
    picture.zoom = window;
    return true;
}

bool loadPictureFolder(std::uint8_t model, const std::string& folder, std::vector<StoredPicture>& pictures,
                       std::vector<std::string>& skipped)
{
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && isJpegName(entry.path()))
            files.push_back(entry.path());
    }
    if (error)
        return false;
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        auto bytes = sys::readWholeFile(file.string());
        std::optional<RgbImage> image;
        if (bytes)
            image = decodeJpeg(*bytes);
        if (!image) {
            skipped.push_back(file.filename().string());
            continue;
        }
        if (auto code = resolutionCodeFor(model, image->width, image->height)) {
            pictures.push_back(fromImage(model, *code, *image, std::move(*bytes)));
            continue;
        }
        const std::uint8_t code = defaultResolutionCode(model);
        const PictureGeometry geometry = *storedGeometry(model, code);
        RgbImage scaled = resize(*image, geometry.width, geometry.height);
        pictures.push_back(fromImage(model, code, scaled, encodeJpeg(scaled, kCameraQuality)));
    }
    return true;
}

}  // namespace qm::stillcam
