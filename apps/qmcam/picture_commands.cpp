// list, thumbs, get and save: the commands that read pictures.
#include <filesystem>
#include <vector>

#include "apps/common/output_paths.h"
#include "apps/qmcam/camera_tool.h"
#include "apps/qmcam/image_files.h"
#include "apps/qmcam/progress_bar.h"
#include "device/entry/driver_entry.h"

namespace qm::qmcam {
namespace {

using namespace qm::device;

// Contact sheets show the thumbnails as the browser does: 4 x 3 per sheet.
constexpr int kSheetColumns = 4;
constexpr int kSheetRows = 3;
constexpr int kSheetGap = 4;

bool endsWithPng(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
}

std::string numbered(const std::string& directory, const char* stem, std::uint32_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%04u.png", stem, number);
    return (std::filesystem::path(directory) / name).string();
}

RgbImage blankSheet()
{
    RgbImage sheet;
    sheet.width = kSheetColumns * int(kThumbnailWidth) + (kSheetColumns + 1) * kSheetGap;
    sheet.height = kSheetRows * int(kThumbnailHeight) + (kSheetRows + 1) * kSheetGap;
    sheet.rgb.assign(std::size_t(sheet.width) * sheet.height * 3, 0xFF);
    return sheet;
}

}  // namespace

int CameraTool::list()
{
    if (!connect())
        return kExitNoCamera;
    std::fprintf(out_, "%u pictures\n", pictureCount_);
    if (pictureCount_ == 0)
        return kExitOk;
    std::fprintf(out_, "%6s  %10s  %s\n", "number", "bytes", "resolution");
    for (std::uint32_t picture = 1; picture <= pictureCount_; ++picture) {
        std::uint32_t number = picture;
        std::uint32_t bytes = 0;
        std::uint32_t width = picture;
        std::uint32_t height = 0;
        const bool haveBytes = module_.call(kTypePictureAttribute, kAttributeDataSize, &number, &bytes) == kDriverSuccess;
        const bool haveSize = module_.call(kTypeSize, kSizeOfPicture, &width, &height) == kDriverSuccess;
        const std::string resolution = haveSize ? std::to_string(width) + " x " + std::to_string(height) : "n/a";
        const std::string size = haveBytes ? std::to_string(bytes) : "n/a";
        std::fprintf(out_, "%6u  %10s  %s\n", picture, size.c_str(), resolution.c_str());
    }
    return kExitOk;
}

int CameraTool::thumbs(const std::string& directory)
{
    std::string problem;
    if (!apps::ensureDirectory(directory, problem)) {
        std::fprintf(err_, "qmcam: %s\n", problem.c_str());
        return kExitFailed;
    }
    if (!connect())
        return kExitNoCamera;

    int status = kExitOk;
    RgbImage sheet = blankSheet();
    int onSheet = 0;
    std::uint32_t sheetNumber = 0;
    auto flushSheet = [&] {
        if (onSheet == 0)
            return;
        const std::string path = numbered(directory, "contact", ++sheetNumber);
        if (!writePngFile(path, sheet)) {
            std::fprintf(err_, "qmcam: cannot write %s\n", path.c_str());
            status = kExitFailed;
        }
        sheet = blankSheet();
        onSheet = 0;
    };

    std::vector<std::uint8_t> dib(kThumbnailDibSize);
    for (std::uint32_t picture = 1; picture <= pictureCount_; ++picture) {
        ProgressBar::begin("thumbnail " + std::to_string(picture) + "/" + std::to_string(pictureCount_), err_);
        std::uint32_t number = picture;
        const std::uint8_t result = module_.call(kTypeAction, kActionGetThumbnail, &number, dib.data());
        ProgressBar::finish();
        if (result != kDriverSuccess) {
            status = failed("thumbnail " + std::to_string(picture), result);
            continue;
        }
        const std::optional<RgbImage> image = imageFromDib(dib);
        if (!image) {
            std::fprintf(err_, "qmcam: thumbnail %u is not a usable bitmap\n", picture);
            status = kExitFailed;
            continue;
        }
        const std::string path = numbered(directory, "thumb", picture);
        if (!writePngFile(path, *image)) {
            std::fprintf(err_, "qmcam: cannot write %s\n", path.c_str());
            status = kExitFailed;
        }
        const int column = onSheet % kSheetColumns;
        const int row = onSheet / kSheetColumns;
        blit(sheet, *image, kSheetGap + column * (int(kThumbnailWidth) + kSheetGap),
             kSheetGap + row * (int(kThumbnailHeight) + kSheetGap));
        if (++onSheet == kSheetColumns * kSheetRows)
            flushSheet();
    }
    flushSheet();
    std::fprintf(out_, "%u thumbnails, %u contact sheets in %s\n", pictureCount_, sheetNumber, directory.c_str());
    return status;
}

int CameraTool::get(std::uint32_t picture, std::uint8_t rotation, const std::string& file)
{
    if (!connect())
        return kExitNoCamera;
    if (!pictureInRange(picture))
        return kExitFailed;
    // The buffer is sized as the panel sizes it: from the picture's size, or
    // the model's largest, turned with the picture.
    std::uint32_t width = picture;
    std::uint32_t height = 0;
    if (module_.call(kTypeSize, kSizeOfPicture, &width, &height) != kDriverSuccess) {
        const std::uint8_t result = module_.call(kTypeSize, kSizeLargestOfModel, &width, &height);
        if (result != kDriverSuccess)
            return failed("size of picture " + std::to_string(picture), result);
    }
    if (rotation == kRotate90 || rotation == kRotate270)
        std::swap(width, height);
    std::vector<std::uint8_t> buffer(pictureBufferSize(width, height));
    buffer[0] = rotation;

    ProgressBar::begin("picture " + std::to_string(picture), err_);
    std::uint32_t number = picture;
    const std::uint8_t result = module_.call(kTypeAction, kActionGetPicture, &number, buffer.data());
    ProgressBar::finish();
    if (result != kDriverSuccess)
        return failed("download of picture " + std::to_string(picture), result);

    bool written = false;
    if (endsWithPng(file)) {
        const std::optional<RgbImage> image = imageFromDib(buffer);
        written = image && writePngFile(file, *image);
    } else {
        written = writeBmpFile(file, buffer);
    }
    if (!written) {
        std::fprintf(err_, "qmcam: cannot write %s\n", file.c_str());
        return kExitFailed;
    }
    const std::optional<DibLayout> layout = dibLayout(buffer);
    std::fprintf(out_, "Picture %u (%d x %d) written to %s\n", picture, layout ? layout->width : 0,
                 layout ? layout->height : 0, file.c_str());
    return kExitOk;
}

int CameraTool::save(std::uint32_t picture, const std::string& file)
{
    if (!connect())
        return kExitNoCamera;
    if (!pictureInRange(picture))
        return kExitFailed;
    ProgressBar::begin("save " + std::to_string(picture), err_);
    std::uint32_t value = picture & 0xFFFF;
    const std::uint8_t result = module_.call(kTypeAction, kActionSavePicture, &value, const_cast<char*>(file.c_str()));
    ProgressBar::finish();
    if (result != kDriverSuccess)
        return failed("saving picture " + std::to_string(picture), result);
    std::fprintf(out_, "Picture %u saved to %s\n", picture, file.c_str());
    return kExitOk;
}

}  // namespace qm::qmcam
