// The I/O system: driver and device objects, IRPs with their stack
// locations and completion routines, and memory descriptor lists.
//
// An IRP travels down a device stack with IoCallDriver (each driver uses the
// next stack location) and back up with IoCompleteRequest, which calls the
// completion routine each driver set on the way down. A routine that returns
// STATUS_MORE_PROCESSING_REQUIRED stops the completion there: the IRP belongs
// to that driver again (to reuse or free). IRPs built with
// IoBuildDeviceIoControlRequest report to their event and status block and
// are freed when their completion reaches the top.
#pragma once

#include "platform/kernel/dispatcher.h"
#include "platform/kernel/ntstatus.h"

namespace qm::kernel {

struct DEVICE_OBJECT;
struct DRIVER_OBJECT;
struct IRP;
using PDEVICE_OBJECT = DEVICE_OBJECT*;
using PDRIVER_OBJECT = DRIVER_OBJECT*;
using PIRP = IRP*;

struct IO_STATUS_BLOCK {
    union {
        NTSTATUS Status;
        PVOID Pointer;
    };
    ULONG_PTR Information;
};
using PIO_STATUS_BLOCK = IO_STATUS_BLOCK*;

struct MDL {
    MDL* Next;
    SHORT Size;
    SHORT MdlFlags;
    PVOID StartVa;
    ULONG ByteCount;
    ULONG ByteOffset;
    PVOID MappedSystemVa;
};
using PMDL = MDL*;

using PDRIVER_DISPATCH = NTSTATUS (*)(PDEVICE_OBJECT deviceObject, PIRP irp);
using PDRIVER_UNLOAD = void (*)(PDRIVER_OBJECT driverObject);
using PDRIVER_ADD_DEVICE = NTSTATUS (*)(PDRIVER_OBJECT driverObject, PDEVICE_OBJECT physicalDeviceObject);
using PDRIVER_CANCEL = void (*)(PDEVICE_OBJECT deviceObject, PIRP irp);
using PIO_COMPLETION_ROUTINE = NTSTATUS (*)(PDEVICE_OBJECT deviceObject, PIRP irp, PVOID context);

inline constexpr UCHAR IRP_MJ_CREATE = 0x00;
inline constexpr UCHAR IRP_MJ_CLOSE = 0x02;
inline constexpr UCHAR IRP_MJ_READ = 0x03;
inline constexpr UCHAR IRP_MJ_WRITE = 0x04;
inline constexpr UCHAR IRP_MJ_DEVICE_CONTROL = 0x0E;
inline constexpr UCHAR IRP_MJ_INTERNAL_DEVICE_CONTROL = 0x0F;
inline constexpr UCHAR IRP_MJ_POWER = 0x16;
inline constexpr UCHAR IRP_MJ_SYSTEM_CONTROL = 0x17;
inline constexpr UCHAR IRP_MJ_PNP = 0x1B;
inline constexpr UCHAR IRP_MJ_MAXIMUM_FUNCTION = 0x1B;

// Stack location control bits.
inline constexpr UCHAR SL_PENDING_RETURNED = 0x01;
inline constexpr UCHAR SL_INVOKE_ON_CANCEL = 0x20;
inline constexpr UCHAR SL_INVOKE_ON_SUCCESS = 0x40;
inline constexpr UCHAR SL_INVOKE_ON_ERROR = 0x80;

// Device object flags.
inline constexpr ULONG DO_BUFFERED_IO = 0x00000004;
inline constexpr ULONG DO_DIRECT_IO = 0x00000010;
inline constexpr ULONG DO_DEVICE_INITIALIZING = 0x00000080;
inline constexpr ULONG DO_POWER_PAGABLE = 0x00002000;

inline constexpr ULONG FILE_DEVICE_UNKNOWN = 0x22;
inline constexpr ULONG FILE_DEVICE_BUS_EXTENDER = 0x2A;
inline constexpr ULONG FILE_DEVICE_KS = 0x2F;

inline constexpr ULONG METHOD_BUFFERED = 0;
inline constexpr ULONG METHOD_IN_DIRECT = 1;
inline constexpr ULONG METHOD_OUT_DIRECT = 2;
inline constexpr ULONG METHOD_NEITHER = 3;
inline constexpr ULONG FILE_ANY_ACCESS = 0;
constexpr ULONG CTL_CODE(ULONG deviceType, ULONG function, ULONG method, ULONG access)
{
    return (deviceType << 16) | (access << 14) | (function << 2) | method;
}

struct IO_STACK_LOCATION {
    UCHAR MajorFunction;
    UCHAR MinorFunction;
    UCHAR Flags;
    UCHAR Control;
    union {
        struct {
            alignas(sizeof(PVOID)) ULONG OutputBufferLength;
            alignas(sizeof(PVOID)) ULONG InputBufferLength;
            alignas(sizeof(PVOID)) ULONG IoControlCode;
            PVOID Type3InputBuffer;
        } DeviceIoControl;
        struct {
            PVOID Argument1;
            PVOID Argument2;
            PVOID Argument3;
            PVOID Argument4;
        } Others;
    } Parameters;
    PDEVICE_OBJECT DeviceObject;
    PVOID FileObject;
    PIO_COMPLETION_ROUTINE CompletionRoutine;
    PVOID Context;
};
using PIO_STACK_LOCATION = IO_STACK_LOCATION*;

// The IRP header; its stack locations follow it in the same allocation.
struct IRP {
    SHORT Type;
    USHORT Size;
    PMDL MdlAddress;
    ULONG Flags;
    union {
        IRP* MasterIrp;
        LONG IrpCount;
        PVOID SystemBuffer;
    } AssociatedIrp;
    LIST_ENTRY ThreadListEntry;
    IO_STATUS_BLOCK IoStatus;
    CCHAR RequestorMode;
    BOOLEAN PendingReturned;
    CCHAR StackCount;
    CCHAR CurrentLocation;
    BOOLEAN Cancel;
    KIRQL CancelIrql;
    CCHAR ApcEnvironment;
    UCHAR AllocationFlags;
    PIO_STATUS_BLOCK UserIosb;
    PKEVENT UserEvent;
    PDRIVER_CANCEL CancelRoutine;
    PVOID UserBuffer;
    struct {
        struct {
            PVOID DriverContext[4];
            PIO_STACK_LOCATION CurrentStackLocation;
        } Overlay;
    } Tail;
};

struct DRIVER_EXTENSION {
    PDRIVER_OBJECT DriverObject;
    PDRIVER_ADD_DEVICE AddDevice;
    ULONG Count;
    UNICODE_STRING ServiceKeyName;
};

struct DRIVER_OBJECT {
    SHORT Type;
    SHORT Size;
    PDEVICE_OBJECT DeviceObject;
    ULONG Flags;
    PVOID DriverStart;
    ULONG DriverSize;
    PVOID DriverSection;
    DRIVER_EXTENSION* DriverExtension;
    UNICODE_STRING DriverName;
    PUNICODE_STRING HardwareDatabase;
    PVOID FastIoDispatch;
    PVOID DriverInit;
    PVOID DriverStartIo;
    PDRIVER_UNLOAD DriverUnload;
    PDRIVER_DISPATCH MajorFunction[IRP_MJ_MAXIMUM_FUNCTION + 1];
};

struct DEVICE_OBJECT {
    SHORT Type;
    USHORT Size;
    LONG ReferenceCount;
    PDRIVER_OBJECT DriverObject;
    PDEVICE_OBJECT NextDevice;
    PDEVICE_OBJECT AttachedDevice;
    PIRP CurrentIrp;
    ULONG Flags;
    ULONG Characteristics;
    PVOID DeviceExtension;
    ULONG DeviceType;
    CCHAR StackSize;
    ULONG AlignmentRequirement;
};

// Device objects.
NTSTATUS IoCreateDevice(PDRIVER_OBJECT driverObject, ULONG deviceExtensionSize, PUNICODE_STRING deviceName,
                        ULONG deviceType, ULONG deviceCharacteristics, BOOLEAN exclusive,
                        PDEVICE_OBJECT* deviceObject);
void IoDeleteDevice(PDEVICE_OBJECT deviceObject);
// Puts `source` on top of the stack `target` belongs to; returns the device it
// was attached to (null on failure).
PDEVICE_OBJECT IoAttachDeviceToDeviceStack(PDEVICE_OBJECT source, PDEVICE_OBJECT target);
void IoDetachDevice(PDEVICE_OBJECT targetDevice);

// IRPs.
USHORT IoSizeOfIrp(CCHAR stackSize);
PIRP IoAllocateIrp(CCHAR stackSize, BOOLEAN chargeQuota);
void IoInitializeIrp(PIRP irp, USHORT packetSize, CCHAR stackSize);
// Makes a completed IRP ready for another trip, with the given status.
void IoReuseIrp(PIRP irp, NTSTATUS status);
void IoFreeIrp(PIRP irp);
PIRP IoBuildDeviceIoControlRequest(ULONG ioControlCode, PDEVICE_OBJECT deviceObject, PVOID inputBuffer,
                                   ULONG inputBufferLength, PVOID outputBuffer, ULONG outputBufferLength,
                                   BOOLEAN internalDeviceIoControl, PKEVENT event, PIO_STATUS_BLOCK ioStatusBlock);

inline PIO_STACK_LOCATION IoGetCurrentIrpStackLocation(PIRP irp) { return irp->Tail.Overlay.CurrentStackLocation; }
inline PIO_STACK_LOCATION IoGetNextIrpStackLocation(PIRP irp) { return irp->Tail.Overlay.CurrentStackLocation - 1; }
inline void IoSetNextIrpStackLocation(PIRP irp)
{
    --irp->CurrentLocation;
    --irp->Tail.Overlay.CurrentStackLocation;
}
inline void IoSkipCurrentIrpStackLocation(PIRP irp)
{
    ++irp->CurrentLocation;
    ++irp->Tail.Overlay.CurrentStackLocation;
}
void IoCopyCurrentIrpStackLocationToNext(PIRP irp);
void IoSetCompletionRoutine(PIRP irp, PIO_COMPLETION_ROUTINE routine, PVOID context, BOOLEAN invokeOnSuccess,
                            BOOLEAN invokeOnError, BOOLEAN invokeOnCancel);
inline void IoMarkIrpPending(PIRP irp) { IoGetCurrentIrpStackLocation(irp)->Control |= SL_PENDING_RETURNED; }

NTSTATUS IoCallDriver(PDEVICE_OBJECT deviceObject, PIRP irp);
void IoCompleteRequest(PIRP irp, CCHAR priorityBoost);
// Sets the cancel routine and returns the previous one.
PDRIVER_CANCEL IoSetCancelRoutine(PIRP irp, PDRIVER_CANCEL routine);
// Marks the IRP cancelled and calls its cancel routine (with the cancel spin
// lock held; the routine releases it). TRUE when there was a routine.
BOOLEAN IoCancelIrp(PIRP irp);

inline constexpr CCHAR IO_NO_PRIORITY_BOOST = 0;

// Memory descriptor lists (non-paged memory only: the mapping is the buffer).
PMDL IoAllocateMdl(PVOID virtualAddress, ULONG length, BOOLEAN secondaryBuffer, BOOLEAN chargeQuota, PIRP irp);
void IoFreeMdl(PMDL mdl);
void MmBuildMdlForNonPagedPool(PMDL mdl);
PVOID MmGetSystemAddressForMdlSafe(PMDL mdl, ULONG priority);
inline ULONG MmGetMdlByteCount(PMDL mdl) { return mdl->ByteCount; }

}  // namespace qm::kernel
