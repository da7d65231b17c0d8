#include "datasource/transfer/picture.h"

#include "datasource/panel/panel_link.h"
#include "platform/system/byte_order.h"

namespace qm::ds {
namespace {

bool headerMatches(const std::uint8_t* header, const TransferState& transfer)
{
    return sys::readLe32(header) == kBitmapHeaderSize &&
           std::int32_t(sys::readLe32(header + 4)) == transfer.width &&
           std::int32_t(sys::readLe32(header + 8)) == transfer.height &&
           sys::readLe16(header + 14) == kBitsPerPixel;
}

}  // namespace

bool querySize(SourceRecord& record)
{
    record.capabilities.jpegPixelType = TWPT_RGB;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!callPanel(record.panel, panel::CMUI_IMAGE_SIZE, reinterpret_cast<std::uintptr_t>(&width),
                   reinterpret_cast<std::uintptr_t>(&height)))
        return false;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        rowStride(width) * std::size_t(height) > kMaxPixelBytes)
        return false;
    TransferState& transfer = record.transfer;
    transfer.width = width;
    transfer.height = height;
    transfer.bitsPerPixel = kBitsPerPixel;
    transfer.bitmapSize = bitmapBytes(width, height);
    return true;
}

bool fetchPicture(SourceRecord& record, std::size_t bytes)
{
    TransferState& transfer = record.transfer;
    releaseImageBuffer(transfer);
    if (transfer.bitmapSize < kBitmapHeaderSize || bytes < transfer.bitmapSize)
        return false;

    sys::HGLOBAL buffer = sys::GlobalAlloc(sys::GHND, bytes);
    if (buffer == nullptr || sys::GlobalSize(buffer) < bytes) {
        sys::GlobalFree(buffer);
        return false;
    }
    auto* picture = static_cast<std::uint8_t*>(sys::GlobalLock(buffer));
    if (picture == nullptr ||
        !callPanel(record.panel, panel::CMUI_GET_IMAGE, reinterpret_cast<std::uintptr_t>(picture)) ||
        !headerMatches(picture, transfer)) {
        sys::GlobalFree(buffer);
        return false;
    }
    transfer.image = HeldPicture{buffer, picture, bytes, transfer.width, transfer.height};
    return true;
}

void releaseImageBuffer(TransferState& transfer)
{
    if (transfer.image.handle != nullptr)
        sys::GlobalFree(transfer.image.handle);
    transfer.image = HeldPicture{};
    transfer.stripRow = 0;
}

}  // namespace qm::ds
