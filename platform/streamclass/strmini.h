// The stream class's minidriver interface: the request block and its codes,
// the initialisation data, stream and device descriptions, and the calls a
// minidriver makes back into the stream class.
#pragma once

#include "platform/streamclass/ks.h"

namespace qm::streamclass {

enum DEVICE_POWER_STATE {
    PowerDeviceUnspecified = 0,
    PowerDeviceD0 = 1,
    PowerDeviceD1 = 2,
    PowerDeviceD2 = 3,
    PowerDeviceD3 = 4,
    PowerDeviceMaximum = 5,
};

enum SRB_COMMAND : ULONG {
    // Stream requests.
    SRB_READ_DATA = 0,
    SRB_WRITE_DATA = 1,
    SRB_GET_STREAM_STATE = 2,
    SRB_SET_STREAM_STATE = 3,
    SRB_SET_STREAM_PROPERTY = 4,
    SRB_GET_STREAM_PROPERTY = 5,
    SRB_OPEN_MASTER_CLOCK = 6,
    SRB_INDICATE_MASTER_CLOCK = 7,
    SRB_UNKNOWN_STREAM_COMMAND = 8,
    SRB_SET_STREAM_RATE = 9,
    SRB_PROPOSE_DATA_FORMAT = 10,
    SRB_CLOSE_MASTER_CLOCK = 11,
    SRB_PROPOSE_STREAM_RATE = 12,
    SRB_SET_DATA_FORMAT = 13,
    SRB_GET_DATA_FORMAT = 14,
    SRB_BEGIN_FLUSH = 15,
    SRB_END_FLUSH = 16,
    // Device requests.
    SRB_GET_STREAM_INFO = 0x100,
    SRB_OPEN_STREAM = 0x101,
    SRB_CLOSE_STREAM = 0x102,
    SRB_OPEN_DEVICE_INSTANCE = 0x103,
    SRB_CLOSE_DEVICE_INSTANCE = 0x104,
    SRB_GET_DEVICE_PROPERTY = 0x105,
    SRB_SET_DEVICE_PROPERTY = 0x106,
    SRB_INITIALIZE_DEVICE = 0x107,
    SRB_CHANGE_POWER_STATE = 0x108,
    SRB_UNINITIALIZE_DEVICE = 0x109,
    SRB_UNKNOWN_DEVICE_COMMAND = 0x10A,
    SRB_PAGING_OUT_DRIVER = 0x10B,
    SRB_GET_DATA_INTERSECTION = 0x10C,
    SRB_INITIALIZATION_COMPLETE = 0x10D,
    SRB_SURPRISE_REMOVAL = 0x10E,
};

inline constexpr ULONG SRB_HW_FLAGS_DATA_TRANSFER = 0x00000001;
inline constexpr ULONG SRB_HW_FLAGS_STREAM_REQUEST = 0x00000002;

struct HW_STREAM_REQUEST_BLOCK;
struct HW_STREAM_OBJECT;
struct HW_TIME_CONTEXT;
using PHW_STREAM_REQUEST_BLOCK = HW_STREAM_REQUEST_BLOCK*;
using PHW_STREAM_OBJECT = HW_STREAM_OBJECT*;
using PHW_TIME_CONTEXT = HW_TIME_CONTEXT*;

using PHW_RECEIVE_DEVICE_SRB = void (*)(PHW_STREAM_REQUEST_BLOCK srb);
using PHW_CANCEL_SRB = void (*)(PHW_STREAM_REQUEST_BLOCK srb);
using PHW_REQUEST_TIMEOUT_HANDLER = void (*)(PHW_STREAM_REQUEST_BLOCK srb);
using PHW_RECEIVE_STREAM_DATA_SRB = void (*)(PHW_STREAM_REQUEST_BLOCK srb);
using PHW_RECEIVE_STREAM_CONTROL_SRB = void (*)(PHW_STREAM_REQUEST_BLOCK srb);
using PHW_INTERRUPT = BOOLEAN (*)(PVOID deviceExtension);
using PHW_CLOCK_FUNCTION = void (*)(PHW_TIME_CONTEXT timeContext);
using PHW_EVENT_ROUTINE = NTSTATUS (*)(PVOID eventDescriptor);

enum TIME_FUNCTION { TIME_GET_STREAM_TIME = 0, TIME_READ_ONBOARD_CLOCK = 1, TIME_SET_ONBOARD_CLOCK = 2 };

struct HW_TIME_CONTEXT {
    PVOID HwDeviceExtension;
    PHW_STREAM_OBJECT HwStreamObject;
    TIME_FUNCTION Function;
    ULONGLONG Time;
    ULONGLONG SystemTime;
};

struct HW_CLOCK_OBJECT {
    PHW_CLOCK_FUNCTION HwClockFunction;
    ULONG ClockSupportFlags;
    ULONG Reserved[2];
};

struct HW_STREAM_OBJECT {
    ULONG SizeOfThisPacket;
    ULONG StreamNumber;
    PVOID HwStreamExtension;
    PHW_RECEIVE_STREAM_DATA_SRB ReceiveDataPacket;
    PHW_RECEIVE_STREAM_CONTROL_SRB ReceiveControlPacket;
    HW_CLOCK_OBJECT HwClockObject;
    BOOLEAN Dma;
    BOOLEAN Pio;
    PVOID HwDeviceExtension;
    ULONG StreamHeaderMediaSpecific;  // bytes of extended header behind each stream header
    ULONG StreamHeaderWorkspace;
    BOOLEAN Allocator;
    PHW_EVENT_ROUTINE HwEventRoutine;
    ULONG Reserved[2];
};

struct HW_STREAM_HEADER {
    ULONG NumberOfStreams;
    ULONG SizeOfHwStreamInformation;
    ULONG NumDevPropArrayEntries;
    const KSPROPERTY_SET* DevicePropertiesArray;
    ULONG NumDevEventArrayEntries;
    PKSEVENT_SET DeviceEventsArray;
    const KSTOPOLOGY* Topology;
    PHW_EVENT_ROUTINE DeviceEventRoutine;
    LONG NumDevMethodArrayEntries;
    PKSMETHOD_SET DeviceMethodsArray;
};

struct HW_STREAM_INFORMATION {
    ULONG NumberOfPossibleInstances;
    KSPIN_DATAFLOW DataFlow;
    BOOLEAN DataAccessible;
    ULONG NumberOfFormatArrayEntries;
    PKSDATAFORMAT* StreamFormatsArray;
    PVOID ClassReserved[4];
    ULONG NumStreamPropArrayEntries;
    const KSPROPERTY_SET* StreamPropertiesArray;
    ULONG NumStreamEventArrayEntries;
    PKSEVENT_SET StreamEventsArray;
    const GUID* Category;
    const GUID* Name;
    ULONG MediumsCount;
    const KSPIN_MEDIUM* Mediums;
    BOOLEAN BridgeStream;
    ULONG Reserved[2];
};

// The header followed by one information record per stream.
struct HW_STREAM_DESCRIPTOR {
    HW_STREAM_HEADER StreamHeader;
    HW_STREAM_INFORMATION StreamInfo;
};
using PHW_STREAM_DESCRIPTOR = HW_STREAM_DESCRIPTOR*;

struct STREAM_PROPERTY_DESCRIPTOR {
    PKSPROPERTY Property;
    ULONG PropertySetID;  // index of the set in the published array
    PVOID PropertyInfo;   // the value buffer
    ULONG PropertyInputSize;
    ULONG PropertyOutputSize;
};
using PSTREAM_PROPERTY_DESCRIPTOR = STREAM_PROPERTY_DESCRIPTOR*;

struct STREAM_DATA_INTERSECT_INFO {
    ULONG StreamNumber;
    PKSDATARANGE DataRange;
    PVOID DataFormatBuffer;
    ULONG SizeOfDataFormatBuffer;
};
using PSTREAM_DATA_INTERSECT_INFO = STREAM_DATA_INTERSECT_INFO*;

enum INTERFACE_TYPE { InterfaceTypeUndefined = -1, Internal = 0, PNPBus = 15 };
enum KINTERRUPT_MODE { LevelSensitive = 0, Latched = 1 };

struct ACCESS_RANGE {
    LARGE_INTEGER RangeStart;
    ULONG RangeLength;
    BOOLEAN RangeInMemory;
};

struct PORT_CONFIGURATION_INFORMATION {
    ULONG SizeOfThisPacket;
    PVOID HwDeviceExtension;
    PDEVICE_OBJECT ClassDeviceObject;
    PDEVICE_OBJECT PhysicalDeviceObject;  // the device below the class device
    ULONG SystemIoBusNumber;
    INTERFACE_TYPE AdapterInterfaceType;
    ULONG BusInterruptLevel;
    ULONG BusInterruptVector;
    KINTERRUPT_MODE InterruptMode;
    ULONG DmaChannel;
    ULONG NumberOfAccessRanges;
    ACCESS_RANGE* AccessRanges;
    ULONG StreamDescriptorSize;  // set by the minidriver at initialisation
    PIRP Irp;
    PVOID InterruptObject;
    PVOID DmaAdapterObject;
    PDEVICE_OBJECT RealPhysicalDeviceObject;
    ULONG Reserved[1];
};
using PPORT_CONFIGURATION_INFORMATION = PORT_CONFIGURATION_INFORMATION*;

struct HW_STREAM_REQUEST_BLOCK {
    ULONG SizeOfThisPacket;
    SRB_COMMAND Command;
    NTSTATUS Status;
    PHW_STREAM_OBJECT StreamObject;
    PVOID HwDeviceExtension;
    PVOID SRBExtension;
    union {
        PKSSTREAM_HEADER DataBufferArray;
        PHW_STREAM_DESCRIPTOR StreamBuffer;
        KSSTATE StreamState;
        PSTREAM_PROPERTY_DESCRIPTOR PropertyInfo;
        PKSDATAFORMAT OpenFormat;
        PPORT_CONFIGURATION_INFORMATION ConfigInfo;
        HANDLE MasterClockHandle;
        DEVICE_POWER_STATE DeviceState;
        PSTREAM_DATA_INTERSECT_INFO IntersectInfo;
        PVOID MethodInfo;
        LONG FilterTypeIndex;
        BOOLEAN Wakeup;
    } CommandData;
    ULONG NumberOfBuffers;
    ULONG TimeoutCounter;   // seconds left; 0: no time-out
    ULONG TimeoutOriginal;
    HW_STREAM_REQUEST_BLOCK* NextSRB;
    PIRP Irp;
    ULONG Flags;
    PVOID HwInstanceExtension;
    union {
        ULONG NumberOfBytesToTransfer;
        ULONG ActualBytesTransferred;
    };
    PVOID ScatterGatherBuffer;
    ULONG NumberOfPhysicalPages;
    ULONG NumberOfScatterGatherElements;
    ULONG Reserved[1];
};

struct HW_INITIALIZATION_DATA {
    ULONG HwInitializationDataSize;
    PHW_INTERRUPT HwInterrupt;
    PHW_RECEIVE_DEVICE_SRB HwReceivePacket;
    PHW_CANCEL_SRB HwCancelPacket;
    PHW_REQUEST_TIMEOUT_HANDLER HwRequestTimeoutHandler;
    ULONG DeviceExtensionSize;
    ULONG PerRequestExtensionSize;
    ULONG PerStreamExtensionSize;
    ULONG FilterInstanceExtensionSize;
    BOOLEAN BusMasterDMA;
    BOOLEAN Dma24BitAddresses;
    ULONG BufferAlignment;
    BOOLEAN TurnOffSynchronization;  // FALSE: calls are serialised at dispatch level
    ULONG DmaBufferSize;
    ULONG NumNameExtensions;
    PWCHAR* NameExtensionArray;
    ULONG Reserved[2];
};
using PHW_INITIALIZATION_DATA = HW_INITIALIZATION_DATA*;

enum STREAM_MINIDRIVER_DEVICE_NOTIFICATION_TYPE {
    ReadyForNextDeviceRequest = 0,
    DeviceRequestComplete = 1,
    SignalMultipleDeviceEvents = 2,
    SignalDeviceEvent = 3,
    DeleteDeviceEvent = 4,
    SignalMultipleDeviceInstanceEvents = 5,
};

enum STREAM_MINIDRIVER_STREAM_NOTIFICATION_TYPE {
    ReadyForNextStreamDataRequest = 0,
    ReadyForNextStreamControlRequest = 1,
    HardwareStarved = 2,
    StreamRequestComplete = 3,
    SignalMultipleStreamEvents = 4,
    SignalStreamEvent = 5,
    DeleteStreamEvent = 6,
};

enum STREAM_DEBUG_LEVEL { DebugLevelFatal = 0, DebugLevelError, DebugLevelWarning, DebugLevelInfo, DebugLevelTrace,
                          DebugLevelVerbose };

// Called from DriverEntry with the driver object and registry path the
// minidriver was given.
NTSTATUS StreamClassRegisterAdapter(PVOID argument1, PVOID argument2, PHW_INITIALIZATION_DATA hwInitializationData);
// DeviceRequestComplete takes the request block as its third argument.
void StreamClassDeviceNotification(STREAM_MINIDRIVER_DEVICE_NOTIFICATION_TYPE notificationType,
                                   PVOID hwDeviceExtension, ...);
// StreamRequestComplete takes the request block as its third argument.
void StreamClassStreamNotification(STREAM_MINIDRIVER_STREAM_NOTIFICATION_TYPE notificationType,
                                   PHW_STREAM_OBJECT streamObject, ...);
// Reads the master clock now: Time is its stream time, SystemTime the
// kernel's interrupt time. An unknown handle reads as time 0.
void StreamClassQueryMasterClockSync(HANDLE masterClockHandle, PHW_TIME_CONTEXT timeContext);
void StreamClassDebugPrint(STREAM_DEBUG_LEVEL debugPrintLevel, const char* format, ...);

}  // namespace qm::streamclass
