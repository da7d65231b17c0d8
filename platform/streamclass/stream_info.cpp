// Reading the stream information a minidriver hands back: every count and
// size it gives is checked before anything behind it is read.
#include <cstring>

#include "platform/streamclass/detail/adapter_state.h"

namespace qm::streamclass::detail {

namespace {

inline constexpr ULONG kMostStreams = 64;
inline constexpr ULONG kMostFormats = 1024;
inline constexpr ULONG kMostPropertySets = 64;
inline constexpr ULONG kMostProperties = 1024;
inline constexpr ULONG kMostMemberLists = 16;
inline constexpr ULONG kLargestFormat = 65536;
inline constexpr ULONG kMostCategories = 64;

std::optional<PropertySetDescription> describeSet(const KSPROPERTY_SET& set)
{
    if (set.Set == nullptr || set.PropertiesCount > kMostProperties ||
        (set.PropertiesCount > 0 && set.PropertyItem == nullptr))
        return std::nullopt;
    PropertySetDescription description;
    description.set = *set.Set;
    for (ULONG i = 0; i < set.PropertiesCount; ++i) {
        std::optional<PropertyDescription> property = describeProperty(set.PropertyItem[i]);
        if (!property)
            return std::nullopt;
        description.properties.push_back(*property);
    }
    return description;
}

bool describeSets(const KSPROPERTY_SET* sets, ULONG count, std::vector<PropertySetDescription>& out)
{
    if (count > kMostPropertySets || (count > 0 && sets == nullptr))
        return false;
    for (ULONG i = 0; i < count; ++i) {
        std::optional<PropertySetDescription> set = describeSet(sets[i]);
        if (!set)
            return false;
        out.push_back(std::move(*set));
    }
    return true;
}

bool describeStream(const HW_STREAM_INFORMATION& info, ULONG number, StreamDescription& stream)
{
    stream.number = number;
    stream.possibleInstances = info.NumberOfPossibleInstances;
    stream.dataFlow = info.DataFlow;
    stream.dataAccessible = info.DataAccessible != 0;
    stream.category = info.Category != nullptr ? *info.Category : GUID{};
    stream.name = info.Name != nullptr ? *info.Name : GUID{};
    stream.mediumsCount = info.MediumsCount;
    stream.bridge = info.BridgeStream != 0;
    if (info.NumberOfFormatArrayEntries > kMostFormats ||
        (info.NumberOfFormatArrayEntries > 0 && info.StreamFormatsArray == nullptr))
        return false;
    for (ULONG i = 0; i < info.NumberOfFormatArrayEntries; ++i) {
        const KSDATAFORMAT* format = info.StreamFormatsArray[i];
        if (format == nullptr || format->FormatSize < sizeof(KSDATAFORMAT) || format->FormatSize > kLargestFormat)
            return false;
        const auto* bytes = reinterpret_cast<const UCHAR*>(format);
        stream.formats.emplace_back(bytes, bytes + format->FormatSize);
    }
    return describeSets(info.StreamPropertiesArray, info.NumStreamPropArrayEntries, stream.propertySets);
}

}  // namespace

std::optional<PropertyDescription> describeProperty(const KSPROPERTY_ITEM& item)
{
    PropertyDescription property;
    property.id = item.PropertyId;
    property.get = item.GetSupported != 0;
    property.set = item.SetSupported != 0;
    property.minProperty = item.MinProperty;
    property.minData = item.MinData;
    const KSPROPERTY_VALUES* values = item.Values;
    if (values == nullptr)
        return property;
    if (values->MembersListCount > kMostMemberLists || (values->MembersListCount > 0 && values->MembersList == nullptr))
        return std::nullopt;
    for (ULONG i = 0; i < values->MembersListCount; ++i) {
        const KSPROPERTY_MEMBERSLIST& list = values->MembersList[i];
        const KSPROPERTY_MEMBERSHEADER& header = list.MembersHeader;
        if (list.Members == nullptr || header.MembersCount == 0)
            continue;
        if ((header.MembersFlags == KSPROPERTY_MEMBER_STEPPEDRANGES ||
             header.MembersFlags == KSPROPERTY_MEMBER_RANGES) &&
            header.MembersSize >= sizeof(KSPROPERTY_STEPPING_LONG)) {
            KSPROPERTY_STEPPING_LONG stepping;
            std::memcpy(&stepping, list.Members, sizeof stepping);
            property.range = PropertyDescription::Range{stepping.Bounds.SignedMinimum, stepping.Bounds.SignedMaximum,
                                                        stepping.SteppingDelta};
        } else if (header.MembersFlags == KSPROPERTY_MEMBER_VALUES &&
                   (header.Flags & KSPROPERTY_MEMBER_FLAG_DEFAULT) != 0 && header.MembersSize >= sizeof(LONG)) {
            LONG value;
            std::memcpy(&value, list.Members, sizeof value);
            property.defaultValue = value;
        }
    }
    return property;
}

bool parseStreamInformation(const AlignedBuffer& buffer, DeviceDescription& description)
{
    description = {};
    if (buffer.size() < sizeof(HW_STREAM_HEADER))
        return false;
    const HW_STREAM_HEADER& header = *buffer.as<HW_STREAM_HEADER>();
    const ULONG streams = header.NumberOfStreams;
    const ULONG stride = header.SizeOfHwStreamInformation;
    if (streams > kMostStreams || (streams > 0 && stride < sizeof(HW_STREAM_INFORMATION)))
        return false;
    const std::size_t first = offsetof(HW_STREAM_DESCRIPTOR, StreamInfo);
    if (first + std::size_t(streams) * stride > buffer.size())
        return false;
    if (!describeSets(header.DevicePropertiesArray, header.NumDevPropArrayEntries, description.propertySets))
        return false;
    if (const KSTOPOLOGY* topology = header.Topology) {
        if (topology->CategoriesCount > kMostCategories ||
            (topology->CategoriesCount > 0 && topology->Categories == nullptr))
            return false;
        description.categories.assign(topology->Categories, topology->Categories + topology->CategoriesCount);
    }
    for (ULONG i = 0; i < streams; ++i) {
        HW_STREAM_INFORMATION info;
        std::memcpy(&info, buffer.data() + first + std::size_t(i) * stride, sizeof info);
        StreamDescription stream;
        if (!describeStream(info, i, stream))
            return false;
        description.streams.push_back(std::move(stream));
    }
    return true;
}

}  // namespace qm::streamclass::detail
