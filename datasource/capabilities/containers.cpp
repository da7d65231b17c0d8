#include "datasource/capabilities/containers.h"

#include <cmath>

#include "platform/system/byte_order.h"

namespace qm::ds {

using namespace qm::twain;

namespace {

// Offsets inside the container blocks.
constexpr std::size_t kItemTypeOffset = 0;
constexpr std::size_t kOneValueItemOffset = 2;
constexpr std::size_t kOneValueSize = 6;
constexpr std::size_t kNumItemsOffset = 2;
constexpr std::size_t kCurrentIndexOffset = 6;
constexpr std::size_t kDefaultIndexOffset = 10;
constexpr std::size_t kEnumerationItemsOffset = 14;
constexpr std::size_t kArrayItemsOffset = 6;
// The answers' item lists are followed by one spare byte.
constexpr std::size_t kListSlack = 1;

std::uint8_t* allocate(std::size_t bytes, sys::HGLOBAL& handle)
{
    handle = sys::GlobalAlloc(sys::GHND, bytes);
    if (handle == nullptr || sys::GlobalSize(handle) < bytes) {
        sys::GlobalFree(handle);
        handle = nullptr;
        return nullptr;
    }
    return static_cast<std::uint8_t*>(sys::GlobalLock(handle));
}

void writeItems(std::uint8_t* target, std::span<const TW_UINT16> items)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        sys::writeLe16(target + 2 * i, items[i]);
}

bool isIntegerType(TW_UINT16 itemType)
{
    return itemType <= TWTY_BOOL;
}

std::int32_t truncateFix32(const std::uint8_t* item)
{
    const auto whole = std::int16_t(sys::readLe16(item));
    const std::uint16_t fraction = sys::readLe16(item + 2);
    return std::int32_t(std::trunc(double(whole) + double(fraction) / 65536.0));
}

// An item at its type's width and signedness; non-numeric types count as 0.
std::int64_t itemValue(TW_UINT16 itemType, const std::uint8_t* item)
{
    switch (itemType) {
    case TWTY_INT8:
        return std::int8_t(item[0]);
    case TWTY_UINT8:
        return item[0];
    case TWTY_INT16:
        return std::int16_t(sys::readLe16(item));
    case TWTY_UINT16:
    case TWTY_BOOL:
        return sys::readLe16(item);
    case TWTY_INT32:
        return std::int32_t(sys::readLe32(item));
    case TWTY_UINT32:
        return sys::readLe32(item);
    default:
        return 0;
    }
}

}  // namespace

sys::HGLOBAL makeOneValue(TW_UINT16 itemType, TW_UINT32 item)
{
    sys::HGLOBAL handle = nullptr;
    if (std::uint8_t* block = allocate(kOneValueSize, handle)) {
        sys::writeLe16(block + kItemTypeOffset, itemType);
        sys::writeLe32(block + kOneValueItemOffset, item);
        sys::GlobalUnlock(handle);
    }
    return handle;
}

sys::HGLOBAL makeEnumeration(TW_UINT16 itemType, std::span<const TW_UINT16> items, TW_UINT32 currentIndex,
                             TW_UINT32 defaultIndex)
{
    sys::HGLOBAL handle = nullptr;
    if (std::uint8_t* block = allocate(kEnumerationItemsOffset + 2 * items.size() + kListSlack, handle)) {
        sys::writeLe16(block + kItemTypeOffset, itemType);
        sys::writeLe32(block + kNumItemsOffset, TW_UINT32(items.size()));
        sys::writeLe32(block + kCurrentIndexOffset, currentIndex);
        sys::writeLe32(block + kDefaultIndexOffset, defaultIndex);
        writeItems(block + kEnumerationItemsOffset, items);
        sys::GlobalUnlock(handle);
    }
    return handle;
}

sys::HGLOBAL makeArray(TW_UINT16 itemType, std::span<const TW_UINT16> items)
{
    sys::HGLOBAL handle = nullptr;
    if (std::uint8_t* block = allocate(kArrayItemsOffset + 2 * items.size() + kListSlack, handle)) {
        sys::writeLe16(block + kItemTypeOffset, itemType);
        sys::writeLe32(block + kNumItemsOffset, TW_UINT32(items.size()));
        writeItems(block + kArrayItemsOffset, items);
        sys::GlobalUnlock(handle);
    }
    return handle;
}

TW_UINT32 widenItem(TW_UINT16 itemType, std::int32_t value)
{
    switch (itemType) {
    case TWTY_INT8:
        return TW_UINT32(std::int32_t(std::int8_t(value)));
    case TWTY_UINT8:
        return TW_UINT32(std::uint8_t(value));
    case TWTY_INT16:
        return TW_UINT32(std::int32_t(std::int16_t(value)));
    case TWTY_UINT16:
    case TWTY_BOOL:
        return TW_UINT32(std::uint16_t(value));
    default:
        return TW_UINT32(value);
    }
}

ContainerView::ContainerView(sys::HGLOBAL handle, TW_UINT16 conType)
{
    if (conType == TWON_ARRAY || conType == TWON_ENUMERATION || conType == TWON_ONEVALUE || conType == TWON_RANGE)
        conType_ = conType;
    size_ = sys::GlobalSize(handle);
    if (size_ < 2)
        return;
    void* locked = sys::GlobalLock(handle);
    if (locked == nullptr)
        return;
    handle_ = handle;
    bytes_ = static_cast<const std::uint8_t*>(locked);
}

ContainerView::~ContainerView()
{
    if (handle_ != nullptr)
        sys::GlobalUnlock(handle_);
}

TW_UINT16 ContainerView::itemType() const
{
    return bytes_ != nullptr ? sys::readLe16(bytes_ + kItemTypeOffset) : 0;
}

std::optional<TW_UINT32> ContainerView::oneValueItem() const
{
    if (!readable() || conType_ != TWON_ONEVALUE || size_ < kOneValueSize)
        return std::nullopt;
    return sys::readLe32(bytes_ + kOneValueItemOffset);
}

std::optional<std::int32_t> ContainerView::oneValueNumber() const
{
    if (!oneValueItem())
        return std::nullopt;
    const TW_UINT16 type = itemType();
    const std::uint8_t* item = bytes_ + kOneValueItemOffset;
    if (type == TWTY_FIX32)
        return truncateFix32(item);
    if (!isIntegerType(type))
        return std::nullopt;
    return std::int32_t(itemValue(type, item));
}

std::optional<std::int32_t> ContainerView::enumerationCurrent() const
{
    if (!readable() || conType_ != TWON_ENUMERATION || size_ < kEnumerationItemsOffset)
        return std::nullopt;
    const TW_UINT16 type = itemType();
    if (!isIntegerType(type) && type != TWTY_FIX32)
        return std::nullopt;
    const std::size_t width = itemTypeSize(type);
    const TW_UINT32 count = sys::readLe32(bytes_ + kNumItemsOffset);
    const TW_UINT32 index = sys::readLe32(bytes_ + kCurrentIndexOffset);
    if (index >= count || index >= (size_ - kEnumerationItemsOffset) / width)
        return std::nullopt;
    const std::uint8_t* item = bytes_ + kEnumerationItemsOffset + std::size_t(index) * width;
    if (type == TWTY_FIX32)
        return truncateFix32(item);
    if (width == 1)
        return std::int32_t(itemValue(type, item));
    return std::int32_t(std::int16_t(sys::readLe16(item)));
}

std::optional<bool> ContainerView::enumerationContains(std::int64_t value) const
{
    if (!readable() || conType_ != TWON_ENUMERATION || size_ < kEnumerationItemsOffset)
        return std::nullopt;
    const TW_UINT16 type = itemType();
    const std::size_t width = itemTypeSize(type);
    if (width == 0)
        return std::nullopt;
    const TW_UINT32 count = sys::readLe32(bytes_ + kNumItemsOffset);
    if (count > (size_ - kEnumerationItemsOffset) / width)
        return std::nullopt;
    for (TW_UINT32 i = 0; i < count; ++i) {
        if (itemValue(type, bytes_ + kEnumerationItemsOffset + std::size_t(i) * width) == value)
            return true;
    }
    return false;
}

}  // namespace qm::ds
