// The pictures in the camera's flash memory, in the order they were taken.
// Pictures are numbered from 1 by position: deleting one closes the gap, so
// the pictures behind it move up by one. The picture table lists one 16-bit
// entry per stored picture, the picture's number.
#pragma once

#include "simulators/dualcam/frame_format.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::dualcam {

inline constexpr int kPictureWidth = 640;
inline constexpr int kPictureHeight = 480;

// A picture as configured: its subject and how the camera stored it.
struct StoredPictureDescription {
    std::string imageFile;  // any format the image library reads; empty: a test-pattern variant
    int variant = -1;       // which test-pattern variant; -1: by position in the store
    std::uint8_t quality = 48;
    bool appSegment = false;  // stored with the 512-byte FF E1 segment
};

// `count` test-pattern pictures, every second one stored with the segment.
std::vector<StoredPictureDescription> testPictures(std::size_t count);

class PictureStore {
public:
    PictureStore(std::vector<StoredPictureDescription> pictures, std::size_t capacity);

    std::size_t count() const { return pictures_.size(); }
    std::size_t capacity() const { return capacity_; }
    std::size_t freeCount() const { return capacity_ > count() ? capacity_ - count() : 0; }

    // Adds a picture already compressed by the camera; false when full.
    bool add(std::vector<std::uint8_t> scan, std::uint8_t quality, bool appSegment);
    // Removes picture `number` (1-based); false when there is none.
    bool remove(std::size_t number);

    // Table entry k (0-based): the number of the k-th picture.
    std::uint16_t tableEntry(std::size_t k) const { return std::uint16_t(k + 1); }

    // The frame the camera sends for picture `number` (1-based), carrying its
    // table index, or nullopt when there is no such picture.
    std::optional<std::vector<std::uint8_t>> frame(std::size_t number, bool reportIndex);

    // The 512-byte segment the camera keeps in front of some pictures.
    static std::vector<std::uint8_t> appSegment(std::uint8_t quality);

private:
    struct Picture {
        StoredPictureDescription description;
        std::vector<std::uint8_t> scan;  // compressed on first use for configured pictures
    };
    bool compress(Picture& picture);

    std::vector<Picture> pictures_;
    std::size_t capacity_;
};

}  // namespace qm::dualcam
