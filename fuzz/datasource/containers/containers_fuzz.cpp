// Fuzzes the capability containers an application hands the data source.
// The first byte picks the container type the call claims (one value,
// enumeration, array, range or another number); the rest is the block. Every
// capability is set with it, then asked for, as an application negotiates;
// the answers are freed as applications free them.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "datasource/capabilities/capabilities.h"
#include "platform/system/global_memory.h"

namespace {

using namespace qm::ds;
using namespace qm::twain;

constexpr TW_UINT16 kCapabilities[] = {
    CAP_XFERCOUNT,       ICAP_COMPRESSION, ICAP_PIXELTYPE,  ICAP_UNITS,        ICAP_XFERMECH,     CAP_SUPPORTEDCAPS,
    CAP_UICONTROLLABLE,  ICAP_IMAGEFILEFORMAT, ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT, ICAP_XRESOLUTION,
    ICAP_BITORDER,       ICAP_PIXELFLAVOR, ICAP_PLANARCHUNKY, ICAP_JPEGPIXELTYPE, ICAP_BITDEPTH, 0x1234,
};
constexpr TW_UINT16 kConTypes[] = {TWON_ONEVALUE, TWON_ENUMERATION, TWON_ARRAY, TWON_RANGE};

TW_UINT16 call(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return handleCapability(record, Triplet{nullptr, DG_CONTROL, DAT_CAPABILITY, message, &capability});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const TW_UINT16 conType = data[0] < 4 * 16 ? kConTypes[data[0] % 4] : TW_UINT16(data[0]);
    SourceRecord record;
    for (TW_UINT16 cap : kCapabilities) {
        // The application's own block, exactly as long as the input.
        qm::sys::HGLOBAL block = qm::sys::GlobalAlloc(qm::sys::GHND, size - 1);
        if (block == nullptr)
            std::abort();
        if (size > 1)
            std::memcpy(qm::sys::GlobalLock(block), data + 1, size - 1);
        qm::sys::GlobalUnlock(block);
        TW_CAPABILITY set{cap, conType, block};
        call(record, MSG_SET, set);
        if (set.hContainer != block)  // read-only values answer with their report
            qm::sys::GlobalFree(set.hContainer);
        qm::sys::GlobalFree(block);

        for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            TW_CAPABILITY get{cap, TWON_DONTCARE16, nullptr};
            if (call(record, message, get) == TWRC_SUCCESS && get.hContainer == nullptr)
                std::abort();
            if (get.hContainer != nullptr)
                std::free(get.hContainer);  // as an application does
        }
    }
    releaseSourceRecord(record);
    return 0;
}
