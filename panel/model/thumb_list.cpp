#include "panel/model/thumb_list.h"

#include <algorithm>

namespace qm::panel {

void ThumbItem::select()
{
    if (!selected) {
        selected = true;
        changed = true;
    }
}

void ThumbItem::deselect()
{
    if (selected) {
        selected = false;
        changed = true;
    }
}

bool ThumbItem::toggle()
{
    selected = !selected;
    changed = true;
    return selected;
}

void ThumbItem::rotateRight()
{
    rotationShown = (rotationShown + 1) % 4;
    rotationPending = (rotationPending + 1) % 4;
    changed = true;
}

ThumbList::ThumbList() : items_(1) {}

bool ThumbList::append(int number)
{
    if (size() >= kMaxPictures)
        return false;
    ThumbItem item;
    item.number = number;
    item.changed = true;
    items_.push_back(item);
    return true;
}

ThumbItem& ThumbList::find(int number)
{
    auto it = std::find_if(begin(), end(), [number](const ThumbItem& item) { return item.number == number; });
    if (it != end())
        return *it;
    items_[0] = ThumbItem{};  // whatever a caller did to the placeholder does not stick
    return items_[0];
}

const ThumbItem& ThumbList::find(int number) const
{
    auto it = std::find_if(begin(), end(), [number](const ThumbItem& item) { return item.number == number; });
    return it != end() ? *it : items_[0];
}

bool ThumbList::contains(int number) const
{
    return std::any_of(begin(), end(), [number](const ThumbItem& item) { return item.number == number; });
}

bool ThumbList::remove(int number)
{
    auto it = std::find_if(begin(), end(), [number](const ThumbItem& item) { return item.number == number; });
    if (it == end())
        return false;
    items_.erase(items_.begin() + (it - items_.data()));
    return true;
}

void ThumbList::renumber()
{
    int number = 1;
    for (ThumbItem& item : *this)
        item.number = number++;
}

std::size_t ThumbList::selectedCount() const
{
    return std::size_t(std::count_if(begin(), end(), [](const ThumbItem& item) { return item.selected; }));
}

std::size_t ThumbList::selectedFrom(int first) const
{
    return std::size_t(
        std::count_if(begin(), end(), [first](const ThumbItem& item) { return item.selected && item.number >= first; }));
}

void ThumbList::selectAll()
{
    for (ThumbItem& item : *this)
        item.select();
}

void ThumbList::selectNone()
{
    for (ThumbItem& item : *this)
        item.deselect();
}

}  // namespace qm::panel
