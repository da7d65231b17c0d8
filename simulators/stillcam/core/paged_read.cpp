#include "simulators/stillcam/core/paged_read.h"

#include <algorithm>

#include "simulators/stillcam/protocol/packet.h"

namespace qm::stillcam {

void PagedRead::start(std::uint8_t code, std::vector<std::uint8_t> object)
{
    active_ = true;
    code_ = code;
    object_ = std::move(object);
    current_ = 0;
}

unsigned PagedRead::blockCount() const
{
    return std::max<unsigned>(1, unsigned((object_.size() + kBlockSize - 1) / kBlockSize));
}

unsigned PagedRead::blockAfter(std::uint8_t sequence) const
{
    if (!active_)
        return 0;
    if (sequence == std::uint8_t(current_) && current_ < blockCount())
        return current_ + 1;
    if (current_ >= 1 && sequence == std::uint8_t(current_ - 1))
        return current_;
    return 0;
}

std::vector<std::uint8_t> PagedRead::blockBody(unsigned k)
{
    current_ = k;
    const std::size_t from = std::min(object_.size(), std::size_t(k - 1) * kBlockSize);
    const std::size_t to = std::min(object_.size(), from + kBlockSize);
    std::vector<std::uint8_t> body;
    body.reserve(3 + (to - from));
    body.push_back(std::uint8_t(code_ | 0x80));
    body.push_back(k >= blockCount() ? kStateLast : kStateMore);
    body.push_back(std::uint8_t(k));
    body.insert(body.end(), object_.begin() + long(from), object_.begin() + long(to));
    return body;
}

}  // namespace qm::stillcam
