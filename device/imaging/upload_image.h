// An image file chosen by the user into what a model-16 camera accepts: the
// picture fitted to 640 x 480 and encoded as the upload JPEG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/imaging/image.h"

namespace qm::device::imaging {

// The upload JPEG, kept at the start of the memory that held the picture's
// bitmap file (the JPEG is written over it).
class UploadImage {
public:
    UploadImage(BitmapFile file, std::size_t size) : file_(std::move(file)), size_(size) {}

    std::span<const std::uint8_t> bytes() const { return file_.bytes().first(size_); }
    std::size_t size() const { return size_; }

private:
    BitmapFile file_;
    std::size_t size_;
};

// Nothing when the file does not load, the picture cannot be resized or
// written, or it cannot be encoded: the camera is then asked for nothing.
std::optional<UploadImage> prepareUpload(const std::string& path);

}  // namespace qm::device::imaging
