#include "panel/model/picture_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "panel/model/thumb_list.h"
#include "platform/system/byte_order.h"

namespace qm::panel {

bool PictureItem::allocate()
{
    if (width <= 0 || height <= 0)
        return false;
    try {
        image.assign(dibSize(width, height), 0);
    } catch (const std::bad_alloc&) {
        image.clear();
        return false;
    }
    return true;
}

bool PictureItem::drawable() const
{
    if (!loaded())
        return false;
    const std::uint8_t* header = image.data();
    return sys::readLe32(header) == kDibHeaderSize && std::int32_t(sys::readLe32(header + 4)) == width &&
           std::int32_t(sys::readLe32(header + 8)) == height && sys::readLe16(header + 14) == 24;
}

void PictureItem::rotateRight()
{
    if (!loaded())
        return;
    const int newWidth = height;
    const int newHeight = width;
    std::vector<std::uint8_t> turned(dibSize(newWidth, newHeight), 0);
    std::memcpy(turned.data(), image.data(), kDibHeaderSize);
    sys::writeLe32(turned.data() + 4, std::uint32_t(newWidth));
    sys::writeLe32(turned.data() + 8, std::uint32_t(newHeight));
    const std::size_t sourceStride = dibStride(width);
    const std::size_t targetStride = dibStride(newWidth);
    const std::uint8_t* source = image.data() + kDibHeaderSize;
    std::uint8_t* target = turned.data() + kDibHeaderSize;
    for (int i = 0; i < newHeight; ++i) {
        for (int j = 0; j < newWidth; ++j) {
            const std::uint8_t* from = source + std::size_t(j) * sourceStride + std::size_t(width - 1 - i) * 3;
            std::memcpy(target + std::size_t(i) * targetStride + std::size_t(j) * 3, from, 3);
        }
    }
    image = std::move(turned);
    width = newWidth;
    height = newHeight;
}

PictureList::PictureList() : items_(1) {}

bool PictureList::append(int number)
{
    if (size() >= kMaxPictures)
        return false;
    PictureItem item;
    item.number = number;
    items_.push_back(std::move(item));
    return true;
}

PictureItem& PictureList::find(int number)
{
    auto it = std::find_if(begin(), end(), [number](const PictureItem& item) { return item.number == number; });
    if (it != end())
        return *it;
    items_[0] = PictureItem{};
    return items_[0];
}

const PictureItem& PictureList::find(int number) const
{
    auto it = std::find_if(begin(), end(), [number](const PictureItem& item) { return item.number == number; });
    return it != end() ? *it : items_[0];
}

bool PictureList::remove(int number)
{
    auto it = std::find_if(begin(), end(), [number](const PictureItem& item) { return item.number == number; });
    if (it == end())
        return false;
    items_.erase(items_.begin() + (it - items_.data()));
    return true;
}

void PictureList::renumber()
{
    int number = 1;
    for (PictureItem& item : *this)
        item.number = number++;
}

}  // namespace qm::panel
