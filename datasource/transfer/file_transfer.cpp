// DG_IMAGE / DAT_IMAGEFILEXFER: the picture as a Windows bitmap file under
// the current file name, whatever format the setup named.
#include <vector>

#include "datasource/transfer/file_access.h"
#include "datasource/transfer/picture.h"
#include "datasource/transfer/transfer_handlers.h"
#include "platform/system/byte_order.h"

namespace qm::ds {
namespace {

// BITMAPFILEHEADER followed by the delivered header and rows.
std::vector<std::uint8_t> bitmapFile(const HeldPicture& picture)
{
    const std::size_t dibBytes = bitmapBytes(picture.width, picture.height);
    std::vector<std::uint8_t> file(kFileHeaderSize + dibBytes);
    file[0] = 'B';
    file[1] = 'M';
    sys::writeLe32(&file[2], std::uint32_t(file.size()));
    sys::writeLe16(&file[6], 0);
    sys::writeLe16(&file[8], 0);
    sys::writeLe32(&file[10], std::uint32_t(kFileHeaderSize + kBitmapHeaderSize));
    std::copy(picture.bytes, picture.bytes + dibBytes, file.begin() + kFileHeaderSize);
    return file;
}

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
    proveWritable(record.transfer.fileName, TWCC_OPERATIONERROR);
    if (!fetchPicture(record, record.transfer.bitmapSize + kBitmapHeaderSize))
        return fail(record, TWCC_OPERATIONERROR);

    const std::vector<std::uint8_t> file = bitmapFile(record.transfer.image);
    releaseImageBuffer(record.transfer);
    writeTransferFile(record.transfer.fileName, file, TWCC_OPERATIONERROR);
    return TWRC_XFERDONE;
}

}  // namespace qm::ds
