// The iterator over the pictures chosen for a transfer or a save: it walks
// the selected items of a ThumbList in increasing number.
#pragma once

#include <cstddef>

#include "panel/model/thumb_list.h"

namespace qm::panel {

class TransferCursor {
public:
    // Attaches the list (or none), counts its selection and advances once;
    // returns the first selected number, or 0.
    int reset(const ThumbList* list);
    // Moves to the next selected picture after the current one; 0 (and done)
    // when there is none.
    int advance();
    // The first selected picture from `position` on (from 1 when it is -1),
    // that one included; writes it back to `position`. 0 when none, leaving
    // `position` as it was.
    int nextFrom(int& position);

    int current() const { return valid_ ? current_ : 0; }
    // Selected pictures from the current one on; 0 once done or while the
    // camera is not connected.
    std::size_t remaining(bool connected) const;
    int processed() const { return processed_; }
    int total() const { return total_; }
    bool done() const { return done_; }
    bool valid() const { return valid_; }

private:
    const ThumbList* list_ = nullptr;
    bool valid_ = false;
    int current_ = 0;
    int processed_ = 0;
    int total_ = 0;
    bool done_ = false;
};

}  // namespace qm::panel
