// A picture's data, exactly as the camera delivers it, into a file on disk.
// The file is claimed before the (long) download so that an unusable path
// fails at once; the data then replaces the file as a whole.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qm::device::imaging {

class PictureFileWriter {
public:
    PictureFileWriter() = default;
    ~PictureFileWriter();
    PictureFileWriter(const PictureFileWriter&) = delete;
    PictureFileWriter& operator=(const PictureFileWriter&) = delete;

    // Creates the file when it is missing, or checks that an existing one may
    // be written. Nothing of an existing file is touched yet.
    bool open(const std::string& path);
    // Replaces the file with exactly these bytes (atomically: a crash leaves
    // the old file or the new one).
    bool commit(std::span<const std::uint8_t> data);
    // The download failed: a file that open() created is removed, a file
    // that existed before keeps its content.
    void abandon();

private:
    std::string path_;
    bool open_ = false;
    bool created_ = false;
};

}  // namespace qm::device::imaging
