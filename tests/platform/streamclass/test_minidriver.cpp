// A throwaway stream class minidriver for the adapter host tests. It drives
// the test camera of tests/platform/usbd over the simulated bus: one capture
// stream whose frames are the data of eight consecutive isochronous
// packets, a device property that reads and writes a camera register, and
// counters the tests read.
#include <algorithm>
#include <cstring>

#include "platform/streamclass/ks_video.h"
#include "platform/streamclass/strmini.h"
#include "platform/kernel/sim_clock.h"
#include "platform/system/export.h"
#include "platform/usbd/usbd.h"
#include "tests/platform/streamclass/test_minidriver.h"
#include "tests/platform/usbd/test_camera.h"
#include "tests/platform/usbd/usb_client.h"

using namespace qm::streamclass;
using namespace qm::usbd;
using namespace qm::test::minidriver;

namespace {

constexpr ULONG kTag = makePoolTag("TstM");

Stats& stats()
{
    static Stats instance;
    return instance;
}

// Kept in each request's extension while the minidriver holds a read.
struct ReadContext {
    LIST_ENTRY link;
    PHW_STREAM_REQUEST_BLOCK srb;
};

struct DeviceExtension {
    PDEVICE_OBJECT lower;
    USBD_CONFIGURATION_HANDLE configuration;
    USBD_PIPE_HANDLE dataPipe;
    USHORT maxPacket;
    PHW_STREAM_OBJECT stream;
    KSSTATE state;
    HANDLE clock;
    LONGLONG pictures;
    KSPIN_LOCK lock;
    LIST_ENTRY pendingReads;
    LIST_ENTRY filledReads;
    bool completerQueued;
    WORK_QUEUE_ITEM completer;
    KEVENT completerIdle;  // signalled while no completer is queued or running
    PIRP irp;
    PURB urb;
    PUCHAR transferBuffer;
    bool stopping;
    KEVENT idle;
};

const KSDATAFORMAT kFormat = format();
PKSDATAFORMAT kFormats[] = {const_cast<PKSDATAFORMAT>(&kFormat)};

const KSPROPERTY_STEPPING_LONG kRegisterRange{1, 0, {{{0, 255}}}};
const LONG kRegisterDefaultValue = kRegisterDefault;
const KSPROPERTY_MEMBERSLIST kRegisterMembers[] = {
    {{KSPROPERTY_MEMBER_STEPPEDRANGES, sizeof(kRegisterRange), 1, 0}, &kRegisterRange},
    {{KSPROPERTY_MEMBER_VALUES, sizeof(LONG), 1, KSPROPERTY_MEMBER_FLAG_DEFAULT}, &kRegisterDefaultValue},
};
const KSPROPERTY_VALUES kRegisterValues{{{KSPROPTYPESETID_General, VT_I4, 0}}, 2, kRegisterMembers};
const KSPROPERTY_ITEM kDeviceItems[] = {
    DEFINE_KSPROPERTY_ITEM(kRegisterProperty, TRUE, sizeof(KSPROPERTY), sizeof(ULONG), TRUE, &kRegisterValues),
    DEFINE_KSPROPERTY_ITEM(kCompleteTwiceProperty, TRUE, sizeof(KSPROPERTY), sizeof(ULONG), FALSE),
};
const KSPROPERTY_SET kDeviceSets[] = {DEFINE_KSPROPERTY_SET(&kPropertySet, 2, kDeviceItems)};
const KSPROPERTY_ITEM kConnectionItems[] = {
    DEFINE_KSPROPERTY_ITEM(KSPROPERTY_CONNECTION_ALLOCATORFRAMING, TRUE, sizeof(KSPROPERTY),
                           sizeof(KSALLOCATOR_FRAMING), FALSE),
};
const KSPROPERTY_SET kStreamSets[] = {DEFINE_KSPROPERTY_SET(&KSPROPSETID_Connection, 1, kConnectionItems)};
const GUID kCategories[] = {KSCATEGORY_VIDEO, KSCATEGORY_CAPTURE};
const KSTOPOLOGY kTopology{2, kCategories, 0, nullptr, 0, nullptr, nullptr, 0};
const KSPIN_MEDIUM kStandardMedium{{KSMEDIUMSETID_Standard, 0, 0}};

DeviceExtension* extensionOf(PHW_STREAM_REQUEST_BLOCK srb)
{
    return static_cast<DeviceExtension*>(srb->HwDeviceExtension);
}

void completeDevice(PHW_STREAM_REQUEST_BLOCK srb, NTSTATUS status)
{
    srb->Status = status;
    StreamClassDeviceNotification(DeviceRequestComplete, srb->HwDeviceExtension, srb);
}

void completeStream(PHW_STREAM_REQUEST_BLOCK srb, NTSTATUS status)
{
    srb->Status = status;
    StreamClassStreamNotification(StreamRequestComplete, srb->StreamObject, srb);
}

NTSTATUS registerAccess(DeviceExtension& device, bool write, UCHAR& value)
{
    URB urb{};
    UsbBuildVendorRequest(&urb, URB_FUNCTION_VENDOR_DEVICE, sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                          write ? USBD_TRANSFER_DIRECTION_OUT : USBD_TRANSFER_DIRECTION_IN, 0,
                          qm::test::TestCamera::kRegisterRequest, 0, kRegisterIndex, &value, nullptr, 1, nullptr);
    return qm::test::callUsbd(device.lower, &urb);
}

NTSTATUS initialize(DeviceExtension& device, PPORT_CONFIGURATION_INFORMATION config)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&device);
    stats().extensionZeroed = std::all_of(bytes, bytes + sizeof device, [](unsigned char b) { return b == 0; }) ? 1 : 0;
    RtlZeroMemory(&device, sizeof device);
    device.lower = config->PhysicalDeviceObject;
    KeInitializeSpinLock(&device.lock);
    InitializeListHead(&device.pendingReads);
    InitializeListHead(&device.filledReads);
    KeInitializeEvent(&device.idle, NotificationEvent, TRUE);
    KeInitializeEvent(&device.completerIdle, NotificationEvent, TRUE);
    config->StreamDescriptorSize = sizeof(HW_STREAM_HEADER) + sizeof(HW_STREAM_INFORMATION);
    // Under the stream class's lock the minidriver runs at dispatch level,
    // where it may not wait for the bus: it then leaves the device alone.
    if (stats().synchronized)
        return STATUS_SUCCESS;
    qm::test::Selection selection = qm::test::selectConfiguration(device.lower);
    if (!NT_SUCCESS(selection.status))
        return selection.status;
    device.configuration = selection.configuration;
    return STATUS_SUCCESS;
}

void streamInformation(PHW_STREAM_REQUEST_BLOCK srb)
{
    HW_STREAM_DESCRIPTOR* descriptor = srb->CommandData.StreamBuffer;
    HW_STREAM_HEADER& header = descriptor->StreamHeader;
    header.NumberOfStreams = 1;
    header.SizeOfHwStreamInformation = sizeof(HW_STREAM_INFORMATION);
    header.NumDevPropArrayEntries = 1;
    header.DevicePropertiesArray = kDeviceSets;
    header.Topology = &kTopology;
    HW_STREAM_INFORMATION& info = descriptor->StreamInfo;
    info.NumberOfPossibleInstances = 1;
    info.DataFlow = KSPIN_DATAFLOW_OUT;
    info.DataAccessible = TRUE;
    info.NumberOfFormatArrayEntries = 1;
    info.StreamFormatsArray = kFormats;
    info.NumStreamPropArrayEntries = 1;
    info.StreamPropertiesArray = kStreamSets;
    info.Category = &KSCATEGORY_CAPTURE;
    info.Name = &kPinName;
    info.MediumsCount = 1;
    info.Mediums = &kStandardMedium;
    completeDevice(srb, STATUS_SUCCESS);
}

void deviceProperty(PHW_STREAM_REQUEST_BLOCK srb, bool set)
{
    DeviceExtension& device = *extensionOf(srb);
    STREAM_PROPERTY_DESCRIPTOR* descriptor = srb->CommandData.PropertyInfo;
    auto* value = static_cast<ULONG*>(descriptor->PropertyInfo);
    if (descriptor->Property->Id == kCompleteTwiceProperty) {
        *value = 1;
        srb->ActualBytesTransferred = sizeof(ULONG);
        completeDevice(srb, STATUS_SUCCESS);
        completeDevice(srb, STATUS_SUCCESS);
        return;
    }
    UCHAR byte = UCHAR(*value);
    const NTSTATUS status = registerAccess(device, set, byte);
    if (!set && NT_SUCCESS(status)) {
        *value = byte;
        srb->ActualBytesTransferred = sizeof(ULONG);
    }
    completeDevice(srb, NT_SUCCESS(status) ? STATUS_SUCCESS : STATUS_IO_DEVICE_ERROR);
}

void intersect(PHW_STREAM_REQUEST_BLOCK srb)
{
    STREAM_DATA_INTERSECT_INFO* info = srb->CommandData.IntersectInfo;
    if (info->StreamNumber != 0 || !(info->DataRange->SubFormat == kSubFormat)) {
        completeDevice(srb, STATUS_NO_MATCH);
        return;
    }
    srb->ActualBytesTransferred = sizeof kFormat;
    if (info->SizeOfDataFormatBuffer == 0) {
        completeDevice(srb, STATUS_BUFFER_OVERFLOW);
        return;
    }
    if (info->SizeOfDataFormatBuffer < sizeof kFormat) {
        srb->ActualBytesTransferred = 0;
        completeDevice(srb, STATUS_BUFFER_TOO_SMALL);
        return;
    }
    std::memcpy(info->DataFormatBuffer, &kFormat, sizeof kFormat);
    completeDevice(srb, STATUS_SUCCESS);
}

void receiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb);
void receiveControlPacket(PHW_STREAM_REQUEST_BLOCK srb);

void openStream(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension& device = *extensionOf(srb);
    const KSDATAFORMAT* format = srb->CommandData.OpenFormat;
    if (format->FormatSize < sizeof(KSDATAFORMAT) || !(format->SubFormat == kSubFormat)) {
        completeDevice(srb, STATUS_INVALID_PARAMETER);
        return;
    }
    qm::test::Selection selection;
    selection.configuration = device.configuration;
    if (!NT_SUCCESS(qm::test::selectAlternate(device.lower, selection, 1))) {
        completeDevice(srb, STATUS_INSUFFICIENT_RESOURCES);
        return;
    }
    device.dataPipe = selection.pipe(0);
    device.maxPacket = selection.interface().Pipes[0].MaximumPacketSize;
    device.irp = IoAllocateIrp(CCHAR(device.lower->StackSize + 1), FALSE);
    device.urb = static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, GET_ISO_URB_SIZE(kPacketsPerFrame), kTag));
    device.transferBuffer =
        static_cast<PUCHAR>(ExAllocatePoolWithTag(NonPagedPool, kPacketsPerFrame * device.maxPacket, kTag));
    PHW_STREAM_OBJECT stream = srb->StreamObject;
    stream->ReceiveDataPacket = receiveDataPacket;
    stream->ReceiveControlPacket = receiveControlPacket;
    stream->Pio = TRUE;
    stream->StreamHeaderMediaSpecific = sizeof(KS_FRAME_INFO);
    device.stream = stream;
    device.state = KSSTATE_STOP;
    device.pictures = 0;
    device.clock = nullptr;
    completeDevice(srb, STATUS_SUCCESS);
}

NTSTATUS transferComplete(PDEVICE_OBJECT, PIRP irp, PVOID context);

void submitTransfer(DeviceExtension& device)
{
    _URB_ISOCH_TRANSFER& urb = device.urb->UrbIsochronousTransfer;
    RtlZeroMemory(device.urb, GET_ISO_URB_SIZE(kPacketsPerFrame));
    urb.Hdr.Length = USHORT(GET_ISO_URB_SIZE(kPacketsPerFrame));
    urb.Hdr.Function = URB_FUNCTION_ISOCH_TRANSFER;
    urb.PipeHandle = device.dataPipe;
    urb.TransferFlags = USBD_TRANSFER_DIRECTION_IN | USBD_START_ISO_TRANSFER_ASAP;
    urb.TransferBufferLength = kPacketsPerFrame * device.maxPacket;
    urb.TransferBuffer = device.transferBuffer;
    urb.NumberOfPackets = kPacketsPerFrame;
    for (ULONG i = 0; i < kPacketsPerFrame; ++i)
        urb.IsoPacket[i].Offset = i * device.maxPacket;
    const CCHAR stackSize = CCHAR(device.lower->StackSize + 1);
    IoInitializeIrp(device.irp, IoSizeOfIrp(stackSize), stackSize);
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(device.irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
    next->Parameters.Others.Argument1 = device.urb;
    IoSetCompletionRoutine(device.irp, transferComplete, &device, TRUE, TRUE, TRUE);
    if (IoCallDriver(device.lower, device.irp) != STATUS_PENDING)
        KeSetEvent(&device.idle, IO_NO_INCREMENT, FALSE);
}

// Passive level: finishes the reads the transfers filled.
void completeFilledReads(PVOID context)
{
    DeviceExtension& device = *static_cast<DeviceExtension*>(context);
    for (;;) {
        KIRQL old;
        KeAcquireSpinLock(&device.lock, &old);
        if (IsListEmpty(&device.filledReads)) {
            device.completerQueued = false;
            // Under the lock: whoever waits for the completer to finish takes
            // the lock once more, so it knows this routine is done with the
            // device when it frees it.
            KeSetEvent(&device.completerIdle, IO_NO_INCREMENT, FALSE);
            KeReleaseSpinLock(&device.lock, old);
            return;
        }
        ReadContext* read = CONTAINING_RECORD(RemoveHeadList(&device.filledReads), ReadContext, link);
        const LONGLONG picture = ++device.pictures;
        const HANDLE clock = device.clock;
        KeReleaseSpinLock(&device.lock, old);

        PKSSTREAM_HEADER header = read->srb->CommandData.DataBufferArray;
        header->PresentationTime.Numerator = header->PresentationTime.Denominator = 1;
        header->OptionsFlags = 0;
        header->PresentationTime.Time = 0;
        if (clock != nullptr) {
            HW_TIME_CONTEXT time{};
            time.HwDeviceExtension = &device;
            time.HwStreamObject = device.stream;
            time.Function = TIME_GET_STREAM_TIME;
            StreamClassQueryMasterClockSync(clock, &time);
            header->PresentationTime.Time = LONGLONG(time.Time);
            header->OptionsFlags = KSSTREAM_HEADER_OPTIONSF_TIMEVALID | KSSTREAM_HEADER_OPTIONSF_DURATIONVALID;
        }
        if (header->Size >= sizeof(KSSTREAM_HEADER) + sizeof(KS_FRAME_INFO)) {
            auto* info = reinterpret_cast<KS_FRAME_INFO*>(header + 1);
            info->PictureNumber = picture;
            info->DropCount = 0;
        }
        completeStream(read->srb, STATUS_SUCCESS);
    }
}

NTSTATUS transferComplete(PDEVICE_OBJECT, PIRP irp, PVOID context)
{
    DeviceExtension& device = *static_cast<DeviceExtension*>(context);
    const _URB_ISOCH_TRANSFER& urb = device.urb->UrbIsochronousTransfer;
    KIRQL old;
    KeAcquireSpinLock(&device.lock, &old);
    const bool ok = NT_SUCCESS(irp->IoStatus.Status);
    if (ok && !device.stopping && !IsListEmpty(&device.pendingReads)) {
        ReadContext* read = CONTAINING_RECORD(RemoveHeadList(&device.pendingReads), ReadContext, link);
        PKSSTREAM_HEADER header = read->srb->CommandData.DataBufferArray;
        auto* destination = static_cast<PUCHAR>(header->Data);
        ULONG used = 0;
        for (ULONG i = 0; i < urb.NumberOfPackets; ++i) {
            const ULONG length = urb.IsoPacket[i].Length;
            if (used + length > header->FrameExtent)
                break;
            std::memcpy(destination + used, device.transferBuffer + urb.IsoPacket[i].Offset, length);
            used += length;
        }
        header->DataUsed = used;
        InsertTailList(&device.filledReads, &read->link);
        if (!device.completerQueued) {
            device.completerQueued = true;
            KeClearEvent(&device.completerIdle);
            ExInitializeWorkItem(&device.completer, completeFilledReads, &device);
            ExQueueWorkItem(&device.completer, CriticalWorkQueue);
        }
    }
    const bool again = ok && !device.stopping;
    KeReleaseSpinLock(&device.lock, old);
    if (again)
        submitTransfer(device);
    else
        KeSetEvent(&device.idle, IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

void stopStreaming(DeviceExtension& device)
{
    if (KeReadStateEvent(&device.idle) != 0)
        return;
    KIRQL old;
    KeAcquireSpinLock(&device.lock, &old);
    device.stopping = true;
    KeReleaseSpinLock(&device.lock, old);
    qm::test::pipeRequest(device.lower, URB_FUNCTION_ABORT_PIPE, device.dataPipe);
    KeWaitForSingleObject(&device.idle, Executive, KernelMode, FALSE, nullptr);
}

// After the transfers stopped no completer is queued again; this waits for
// the last one to leave the device.
void waitForCompleter(DeviceExtension& device)
{
    KeWaitForSingleObject(&device.completerIdle, Executive, KernelMode, FALSE, nullptr);
    KIRQL old;
    KeAcquireSpinLock(&device.lock, &old);
    KeReleaseSpinLock(&device.lock, old);
}

void closeStream(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension& device = *extensionOf(srb);
    stopStreaming(device);
    waitForCompleter(device);
    qm::test::Selection selection;
    selection.configuration = device.configuration;
    qm::test::selectAlternate(device.lower, selection, 0);
    IoFreeIrp(device.irp);
    ExFreePoolWithTag(device.urb, kTag);
    ExFreePoolWithTag(device.transferBuffer, kTag);
    device.irp = nullptr;
    device.stream = nullptr;
    completeDevice(srb, STATUS_SUCCESS);
}

void receiveDataPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension& device = *extensionOf(srb);
    if (srb->Command != SRB_READ_DATA) {
        completeStream(srb, STATUS_NOT_IMPLEMENTED);
        return;
    }
    srb->TimeoutCounter = srb->TimeoutOriginal = kReadTimeoutSeconds;
    auto* read = static_cast<ReadContext*>(srb->SRBExtension);
    read->srb = srb;
    KIRQL old;
    KeAcquireSpinLock(&device.lock, &old);
    InsertTailList(&device.pendingReads, &read->link);
    KeReleaseSpinLock(&device.lock, old);
}

void receiveControlPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension& device = *extensionOf(srb);
    switch (srb->Command) {
    case SRB_SET_STREAM_STATE:
        if (srb->CommandData.StreamState == KSSTATE_RUN && device.state != KSSTATE_RUN) {
            device.stopping = false;
            KeClearEvent(&device.idle);
            submitTransfer(device);
        } else if (srb->CommandData.StreamState == KSSTATE_STOP) {
            stopStreaming(device);
        }
        device.state = srb->CommandData.StreamState;
        completeStream(srb, STATUS_SUCCESS);
        return;
    case SRB_GET_STREAM_STATE:
        srb->CommandData.StreamState = device.state;
        srb->ActualBytesTransferred = sizeof(KSSTATE);
        completeStream(srb, STATUS_SUCCESS);
        return;
    case SRB_INDICATE_MASTER_CLOCK:
        device.clock = srb->CommandData.MasterClockHandle;
        completeStream(srb, STATUS_SUCCESS);
        return;
    case SRB_GET_STREAM_PROPERTY: {
        auto* framing = static_cast<KSALLOCATOR_FRAMING*>(srb->CommandData.PropertyInfo->PropertyInfo);
        RtlZeroMemory(framing, sizeof *framing);
        framing->Frames = 2;
        framing->FrameSize = kPacketsPerFrame * device.maxPacket;
        srb->ActualBytesTransferred = sizeof *framing;
        completeStream(srb, STATUS_SUCCESS);
        return;
    }
    default:
        completeStream(srb, STATUS_NOT_IMPLEMENTED);
    }
}

void receivePacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    stats().receiveIrql = KeGetCurrentIrql();
    stats().receiveRole = int(qm::kernel::sim::currentThreadRole());
    DeviceExtension& device = *extensionOf(srb);
    switch (srb->Command) {
    case SRB_INITIALIZE_DEVICE:
        completeDevice(srb, initialize(device, srb->CommandData.ConfigInfo));
        return;
    case SRB_GET_STREAM_INFO:
        streamInformation(srb);
        return;
    case SRB_GET_DEVICE_PROPERTY:
    case SRB_SET_DEVICE_PROPERTY:
        deviceProperty(srb, srb->Command == SRB_SET_DEVICE_PROPERTY);
        return;
    case SRB_GET_DATA_INTERSECTION:
        intersect(srb);
        return;
    case SRB_OPEN_STREAM:
        openStream(srb);
        return;
    case SRB_CLOSE_STREAM:
        closeStream(srb);
        return;
    case SRB_CHANGE_POWER_STATE:
        stats().powerState = srb->CommandData.DeviceState;
        completeDevice(srb, STATUS_SUCCESS);
        return;
    case SRB_PAGING_OUT_DRIVER:
        ++stats().pageOuts;
        completeDevice(srb, STATUS_SUCCESS);
        return;
    case SRB_UNINITIALIZE_DEVICE:
        ++stats().uninitialized;
        completeDevice(srb, STATUS_SUCCESS);
        return;
    default:
        completeDevice(srb, STATUS_NOT_IMPLEMENTED);
    }
}

void cancelPacket(PHW_STREAM_REQUEST_BLOCK srb)
{
    DeviceExtension& device = *extensionOf(srb);
    auto* read = static_cast<ReadContext*>(srb->SRBExtension);
    KIRQL old;
    KeAcquireSpinLock(&device.lock, &old);
    bool found = false;
    for (PLIST_ENTRY entry = device.pendingReads.Flink; entry != &device.pendingReads; entry = entry->Flink) {
        if (entry == &read->link) {
            RemoveEntryList(entry);
            found = true;
            break;
        }
    }
    KeReleaseSpinLock(&device.lock, old);
    if (!found)
        return;
    ++stats().cancels;
    srb->CommandData.DataBufferArray->DataUsed = 0;
    completeStream(srb, STATUS_CANCELLED);
}

void requestTimedOut(PHW_STREAM_REQUEST_BLOCK srb)
{
    ++stats().timeouts;
    srb->TimeoutCounter = srb->TimeoutOriginal;  // the read stays queued
}

}  // namespace

QM_EXPORT Stats* testMinidriverStats() { return &stats(); }

QM_EXPORT NTSTATUS DriverEntry(PDRIVER_OBJECT driverObject, PUNICODE_STRING registryPath)
{
    HW_INITIALIZATION_DATA init{};
    init.HwInitializationDataSize = sizeof init;
    init.HwReceivePacket = receivePacket;
    init.HwCancelPacket = cancelPacket;
    init.HwRequestTimeoutHandler = requestTimedOut;
    init.DeviceExtensionSize = sizeof(DeviceExtension);
    init.PerRequestExtensionSize = sizeof(ReadContext);
    init.PerStreamExtensionSize = 0;
    init.BufferAlignment = 3;
    init.TurnOffSynchronization = stats().synchronized ? FALSE : TRUE;
    return StreamClassRegisterAdapter(driverObject, registryPath, &init);
}
