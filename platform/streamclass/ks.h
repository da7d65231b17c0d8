// Kernel streaming: identifiers, data formats and ranges, stream headers,
// property sets and their published ranges. Records without pointers keep
// the platform's sizes (static_asserted); the others use this host's
// pointer size.
#pragma once

#include "platform/kernel/kernel.h"

namespace qm::streamclass {

using namespace qm::kernel;

union KSIDENTIFIER {
    struct {
        GUID Set;
        ULONG Id;
        ULONG Flags;
    };
    LONGLONG Alignment;
};
static_assert(sizeof(KSIDENTIFIER) == 24);
using KSPROPERTY = KSIDENTIFIER;
using PKSPROPERTY = KSPROPERTY*;
using KSPIN_MEDIUM = KSIDENTIFIER;
using KSEVENT = KSIDENTIFIER;

inline constexpr ULONG KSPROPERTY_TYPE_GET = 0x00000001;
inline constexpr ULONG KSPROPERTY_TYPE_SET = 0x00000002;
inline constexpr ULONG KSPROPERTY_TYPE_BASICSUPPORT = 0x00000200;

union KSDATAFORMAT {
    struct {
        ULONG FormatSize;
        ULONG Flags;
        ULONG SampleSize;
        ULONG Reserved;
        GUID MajorFormat;
        GUID SubFormat;
        GUID Specifier;
    };
    LONGLONG Alignment;
};
static_assert(sizeof(KSDATAFORMAT) == 64);
using PKSDATAFORMAT = KSDATAFORMAT*;
using KSDATARANGE = KSDATAFORMAT;
using PKSDATARANGE = KSDATARANGE*;

enum KSSTATE { KSSTATE_STOP = 0, KSSTATE_ACQUIRE = 1, KSSTATE_PAUSE = 2, KSSTATE_RUN = 3 };
using PKSSTATE = KSSTATE*;

enum KSPIN_DATAFLOW { KSPIN_DATAFLOW_IN = 1, KSPIN_DATAFLOW_OUT = 2 };

struct KSTIME {
    LONGLONG Time;
    ULONG Numerator;
    ULONG Denominator;
};

struct KSSTREAM_HEADER {
    ULONG Size;  // this header and the extended header behind it
    ULONG TypeSpecificFlags;
    KSTIME PresentationTime;
    LONGLONG Duration;
    ULONG FrameExtent;
    ULONG DataUsed;
    PVOID Data;
    ULONG OptionsFlags;
    ULONG Reserved;
};
using PKSSTREAM_HEADER = KSSTREAM_HEADER*;

inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_SPLICEPOINT = 0x00000001;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_PREROLL = 0x00000002;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_DATADISCONTINUITY = 0x00000004;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_TIMEVALID = 0x00000010;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_TIMEDISCONTINUITY = 0x00000040;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_DURATIONVALID = 0x00000100;
inline constexpr ULONG KSSTREAM_HEADER_OPTIONSF_ENDOFSTREAM = 0x00000200;

struct KSALLOCATOR_FRAMING {
    union {
        ULONG OptionsFlags;
        ULONG RequirementsFlags;
    };
    ULONG PoolType;
    ULONG Frames;
    ULONG FrameSize;
    ULONG FileAlignment;
    ULONG Reserved;
};
static_assert(sizeof(KSALLOCATOR_FRAMING) == 24);

struct KSMULTIPLE_ITEM {
    ULONG Size;
    ULONG Count;
};

struct KSTOPOLOGY_CONNECTION {
    ULONG FromNode;
    ULONG FromNodePin;
    ULONG ToNode;
    ULONG ToNodePin;
};

struct KSTOPOLOGY {
    ULONG CategoriesCount;
    const GUID* Categories;
    ULONG TopologyNodesCount;
    const GUID* TopologyNodes;
    ULONG TopologyConnectionsCount;
    const KSTOPOLOGY_CONNECTION* TopologyConnections;
    const GUID* TopologyNodesNames;
    ULONG Reserved;
};
using PKSTOPOLOGY = KSTOPOLOGY*;

// Published ranges and defaults of a property.
struct KSPROPERTY_MEMBERSHEADER {
    ULONG MembersFlags;
    ULONG MembersSize;
    ULONG MembersCount;
    ULONG Flags;
};
inline constexpr ULONG KSPROPERTY_MEMBER_RANGES = 0x00000001;
inline constexpr ULONG KSPROPERTY_MEMBER_STEPPEDRANGES = 0x00000002;
inline constexpr ULONG KSPROPERTY_MEMBER_VALUES = 0x00000003;
inline constexpr ULONG KSPROPERTY_MEMBER_FLAG_DEFAULT = 0x00000001;

struct KSPROPERTY_BOUNDS_LONG {
    union {
        struct {
            LONG SignedMinimum;
            LONG SignedMaximum;
        };
        struct {
            ULONG UnsignedMinimum;
            ULONG UnsignedMaximum;
        };
    };
};

struct KSPROPERTY_STEPPING_LONG {
    ULONG SteppingDelta;
    ULONG Reserved;
    KSPROPERTY_BOUNDS_LONG Bounds;
};

struct KSPROPERTY_MEMBERSLIST {
    KSPROPERTY_MEMBERSHEADER MembersHeader;
    const VOID* Members;
};

struct KSPROPERTY_VALUES {
    KSIDENTIFIER PropTypeSet;
    ULONG MembersListCount;
    const KSPROPERTY_MEMBERSLIST* MembersList;
};

using PFNKSHANDLER = NTSTATUS (*)(PIRP irp, PKSPROPERTY property, PVOID data);

// Stream class minidrivers only say whether get and set are supported.
struct KSPROPERTY_ITEM {
    ULONG PropertyId;
    BOOLEAN GetSupported;
    ULONG MinProperty;
    ULONG MinData;
    BOOLEAN SetSupported;
    const KSPROPERTY_VALUES* Values;
    ULONG RelationsCount;
    const KSPROPERTY* Relations;
    PFNKSHANDLER SupportHandler;
    ULONG SerializedSize;
};

struct KSPROPERTY_SET {
    const GUID* Set;
    ULONG PropertiesCount;
    const KSPROPERTY_ITEM* PropertyItem;
    ULONG FastIoCount;
    const VOID* FastIoTable;
};
using PKSPROPERTY_SET = KSPROPERTY_SET*;

constexpr KSPROPERTY_ITEM DEFINE_KSPROPERTY_ITEM(ULONG propertyId, BOOLEAN getSupported, ULONG minProperty,
                                                 ULONG minData, BOOLEAN setSupported,
                                                 const KSPROPERTY_VALUES* values = nullptr, ULONG relationsCount = 0,
                                                 const KSPROPERTY* relations = nullptr,
                                                 PFNKSHANDLER supportHandler = nullptr, ULONG serializedSize = 0)
{
    return {propertyId, getSupported, minProperty, minData, setSupported, values, relationsCount, relations,
            supportHandler, serializedSize};
}

constexpr KSPROPERTY_SET DEFINE_KSPROPERTY_SET(const GUID* set, ULONG propertiesCount,
                                               const KSPROPERTY_ITEM* propertyItem, ULONG fastIoCount = 0,
                                               const VOID* fastIoTable = nullptr)
{
    return {set, propertiesCount, propertyItem, fastIoCount, fastIoTable};
}

// Events and methods are not offered; minidrivers leave these empty.
struct KSEVENT_SET;
struct KSMETHOD_SET;
using PKSEVENT_SET = KSEVENT_SET*;
using PKSMETHOD_SET = KSMETHOD_SET*;

inline constexpr LONG VT_I4 = 3;
inline constexpr LONG VT_UI4 = 19;

inline constexpr GUID KSPROPTYPESETID_General{0x97E99BA0, 0xBDEA, 0x11CF,
                                             {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSMEDIUMSETID_Standard{0x4747B320, 0x62CE, 0x11CF,
                                            {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSPROPSETID_Connection{0x1D58C920, 0xAC9B, 0x11CF,
                                            {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr GUID KSCATEGORY_CAPTURE{0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr GUID KSCATEGORY_VIDEO{0x6994AD05, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr GUID KSDATAFORMAT_SPECIFIER_NONE{0x0F6417D6, 0xC318, 0x11D0,
                                                 {0xA4, 0x3F, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

enum KSPROPERTY_CONNECTION : ULONG {
    KSPROPERTY_CONNECTION_STATE = 0,
    KSPROPERTY_CONNECTION_PRIORITY = 1,
    KSPROPERTY_CONNECTION_DATAFORMAT = 2,
    KSPROPERTY_CONNECTION_ALLOCATORFRAMING = 3,
    KSPROPERTY_CONNECTION_PROPOSEDATAFORMAT = 4,
};

inline constexpr ULONG KSALLOCATOR_REQUIREMENTF_INPLACE_MODIFIER = 0x00000001;
inline constexpr ULONG KSALLOCATOR_REQUIREMENTF_SYSTEM_MEMORY = 0x00000002;
inline constexpr ULONG KSALLOCATOR_REQUIREMENTF_FRAME_INTEGRITY = 0x00000004;
inline constexpr ULONG KSALLOCATOR_REQUIREMENTF_MUST_ALLOCATE = 0x00000008;
inline constexpr ULONG KSALLOCATOR_REQUIREMENTF_PREFERENCES_ONLY = 0x80000000;

}  // namespace qm::streamclass
