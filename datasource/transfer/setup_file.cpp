// DG_CONTROL / DAT_SETUPFILEXFER: the file and format of file transfers.
#include <algorithm>
#include <cstring>

#include "datasource/strings/names.h"
#include "datasource/transfer/file_access.h"
#include "datasource/transfer/transfer_handlers.h"

namespace qm::ds {
namespace {

void storeName(TW_STR255& target, const std::string& name)
{
    const std::size_t length = std::min(name.size(), sizeof(TW_STR255) - 1);
    std::memset(target, 0, sizeof(TW_STR255));
    std::memcpy(target, name.data(), length);
}

// The application's name, which need not be terminated within its field.
std::string readName(const TW_STR255& source)
{
    return std::string(source, strnlen(source, sizeof(TW_STR255) - 1));
}

}  // namespace

TW_UINT16 handleSetupFileTransfer(SourceRecord& record, const Triplet& call)
{
    if (!isSessionOpen(record.state))
        return fail(record, TWCC_SEQERROR);
    if (call.message != MSG_GET && call.message != MSG_GETDEFAULT && call.message != MSG_SET &&
        call.message != MSG_RESET)
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);

    auto* setup = static_cast<TW_SETUPFILEXFER*>(call.data);
    switch (call.message) {
    case MSG_GET:
        storeName(setup->FileName, record.transfer.fileName);
        setup->Format = record.capabilities.fileFormat;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        storeName(setup->FileName, kDefaultTransferFile);
        setup->Format = TWFF_BMP;
        return TWRC_SUCCESS;
    case MSG_RESET:
        record.capabilities.fileFormat = TWFF_BMP;
        record.transfer.fileName = kDefaultTransferFile;
        storeName(setup->FileName, record.transfer.fileName);
        setup->Format = TWFF_BMP;
        return TWRC_SUCCESS;
    default: {
        if (setup->Format != TWFF_BMP && setup->Format != TWFF_JFIF)
            return fail(record, TWCC_BADVALUE);
        std::string name = readName(setup->FileName);
        proveWritable(name, TWCC_BADVALUE);
        record.capabilities.fileFormat = setup->Format;
        record.transfer.fileName = std::move(name);
        return TWRC_SUCCESS;
    }
    }
}

}  // namespace qm::ds
