// PictureList: each picture's thumbnail as a device-independent bitmap, a
// 40-byte header followed by 24-bit rows, bottom row first, each padded to a
// multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::panel {

inline constexpr int kThumbWidth = 80;
inline constexpr int kThumbHeight = 60;
inline constexpr std::size_t kDibHeaderSize = 40;

constexpr std::size_t dibStride(int width) { return (std::size_t(width) * 24 + 31) / 32 * 4; }
constexpr std::size_t dibSize(int width, int height) { return dibStride(width) * std::size_t(height) + kDibHeaderSize; }

struct PictureItem {
    int number = 0;
    int width = kThumbWidth;
    int height = kThumbHeight;
    std::vector<std::uint8_t> image;  // empty until allocated

    // Sizes the image for width x height; false when that cannot be had.
    bool allocate();
    bool loaded() const { return image.size() >= dibSize(width, height); }
    // The header the device module wrote agrees with width and height and
    // the pixels fit the buffer; only such an image is drawn.
    bool drawable() const;
    // Turns the image a quarter to the right: a new buffer receives pixel
    // (row i, column j) from source row j, column width - 1 - i (rows as
    // stored), and the header is copied with width and height exchanged.
    void rotateRight();
};

class PictureList {
public:
    PictureList();

    bool append(int number);
    PictureItem& find(int number);
    const PictureItem& find(int number) const;
    bool remove(int number);
    void renumber();
    std::size_t size() const { return items_.size() - 1; }

    PictureItem* begin() { return items_.data() + 1; }
    PictureItem* end() { return items_.data() + items_.size(); }
    const PictureItem* begin() const { return items_.data() + 1; }
    const PictureItem* end() const { return items_.data() + items_.size(); }

private:
    std::vector<PictureItem> items_;
};

}  // namespace qm::panel
