// The camera's side of an upload: CMD_BEGIN_UPLOAD announces the size, then
// CMD_WRITE_BLOCK brings blocks numbered 1, 2, ... (8 bits, wrapping), each
// of 1024 bytes with flag 1 and a last one of 1..1024 bytes with flag 2.
// Anything out of order ends the upload.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qm::stillcam {

inline constexpr std::uint8_t kBlockFlagMore = 1;
inline constexpr std::uint8_t kBlockFlagLast = 2;

class UploadReceiver {
public:
    enum class Result { Accepted, Completed, Refused };

    void begin(std::uint32_t size);
    bool active() const { return active_; }
    // The ordinal (from 1) the next block would have.
    unsigned nextOrdinal() const { return blocks_ + 1; }
    Result write(std::uint8_t number, std::uint8_t flag, std::span<const std::uint8_t> data);
    // The data of a completed upload.
    std::vector<std::uint8_t> take();

private:
    void abort();

    bool active_ = false;
    std::uint32_t size_ = 0;
    unsigned blocks_ = 0;
    std::vector<std::uint8_t> data_;
};

}  // namespace qm::stillcam
