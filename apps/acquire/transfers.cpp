#include "apps/acquire/transfers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "apps/acquire/picture_files.h"
#include "platform/system/files.h"
#include "platform/system/global_memory.h"

namespace qm::acquire {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Native: a packed DIB in a block the application now owns. Blocks follow
// the calloc convention, so free() releases them.
bool nativePicture(SourceManagerClient& client, std::vector<std::uint8_t>& dib, std::string& error)
{
    TW_HANDLE handle = nullptr;
    if (client.toSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle) != TWRC_XFERDONE) {
        error = "native transfer failed: " + client.sourceCondition();
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(handle);
    dib.assign(bytes, bytes + sys::GlobalSize(handle));
    std::free(handle);
    return true;
}

// Memory: strips of rows, top row first, red first, in buffers of the
// source's preferred size.
bool memoryPicture(SourceManagerClient& client, const TW_IMAGEINFO& info, std::vector<std::uint8_t>& dib,
                   PictureReport& report, std::string& error)
{
    TW_SETUPMEMXFER setup{};
    if (client.toSource(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) {
        error = "memory setup failed: " + client.sourceCondition();
        return false;
    }
    const std::size_t rowBytes = std::size_t(info.ImageWidth) * 3;
    const std::size_t size = std::max<std::size_t>({setup.Preferred, setup.MinBufSize, rowBytes});
    std::vector<std::uint8_t> buffer(size);
    RgbImage image{info.ImageWidth, info.ImageLength, std::vector<std::uint8_t>(rowBytes * std::size_t(info.ImageLength))};

    TW_UINT16 rc = TWRC_SUCCESS;
    while (rc == TWRC_SUCCESS) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(buffer.size()), buffer.data()};
        rc = client.toSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) {
            error = "memory transfer failed after " + std::to_string(report.strips) + " strips: " +
                    client.sourceCondition();
            return false;
        }
        // Everything the source reports is checked against the picture.
        const std::size_t rows = strip.Rows;
        const std::size_t stripRowBytes = strip.BytesPerRow;
        if (strip.Columns != TW_UINT32(info.ImageWidth) || stripRowBytes < rowBytes ||
            strip.YOffset + rows > std::size_t(info.ImageLength) || rows * stripRowBytes > buffer.size()) {
            error = "the source sent a strip that does not fit the picture";
            return false;
        }
        for (std::size_t k = 0; k < rows; ++k)
            std::memcpy(image.rgb.data() + (strip.YOffset + k) * rowBytes, buffer.data() + k * stripRowBytes, rowBytes);
        ++report.strips;
    }
    dib = dibFromImage(image);
    return true;
}

// File: the source writes the bitmap file itself.
bool filePicture(SourceManagerClient& client, const std::string& stem, std::vector<std::uint8_t>& dib,
                 std::string& error)
{
    const std::string name = stem + ".bmp";
    TW_SETUPFILEXFER setup{};
    if (name.size() >= sizeof setup.FileName) {
        error = "the file name " + name + " is too long for a file transfer";
        return false;
    }
    std::memcpy(setup.FileName, name.c_str(), name.size() + 1);
    setup.Format = TWFF_BMP;
    if (client.toSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS) {
        error = "file setup for " + name + " failed: " + client.sourceCondition();
        return false;
    }
    if (client.toSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE) {
        error = "file transfer failed: " + client.sourceCondition();
        return false;
    }
    const auto file = sys::readWholeFile(name);
    if (!file || file->size() <= kFileHeaderSize || (*file)[0] != 'B' || (*file)[1] != 'M') {
        error = "the source left no bitmap file at " + name;
        return false;
    }
    dib.assign(file->begin() + kFileHeaderSize, file->end());
    return true;
}

}  // namespace

const char* mechanismName(TW_UINT16 mechanism)
{
    switch (mechanism) {
    case TWSX_NATIVE: return "native";
    case TWSX_MEMORY: return "memory";
    case TWSX_FILE: return "file";
    default: return "unknown";
    }
}

bool transferPicture(SourceManagerClient& client, TW_UINT16 mechanism, const std::string& stem,
                     PictureReport& report, std::string& error)
{
    TW_IMAGEINFO info{};
    if (client.toSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
        error = "no image information: " + client.sourceCondition();
        return false;
    }
    constexpr TW_INT32 kLargestSide = 32767;
    if (info.ImageWidth <= 0 || info.ImageLength <= 0 || info.ImageWidth > kLargestSide ||
        info.ImageLength > kLargestSide || info.BitsPerPixel != 24) {
        error = "the source offers a picture of " + std::to_string(info.ImageWidth) + " x " +
                std::to_string(info.ImageLength) + " at " + std::to_string(info.BitsPerPixel) +
                " bits, not a 24-bit picture";
        return false;
    }
    report.width = info.ImageWidth;
    report.height = info.ImageLength;

    std::vector<std::uint8_t> dib;
    bool ok = false;
    switch (mechanism) {
    case TWSX_MEMORY: ok = memoryPicture(client, info, dib, report, error); break;
    case TWSX_FILE: ok = filePicture(client, stem, dib, error); break;
    default: ok = nativePicture(client, dib, error); break;
    }
    return ok && writePictureFiles(stem, dib, mechanism != TWSX_FILE, error);
}

}  // namespace qm::acquire
