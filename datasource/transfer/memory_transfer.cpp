// DG_IMAGE / DAT_IMAGEMEMXFER: the picture in strips of whole rows, top row
// first, red-green-blue, into buffers the application provides. It is
// fetched from the panel once, at the first strip, and held until the last.
#include <algorithm>

#include "datasource/strings/string_table.h"
#include "datasource/transfer/picture.h"
#include "datasource/transfer/transfer_handlers.h"
#include "datasource/ui/message_box.h"
#include "platform/system/last_error.h"

namespace qm::ds {
namespace {

// The application's buffer, locked for the copy when given by handle.
class Destination {
public:
    explicit Destination(const TW_MEMORY& memory)
    {
        if ((memory.Flags & TWMF_POINTER) != 0) {
            bytes_ = static_cast<std::uint8_t*>(memory.TheMem);
            capacity_ = memory.Length;
        } else if ((memory.Flags & TWMF_HANDLE) != 0 && memory.TheMem != nullptr) {
            handle_ = memory.TheMem;
            bytes_ = static_cast<std::uint8_t*>(sys::GlobalLock(handle_));
            // Never more than the block really holds.
            capacity_ = std::min<std::size_t>(memory.Length, sys::GlobalSize(handle_));
        }
    }
    ~Destination()
    {
        if (handle_ != nullptr)
            sys::GlobalUnlock(handle_);
    }
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;

    std::uint8_t* bytes() const { return bytes_; }
    std::size_t capacity() const { return capacity_; }

private:
    sys::HGLOBAL handle_ = nullptr;
    std::uint8_t* bytes_ = nullptr;
    std::size_t capacity_ = 0;
};

// Output rows are image rows counted from the top, red first.
void copyStrip(const HeldPicture& picture, std::int32_t firstRow, std::int32_t rows, std::uint8_t* out,
               std::size_t bytesPerRow)
{
    for (std::int32_t k = 0; k < rows; ++k) {
        const std::uint8_t* in = pictureRow(picture, firstRow + k);
        std::uint8_t* row = out + std::size_t(k) * bytesPerRow;
        for (std::int32_t x = 0; x < picture.width; ++x) {
            row[3 * x + 0] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x + 0];
        }
    }
}

// After the last strip: the ImageBuffer is unlocked and freed; a failure of
// either is shown to the user but does not fail the transfer.
void finishPicture(TransferState& transfer)
{
    sys::HGLOBAL handle = transfer.image.handle;
    sys::SetLastError(sys::NO_ERROR);
    if (sys::GlobalUnlock(handle) && sys::GetLastError() != sys::NO_ERROR)
        showMessageBox(loadString(IDS_UNLOCK_FAILURE));
    if (sys::GlobalFree(handle) != nullptr)
        showMessageBox(loadString(IDS_FREE_FAILURE));
    transfer.image = HeldPicture{};
    transfer.stripRow = 0;
}

}  // namespace

TW_UINT16 handleMemoryTransfer(SourceRecord& record, const Triplet& call)
{
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (record.state != STATE_XFERREADY)
        return fail(record, TWCC_OPERATIONERROR);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    auto* xfer = static_cast<TW_IMAGEMEMXFER*>(call.data);
    TransferState& transfer = record.transfer;

    const bool firstStrip = transfer.stripRow == 0 || transfer.image.handle == nullptr;
    if (firstStrip && !querySize(record))
        return fail(record, TWCC_OPERATIONERROR);
    const std::int32_t width = firstStrip ? transfer.width : transfer.image.width;
    const std::size_t bytesPerRow = std::size_t(width) * 3;

    const TW_MEMORY memory = xfer->Memory;
    Destination destination(memory);
    if (destination.bytes() == nullptr)
        return fail(record, TWCC_OPERATIONERROR);
    // A buffer that cannot take one row would never finish the picture.
    if (destination.capacity() < bytesPerRow)
        return fail(record, TWCC_BADVALUE);

    if (firstStrip && !fetchPicture(record, transfer.bitmapSize + kBitmapHeaderSize))
        return fail(record, TWCC_OPERATIONERROR);
    const HeldPicture& picture = transfer.image;
    if (transfer.stripRow >= picture.height) {
        releaseImageBuffer(transfer);
        return fail(record, TWCC_OPERATIONERROR);
    }

    const std::size_t rowsPerBuffer = destination.capacity() / bytesPerRow;
    const auto rows = std::int32_t(std::min<std::size_t>(rowsPerBuffer, std::size_t(picture.height - transfer.stripRow)));
    copyStrip(picture, transfer.stripRow, rows, destination.bytes(), bytesPerRow);

    xfer->Compression = TWCP_NONE;
    xfer->BytesPerRow = TW_UINT32(bytesPerRow);
    xfer->Columns = TW_UINT32(picture.width);
    xfer->Rows = TW_UINT32(rows);
    xfer->XOffset = 0;
    xfer->YOffset = TW_UINT32(transfer.stripRow);
    xfer->BytesWritten = TW_UINT32(bytesPerRow * std::size_t(rows));

    transfer.stripRow += rows;
    if (transfer.stripRow < picture.height)
        return TWRC_SUCCESS;
    finishPicture(transfer);
    return TWRC_XFERDONE;
}

}  // namespace qm::ds
