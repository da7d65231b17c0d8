// The imaging library behind one small interface: decoding camera JPEG data,
// loading image files, resizing, quarter turns, sharpening and writing a
// 24-bit bitmap file into memory. Everything else in this folder works with
// these operations only; the library's own types stay inside image.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct Pix;

namespace qm::device::imaging {

// A bitmap file (14-byte file header, then the packed DIB) in one block of
// memory that the library allocated.
class BitmapFile {
public:
    std::span<std::uint8_t> bytes() { return {data_.get(), size_}; }
    std::span<const std::uint8_t> bytes() const { return {data_.get(), size_}; }
    // The packed DIB behind the file header.
    std::span<const std::uint8_t> dib() const;

private:
    friend class Image;
    struct Release {
        void operator()(std::uint8_t* data) const;
    };
    BitmapFile(std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::unique_ptr<std::uint8_t, Release> data_;
    std::size_t size_ = 0;
};

// A decoded picture, always held as 24-bit colour.
class Image {
public:
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    ~Image();

    // JPEG data as the camera stores it. Nothing when the data is not a
    // decodable JPEG or announces an unreasonable size.
    static std::optional<Image> decodeJpeg(std::span<const std::uint8_t> data);
    // The picture size decodeJpeg would accept, read from the header alone:
    // nothing where decodeJpeg would refuse the data before decoding it.
    struct Size {
        int width = 0;
        int height = 0;
    };
    static std::optional<Size> probeJpeg(std::span<const std::uint8_t> data);
    // Any image file the library reads (BMP, JPEG, PNG, TIFF, GIF, PNM, ...).
    static std::optional<Image> loadFile(const std::string& path);
    // Whether loadFile would take the file, judged from its header alone.
    static bool isLoadableFile(const std::string& path);
    // An image from 24-bit pixels given top row first in red, green, blue order
    // (tests and benchmarks build their pictures with it).
    static std::optional<Image> fromRgb(std::span<const std::uint8_t> rgb, int width, int height);

    int width() const;
    int height() const;

    // Each operation either succeeds or leaves the image as it was.
    bool resize(int width, int height);
    // Turns by quarter turns to the right (clockwise), 1 to 3.
    bool rotateQuarterTurns(int turns);
    // Strength on the scale the camera settings use: 0 leaves the picture as
    // it is, 1000 (the top of the scale) sharpens most; the default is 800.
    bool sharpen(int factor);

    // The library's bitmap file of the picture, in memory it allocates.
    std::optional<BitmapFile> toBitmapFile() const;
    // The packed 24-bit DIB straight into a caller's buffer. Returns its
    // size, or nothing (and nothing written) when it does not fit.
    std::optional<std::size_t> writeDib(std::span<std::uint8_t> destination) const;

private:
    explicit Image(Pix* pix) : pix_(pix) {}
    static std::optional<Image> adopt(Pix* pix);
    bool replaceWith(Pix* result);

    Pix* pix_ = nullptr;
};

// The largest pictures the module agrees to hold: far beyond any camera
// picture or sensible upload, small enough to bound memory use.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 26;

}  // namespace qm::device::imaging
