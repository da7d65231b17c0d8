// The camera's side of a paged read: an object (a picture or a thumbnail)
// goes out in blocks of up to 1024 bytes. Block k (from 1) carries sequence
// byte k mod 256 and state 1, the last block state 2. The host acknowledges
// a block by asking with its sequence byte for the next one; after a bad
// block it asks again with the sequence byte of the last good one, and the
// camera repeats the block that went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::stillcam {

inline constexpr std::uint8_t kStateMore = 1;
inline constexpr std::uint8_t kStateLast = 2;

class PagedRead {
public:
    void start(std::uint8_t code, std::vector<std::uint8_t> object);
    void close() { active_ = false; }
    bool active() const { return active_; }
    std::uint8_t code() const { return code_; }
    std::size_t objectSize() const { return object_.size(); }
    unsigned blockCount() const;
    unsigned current() const { return current_; }

    // The block a request with this sequence byte asks for: the one after
    // the current block when it acknowledges the current block, the current
    // one again when it acknowledges the block before; 0 when it fits
    // neither or asks past the end.
    unsigned blockAfter(std::uint8_t sequence) const;

    // The reply body of block k (reply code, state, sequence, data); makes k
    // the current block.
    std::vector<std::uint8_t> blockBody(unsigned k);

private:
    bool active_ = false;
    std::uint8_t code_ = 0;
    std::vector<std::uint8_t> object_;
    unsigned current_ = 0;
};

}  // namespace qm::stillcam
