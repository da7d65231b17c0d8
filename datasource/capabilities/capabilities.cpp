#include "datasource/capabilities/capabilities.h"

#include <span>

#include "datasource/capabilities/containers.h"

namespace qm::ds {
namespace {

// A capability whose value is chosen from a fixed list.
struct ListCapability {
    TW_UINT16 itemType;
    std::span<const TW_UINT16> values;
    TW_UINT32 defaultIndex;
};

constexpr TW_UINT16 kUnits[] = {TWUN_PIXELS};
constexpr TW_UINT16 kMechanisms[] = {TWSX_MEMORY, TWSX_FILE, TWSX_NATIVE};
constexpr TW_UINT16 kFileFormats[] = {TWFF_BMP, TWFF_JFIF};
constexpr TW_UINT16 kJpegPixelTypes[] = {TWPT_RGB};
constexpr TW_UINT16 kPixelFlavors[] = {TWPF_CHOCOLATE};
constexpr TW_UINT16 kPlanarChunky[] = {TWPC_CHUNKY};

constexpr ListCapability kUnitsList{TWTY_INT16, kUnits, 0};
constexpr ListCapability kMechanismList{TWTY_INT16, kMechanisms, 2};
constexpr ListCapability kFileFormatList{TWTY_INT16, kFileFormats, 0};
constexpr ListCapability kJpegPixelTypeList{TWTY_INT16, kJpegPixelTypes, 0};
constexpr ListCapability kPixelFlavorList{TWTY_INT16, kPixelFlavors, 0};
constexpr ListCapability kPlanarChunkyList{TWTY_INT16, kPlanarChunky, 0};

constexpr TW_UINT16 kSupportedCapabilities[] = {
    CAP_XFERCOUNT,     ICAP_COMPRESSION, ICAP_PIXELTYPE,   ICAP_UNITS,
    ICAP_XFERMECH,     CAP_SUPPORTEDCAPS, CAP_UICONTROLLABLE, ICAP_BITORDER,
    ICAP_PIXELFLAVOR,  ICAP_PLANARCHUNKY, ICAP_BITDEPTH,
};

// CurrentIndex of an enumeration whose current value is not in its list.
constexpr TW_UINT32 kNotInList = 255;

constexpr TW_UINT32 kFixedPixelType = TWPT_RGB;
constexpr TW_UINT32 kFixedBitDepth = 8;
constexpr TW_UINT32 kFixedCompression = TWCP_NONE;

TW_UINT16 answer(SourceRecord& record, TW_CAPABILITY& capability, TW_UINT16 conType, sys::HGLOBAL container)
{
    if (container == nullptr)
        return fail(record, TWCC_LOWMEMORY);
    capability.ConType = conType;
    capability.hContainer = container;
    // The application frees the answer, with free() as often as not.
    sys::GlobalHandOver(container);
    return TWRC_SUCCESS;
}

TW_UINT16 oneValue(SourceRecord& record, TW_CAPABILITY& capability, TW_UINT16 itemType, std::int32_t value)
{
    return answer(record, capability, TWON_ONEVALUE, makeOneValue(itemType, widenItem(itemType, value)));
}

TW_UINT16 enumeration(SourceRecord& record, TW_CAPABILITY& capability, const ListCapability& list,
                      TW_UINT16 current)
{
    TW_UINT32 currentIndex = kNotInList;
    for (std::size_t i = 0; i < list.values.size(); ++i) {
        if (list.values[i] == current) {
            currentIndex = TW_UINT32(i);
            break;
        }
    }
    return answer(record, capability, TWON_ENUMERATION,
                  makeEnumeration(list.itemType, list.values, currentIndex, list.defaultIndex));
}

TW_UINT16 badCap(SourceRecord& record)
{
    return fail(record, TWCC_BADCAP);
}

// List rule: a one value or the current item of an enumeration; a value
// outside the list is accepted and ignored.
TW_UINT16 setFromList(SourceRecord& record, const TW_CAPABILITY& capability, const ListCapability& list,
                      TW_UINT16& current)
{
    ContainerView view(capability.hContainer, capability.ConType);
    if (!view.readable())
        return fail(record, TWCC_BADVALUE);
    std::optional<std::int32_t> value;
    if (view.conType() == TWON_ONEVALUE)
        value = view.oneValueNumber();
    else if (view.conType() == TWON_ENUMERATION)
        value = view.enumerationCurrent();
    if (!value)
        return fail(record, TWCC_BADVALUE);
    const auto wanted = TW_UINT16(*value);
    for (TW_UINT16 allowed : list.values) {
        if (allowed == wanted) {
            current = allowed;
            break;
        }
    }
    return TWRC_SUCCESS;
}

// Fixed-value rule: the application may only confirm the value.
TW_UINT16 setFixed(SourceRecord& record, const TW_CAPABILITY& capability, TW_UINT32 fixed,
                   bool enumerationAccepted)
{
    ContainerView view(capability.hContainer, capability.ConType);
    if (!view.readable())
        return fail(record, TWCC_BADVALUE);
    if (view.conType() == TWON_ONEVALUE) {
        const auto item = view.oneValueItem();
        return item && *item == fixed ? TWRC_SUCCESS : fail(record, TWCC_BADVALUE);
    }
    if (view.conType() == TWON_ENUMERATION && enumerationAccepted) {
        const auto contains = view.enumerationContains(fixed);
        return contains && *contains ? TWRC_SUCCESS : fail(record, TWCC_BADVALUE);
    }
    return badCap(record);
}

// Transfer-count rule: the whole 32-bit Item of an integer or boolean one
// value becomes the count; no range applies.
TW_UINT16 setTransferCount(SourceRecord& record, const TW_CAPABILITY& capability)
{
    ContainerView view(capability.hContainer, capability.ConType);
    const auto item = view.oneValueItem();
    if (!item || view.itemType() > TWTY_BOOL)
        return fail(record, TWCC_BADVALUE);
    record.capabilities.transferCount = std::int32_t(*item);
    return TWRC_SUCCESS;
}

TW_UINT16 transferCount(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    switch (message) {
    case MSG_GET:
    case MSG_GETCURRENT:
        return oneValue(record, capability, TWTY_INT16, std::int16_t(record.capabilities.transferCount));
    case MSG_GETDEFAULT:
        return oneValue(record, capability, TWTY_INT16, -1);
    case MSG_SET:
        return setTransferCount(record, capability);
    default:
        return TWRC_SUCCESS;
    }
}

TW_UINT16 compression(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_SET)
        return setFixed(record, capability, kFixedCompression, false);
    if (message == MSG_RESET)
        return badCap(record);
    return oneValue(record, capability, TWTY_UINT16, TWCP_NONE);
}

TW_UINT16 pixelType(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_SET)
        return setFixed(record, capability, kFixedPixelType, true);
    if (message == MSG_RESET)
        return TWRC_SUCCESS;
    return oneValue(record, capability, TWTY_UINT16, TWPT_RGB);
}

TW_UINT16 bitDepth(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_SET)
        return setFixed(record, capability, kFixedBitDepth, true);
    if (message == MSG_RESET)
        return TWRC_SUCCESS;
    return oneValue(record, capability, TWTY_UINT16, kFixedBitDepth);
}

// A capability chosen from a list whose current and default values are
// reported as one values of the given item type.
TW_UINT16 listCapability(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability,
                         const ListCapability& list, TW_UINT16& current, TW_UINT16 singleItemType)
{
    switch (message) {
    case MSG_GET:
        return enumeration(record, capability, list, current);
    case MSG_GETCURRENT:
        return oneValue(record, capability, singleItemType, current);
    case MSG_GETDEFAULT:
        return oneValue(record, capability, singleItemType, list.values[list.defaultIndex]);
    case MSG_SET:
        return setFromList(record, capability, list, current);
    default:
        current = list.values[list.defaultIndex];
        return TWRC_SUCCESS;
    }
}

TW_UINT16 units(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return listCapability(record, message, capability, kUnitsList, record.capabilities.units, TWTY_INT16);
}

TW_UINT16 transferMechanism(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return listCapability(record, message, capability, kMechanismList, record.capabilities.transferMechanism,
                          TWTY_INT16);
}

TW_UINT16 jpegPixelType(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return listCapability(record, message, capability, kJpegPixelTypeList, record.capabilities.jpegPixelType,
                          TWTY_INT16);
}

TW_UINT16 imageFileFormat(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_GET)
        return enumeration(record, capability, kFileFormatList, record.capabilities.fileFormat);
    if (message == MSG_SET)
        return setFromList(record, capability, kFileFormatList, record.capabilities.fileFormat);
    return badCap(record);
}

// Pixel flavor and planar/chunky: reported, never set.
TW_UINT16 reportedList(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability,
                       const ListCapability& list, TW_UINT16 current)
{
    if (message == MSG_SET || message == MSG_RESET)
        return badCap(record);
    if (message == MSG_GET)
        return enumeration(record, capability, list, current);
    const TW_UINT16 value = message == MSG_GETCURRENT ? current : list.values[list.defaultIndex];
    return oneValue(record, capability, TWTY_UINT16, value);
}

TW_UINT16 pixelFlavor(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return reportedList(record, message, capability, kPixelFlavorList, record.capabilities.pixelFlavor);
}

TW_UINT16 planarChunky(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    return reportedList(record, message, capability, kPlanarChunkyList, record.capabilities.planarChunky);
}

TW_UINT16 supportedCapabilities(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_SET || message == MSG_RESET)
        return badCap(record);
    return answer(record, capability, TWON_ARRAY, makeArray(TWTY_UINT16, kSupportedCapabilities));
}

// Read-only values that every message, SET and RESET included, reports.
TW_UINT16 uiControllable(SourceRecord& record, TW_UINT16, TW_CAPABILITY& capability)
{
    return oneValue(record, capability, TWTY_UINT16, 0);
}

TW_UINT16 physicalWidth(SourceRecord& record, TW_UINT16, TW_CAPABILITY& capability)
{
    const bool pixels = record.capabilities.units == TWUN_PIXELS;
    return oneValue(record, capability, TWTY_UINT16, pixels ? record.transfer.width : 0);
}

TW_UINT16 physicalHeight(SourceRecord& record, TW_UINT16, TW_CAPABILITY& capability)
{
    const bool pixels = record.capabilities.units == TWUN_PIXELS;
    return oneValue(record, capability, TWTY_UINT16, pixels ? record.transfer.height : 0);
}

TW_UINT16 bitOrder(SourceRecord& record, TW_UINT16 message, TW_CAPABILITY& capability)
{
    if (message == MSG_SET || message == MSG_RESET)
        return badCap(record);
    return oneValue(record, capability, TWTY_UINT16, TWBO_MSBFIRST);
}

TW_UINT16 resolution(SourceRecord& record, TW_UINT16, TW_CAPABILITY&)
{
    return badCap(record);
}

using CapabilityHandler = TW_UINT16 (*)(SourceRecord&, TW_UINT16 message, TW_CAPABILITY&);

struct CapabilityEntry {
    TW_UINT16 cap;
    CapabilityHandler handler;
};

constexpr CapabilityEntry kCapabilities[] = {
    {CAP_XFERCOUNT, transferCount},
    {ICAP_COMPRESSION, compression},
    {ICAP_PIXELTYPE, pixelType},
    {ICAP_UNITS, units},
    {ICAP_XFERMECH, transferMechanism},
    {CAP_SUPPORTEDCAPS, supportedCapabilities},
    {CAP_UICONTROLLABLE, uiControllable},
    {ICAP_IMAGEFILEFORMAT, imageFileFormat},
    {ICAP_PHYSICALWIDTH, physicalWidth},
    {ICAP_PHYSICALHEIGHT, physicalHeight},
    {ICAP_XRESOLUTION, resolution},
    {ICAP_YRESOLUTION, resolution},
    {ICAP_BITORDER, bitOrder},
    {ICAP_PIXELFLAVOR, pixelFlavor},
    {ICAP_PLANARCHUNKY, planarChunky},
    {ICAP_JPEGPIXELTYPE, jpegPixelType},
    {ICAP_BITDEPTH, bitDepth},
};

bool isCapabilityMessage(TW_UINT16 message)
{
    return message == MSG_GET || message == MSG_GETCURRENT || message == MSG_GETDEFAULT || message == MSG_SET ||
           message == MSG_RESET;
}

}  // namespace

TW_UINT16 handleCapability(SourceRecord& record, const Triplet& call)
{
    if (!isCapabilityMessage(call.message))
        return fail(record, TWCC_BADPROTOCOL);
    if (call.data == nullptr)
        return fail(record, TWCC_BADVALUE);
    auto& capability = *static_cast<TW_CAPABILITY*>(call.data);
    for (const CapabilityEntry& entry : kCapabilities) {
        if (entry.cap == capability.Cap)
            return entry.handler(record, call.message, capability);
    }
    return badCap(record);
}

void resetCapabilitiesOnOpen(CapabilityValues& values)
{
    values.transferMechanism = TWSX_NATIVE;
    values.fileFormat = TWFF_BMP;
    values.units = TWUN_PIXELS;
    values.pixelFlavor = TWPF_CHOCOLATE;
    values.planarChunky = TWPC_CHUNKY;
}

}  // namespace qm::ds
