#include "simulators/stillcam/core/upload_receiver.h"

#include "simulators/stillcam/protocol/packet.h"

namespace qm::stillcam {

void UploadReceiver::begin(std::uint32_t size)
{
    active_ = true;
    size_ = size;
    blocks_ = 0;
    data_.clear();
}

void UploadReceiver::abort()
{
    active_ = false;
    data_.clear();
}

UploadReceiver::Result UploadReceiver::write(std::uint8_t number, std::uint8_t flag, std::span<const std::uint8_t> data)
{
    const bool inOrder = number == std::uint8_t(blocks_ + 1);
    const bool sized = flag == kBlockFlagMore ? data.size() == kBlockSize
                     : flag == kBlockFlagLast ? !data.empty() && data.size() <= kBlockSize
                                              : false;
    if (!active_ || !inOrder || !sized || data_.size() + data.size() > size_) {
        abort();
        return Result::Refused;
    }
    data_.insert(data_.end(), data.begin(), data.end());
    ++blocks_;
    if (flag == kBlockFlagMore)
        return Result::Accepted;
    if (data_.size() != size_) {
        abort();
        return Result::Refused;
    }
    active_ = false;
    return Result::Completed;
}

std::vector<std::uint8_t> UploadReceiver::take()
{
    std::vector<std::uint8_t> out;
    out.swap(data_);
    return out;
}

}  // namespace qm::stillcam
