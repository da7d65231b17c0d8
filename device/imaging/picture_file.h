// A picture's data, exactly as the camera delivers it, into a file on disk.
// The path is tried before the (long) download so that an unusable one fails
// at once, but the file appears only whole: the data replaces it (or makes
// it) in one step, so no one ever finds a part of a picture under its name,
// not even after a crash. When writing
// fails, the thread's last error says why, as the platform's file calls
// would: ERROR_ACCESS_DENIED, ERROR_PATH_NOT_FOUND, ERROR_DISK_FULL or
// ERROR_WRITE_FAULT.
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

    // Checks that the file can be made (or, when it exists, written); nothing
    // is left at the path yet and nothing of an existing file is touched.
    bool open(const std::string& path);
    // Replaces the file with exactly these bytes (atomically: a crash leaves
    // the old file or the new one).
    bool commit(std::span<const std::uint8_t> data);
    // The download failed: nothing is written; a file that existed before
    // keeps its content.
    void abandon();

private:
    std::string path_;
    bool open_ = false;
};

}  // namespace qm::device::imaging
