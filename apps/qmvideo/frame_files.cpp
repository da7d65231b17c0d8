#include "apps/qmvideo/frame_files.h"

#include <cstdio>

#include "platform/system/byte_order.h"
#include "platform/system/files.h"

namespace qm::qmvideo {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

bool isJpeg(std::span<const std::uint8_t> data) { return data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8; }

std::size_t rowBytes(long width) { return (std::size_t(width) * 3 + 3) / 4 * 4; }

bool isBitmap(const VideoFormat& format, std::span<const std::uint8_t> data)
{
    return format.valid && !format.mjpg && format.width > 0 && format.height > 0 &&
           data.size() == rowBytes(format.width) * std::size_t(format.height);
}

}  // namespace

std::string frameFileName(unsigned index, const VideoFormat& format, std::span<const std::uint8_t> data)
{
    const char* extension = isJpeg(data) ? "jpg" : isBitmap(format, data) ? "bmp" : "raw";
    char name[64];
    std::snprintf(name, sizeof name, "frame_%04u.%s", index, extension);
    return name;
}

std::optional<std::vector<std::uint8_t>> bitmapFile(long width, long height, std::span<const std::uint8_t> data)
{
    if (width <= 0 || height <= 0 || data.size() != rowBytes(width) * std::size_t(height))
        return std::nullopt;
    std::vector<std::uint8_t> file(kFileHeaderBytes + kInfoHeaderBytes + data.size());
    std::uint8_t* header = file.data();
    header[0] = 'B';
    header[1] = 'M';
    sys::writeLe32(header + 2, std::uint32_t(file.size()));
    sys::writeLe32(header + 10, std::uint32_t(kFileHeaderBytes + kInfoHeaderBytes));
    std::uint8_t* info = header + kFileHeaderBytes;
    sys::writeLe32(info + 0, std::uint32_t(kInfoHeaderBytes));
    sys::writeLe32(info + 4, std::uint32_t(width));
    sys::writeLe32(info + 8, std::uint32_t(height));
    sys::writeLe16(info + 12, 1);
    sys::writeLe16(info + 14, 24);
    sys::writeLe32(info + 20, std::uint32_t(data.size()));
    std::copy(data.begin(), data.end(), file.begin() + std::ptrdiff_t(kFileHeaderBytes + kInfoHeaderBytes));
    return file;
}

std::optional<std::string> writeFrame(const std::string& directory, unsigned index, const VideoFormat& format,
                                      std::span<const std::uint8_t> data)
{
    const std::string path = sys::joinPath(directory, frameFileName(index, format, data));
    bool written = false;
    if (!isJpeg(data) && isBitmap(format, data)) {
        if (auto file = bitmapFile(format.width, format.height, data))
            written = sys::writeFileAtomically(path, *file);
    } else {
        written = sys::writeFileAtomically(path, data);
    }
    return written ? std::optional<std::string>(path) : std::nullopt;
}

}  // namespace qm::qmvideo
