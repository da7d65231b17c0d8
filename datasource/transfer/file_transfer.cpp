// DG_IMAGE / DAT_IMAGEFILEXFER: the picture as a Windows bitmap file under
// the current file name, whatever format the setup named.
#include <array>

#include "datasource/transfer/file_access.h"
#include "datasource/transfer/picture.h"
#include "datasource/transfer/transfer_handlers.h"
#include "platform/system/byte_order.h"

namespace qm::ds {
namespace {

// BITMAPFILEHEADER of a file holding `dibBytes` of header and rows.
std::array<std::uint8_t, kFileHeaderSize> fileHeader(std::size_t dibBytes)
{
    std::array<std::uint8_t, kFileHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    sys::writeLe32(&header[2], std::uint32_t(kFileHeaderSize + dibBytes));
    sys::writeLe16(&header[6], 0);
    sys::writeLe16(&header[8], 0);
    sys::writeLe32(&header[10], std::uint32_t(kFileHeaderSize + kBitmapHeaderSize));
    return header;
}

// The ImageBuffer is given back however the transfer ends.
struct ReleaseAtEnd {
    TransferState& transfer;
    ~ReleaseAtEnd() { releaseImageBuffer(transfer); }
};

}  // namespace

TW_UINT16 handleFileTransfer(SourceRecord& record, const Triplet& call)
{
    if (record.state != STATE_XFERREADY)
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (!querySize(record))
        return fail(record, TWCC_OPERATIONERROR);
    // Before the picture is taken from the panel, so that a file that cannot
    // be written costs no picture.
    TransferFile file(record.transfer.fileName, TWCC_OPERATIONERROR);
    if (!fetchPicture(record, record.transfer.bitmapSize + kBitmapHeaderSize))
        return fail(record, TWCC_OPERATIONERROR);

    // Straight from the ImageBuffer: the header and the delivered bitmap.
    ReleaseAtEnd release{record.transfer};
    const HeldPicture& picture = record.transfer.image;
    const std::size_t dibBytes = bitmapBytes(picture.width, picture.height);
    file.write(fileHeader(dibBytes), {picture.bytes, dibBytes});
    file.commit();
    return TWRC_XFERDONE;
}

}  // namespace qm::ds
