// DG_IMAGE / DAT_IMAGENATIVEXFER: the picture is handed to the application
// as a packed device-independent bitmap in a movable block it then owns.
#include "datasource/transfer/picture.h"
#include "datasource/transfer/transfer_handlers.h"

namespace qm::ds {

TW_UINT16 handleNativeTransfer(SourceRecord& record, const Triplet& call)
{
    if (record.state != STATE_XFERREADY)
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    if (!querySize(record))
        return fail(record, TWCC_OPERATIONERROR);
    // The bitmap is followed by 14 zero bytes.
    if (!fetchPicture(record, record.transfer.bitmapSize + kFileHeaderSize))
        return fail(record, TWCC_OPERATIONERROR);

    HeldPicture& picture = record.transfer.image;
    sys::GlobalUnlock(picture.handle);
    *static_cast<TW_HANDLE*>(call.data) = picture.handle;
    sys::GlobalHandOver(picture.handle);  // the application frees it
    picture = HeldPicture{};
    return TWRC_XFERDONE;
}

}  // namespace qm::ds
