// Zeroed memory aligned for any record a minidriver may keep in it.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

namespace qm::streamclass::detail {

class AlignedBuffer {
public:
    AlignedBuffer() = default;
    explicit AlignedBuffer(std::size_t size)
        : blocks_(std::make_unique<std::max_align_t[]>(blocksFor(size))), size_(size)
    {
        // Extensions reach the minidriver zero-filled. Value-initialising
        // max_align_t leaves its padding bytes as they were, so clear the
        // whole block.
        std::memset(blocks_.get(), 0, blocksFor(size) * sizeof(std::max_align_t));
    }

    unsigned char* data() const { return reinterpret_cast<unsigned char*>(blocks_.get()); }
    std::size_t size() const { return size_; }
    template <typename Record>
    Record* as() const
    {
        return reinterpret_cast<Record*>(blocks_.get());
    }

private:
    static std::size_t blocksFor(std::size_t size)
    {
        return (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    }

    std::unique_ptr<std::max_align_t[]> blocks_;
    std::size_t size_ = 0;
};

}  // namespace qm::streamclass::detail
