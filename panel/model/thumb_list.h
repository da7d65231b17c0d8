// Per-picture state of the browser: ThumbList holds each picture's selection
// and rotation, PictureList its thumbnail image. Both are 1-based with a
// placeholder at index 0; looking up a number that is not present yields the
// placeholder, so callers never hold a dangling item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::panel {

// The most pictures the lists take. A camera counts its pictures in 16 bits;
// the lists refuse what would not fit in memory a user would grant a
// thumbnail browser (each thumbnail takes 14 KiB).
inline constexpr std::size_t kMaxPictures = 4000;

struct ThumbItem {
    int number = 0;
    bool selected = false;
    bool changed = false;       // set by every state change; cleared when the cell was redrawn
    int rotationShown = 0;      // quarter turns applied to the cell image
    int rotationPending = 0;    // quarter turns requested and not applied yet

    void select();
    void deselect();
    bool toggle();              // returns the new state
    void rotateRight();
};

class ThumbList {
public:
    ThumbList();

    // Appends an item numbered `number`; false when the list is full.
    bool append(int number);
    // The item numbered `number`, or the placeholder.
    ThumbItem& find(int number);
    const ThumbItem& find(int number) const;
    bool contains(int number) const;
    // Removes the item numbered `number`; false when absent.
    bool remove(int number);
    // Writes 1 .. size() into the numbers in list order.
    void renumber();
    std::size_t size() const { return items_.size() - 1; }
    bool empty() const { return size() == 0; }

    std::size_t selectedCount() const;
    // Number of selected pictures numbered from `first` on.
    std::size_t selectedFrom(int first) const;
    void selectAll();
    void selectNone();

    // Items in list order (the placeholder excluded).
    ThumbItem* begin() { return items_.data() + 1; }
    ThumbItem* end() { return items_.data() + items_.size(); }
    const ThumbItem* begin() const { return items_.data() + 1; }
    const ThumbItem* end() const { return items_.data() + items_.size(); }

private:
    std::vector<ThumbItem> items_;
};

}  // namespace qm::panel
