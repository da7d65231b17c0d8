// Capability containers in movable global memory: the answers the source
// builds (the application frees them) and the containers an application
// hands in with MSG_SET, read with every size checked against the block.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/system/global_memory.h"
#include "platform/twain/twain.h"

namespace qm::ds {

using twain::TW_UINT16;
using twain::TW_UINT32;

// Answers; null when the block cannot be allocated.
sys::HGLOBAL makeOneValue(TW_UINT16 itemType, TW_UINT32 item);
sys::HGLOBAL makeEnumeration(TW_UINT16 itemType, std::span<const TW_UINT16> items, TW_UINT32 currentIndex,
                             TW_UINT32 defaultIndex);
sys::HGLOBAL makeArray(TW_UINT16 itemType, std::span<const TW_UINT16> items);

// The one value's Item as the item type's width gives it, widened to 32 bits
// with the type's signedness.
TW_UINT32 widenItem(TW_UINT16 itemType, std::int32_t value);

// An application's container (its handle and the ConType of the
// TW_CAPABILITY), locked for as long as the view lives.
class ContainerView {
public:
    ContainerView(sys::HGLOBAL handle, TW_UINT16 conType);
    ~ContainerView();
    ContainerView(const ContainerView&) = delete;
    ContainerView& operator=(const ContainerView&) = delete;

    // The block has a size, locks, and its ConType is one of the four
    // container types.
    bool readable() const { return bytes_ != nullptr && conType_ != 0; }
    TW_UINT16 conType() const { return conType_; }
    TW_UINT16 itemType() const;

    // One value: the Item's whole 32 bits.
    std::optional<TW_UINT32> oneValueItem() const;
    // One value: the Item read at the item type's width and signedness
    // (TWTY_FIX32 truncated toward zero); none for other item types.
    std::optional<std::int32_t> oneValueNumber() const;
    // Enumeration of an integer, boolean or TWTY_FIX32 type: the item at
    // CurrentIndex (16 bits, signed, for the 16- and 32-bit types; the byte
    // for the one-byte types; truncated for TWTY_FIX32). None when the index
    // or the item lies outside the list or the block.
    std::optional<std::int32_t> enumerationCurrent() const;
    // Enumeration: whether any item, read at its width and signedness, equals
    // the value (TWTY_FIX32, frame, string and handle items count as 0). None
    // when the list does not fit the block or the item type is unknown.
    std::optional<bool> enumerationContains(std::int64_t value) const;

private:
    sys::HGLOBAL handle_ = nullptr;
    const std::uint8_t* bytes_ = nullptr;
    std::size_t size_ = 0;
    TW_UINT16 conType_ = 0;
};

}  // namespace qm::ds
