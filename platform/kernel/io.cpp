#include "platform/kernel/io.h"

#include <cstring>

#include "platform/kernel/pool.h"
#include "platform/kernel/spin_lock.h"

namespace qm::kernel {

namespace {

inline constexpr ULONG kIrpTag = makePoolTag("Irp ");
inline constexpr ULONG kDeviceTag = makePoolTag("Devi");
inline constexpr ULONG kMdlTag = makePoolTag("Mdl ");
inline constexpr SHORT kIrpType = 6;
inline constexpr SHORT kDeviceType = 3;
// Our mark for IRPs the I/O system built and frees itself.
inline constexpr UCHAR kIrpBuiltBySystem = 0x40;

PIO_STACK_LOCATION stackLocation(PIRP irp, int location)
{
    return reinterpret_cast<PIO_STACK_LOCATION>(irp + 1) + (location - 1);
}

bool shouldInvoke(const IO_STACK_LOCATION& stack, const IRP& irp)
{
    if (stack.CompletionRoutine == nullptr)
        return false;
    if (irp.Cancel)
        return (stack.Control & SL_INVOKE_ON_CANCEL) != 0;
    if (NT_SUCCESS(irp.IoStatus.Status))
        return (stack.Control & SL_INVOKE_ON_SUCCESS) != 0;
    return (stack.Control & SL_INVOKE_ON_ERROR) != 0;
}

}  // namespace

NTSTATUS IoCreateDevice(PDRIVER_OBJECT driverObject, ULONG deviceExtensionSize, PUNICODE_STRING, ULONG deviceType,
                        ULONG deviceCharacteristics, BOOLEAN, PDEVICE_OBJECT* deviceObject)
{
    if (deviceObject == nullptr)
        return STATUS_INVALID_PARAMETER;
    *deviceObject = nullptr;
    const SIZE_T size = sizeof(DEVICE_OBJECT) + SIZE_T(deviceExtensionSize);
    auto* device = static_cast<PDEVICE_OBJECT>(ExAllocatePoolWithTag(NonPagedPool, size, kDeviceTag));
    if (device == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    std::memset(device, 0, size);
    device->Type = kDeviceType;
    device->Size = USHORT(sizeof(DEVICE_OBJECT));
    device->DriverObject = driverObject;
    device->Flags = DO_DEVICE_INITIALIZING;
    device->Characteristics = deviceCharacteristics;
    device->DeviceType = deviceType;
    device->StackSize = 1;
    device->DeviceExtension = deviceExtensionSize > 0 ? static_cast<PVOID>(device + 1) : nullptr;
    if (driverObject != nullptr) {
        device->NextDevice = driverObject->DeviceObject;
        driverObject->DeviceObject = device;
    }
    *deviceObject = device;
    return STATUS_SUCCESS;
}

void IoDeleteDevice(PDEVICE_OBJECT deviceObject)
{
    if (deviceObject == nullptr)
        return;
    if (PDRIVER_OBJECT driver = deviceObject->DriverObject) {
        for (PDEVICE_OBJECT* link = &driver->DeviceObject; *link != nullptr; link = &(*link)->NextDevice) {
            if (*link == deviceObject) {
                *link = deviceObject->NextDevice;
                break;
            }
        }
    }
    ExFreePoolWithTag(deviceObject, kDeviceTag);
}

PDEVICE_OBJECT IoAttachDeviceToDeviceStack(PDEVICE_OBJECT source, PDEVICE_OBJECT target)
{
    if (source == nullptr || target == nullptr)
        return nullptr;
    PDEVICE_OBJECT top = target;
    while (top->AttachedDevice != nullptr)
        top = top->AttachedDevice;
    top->AttachedDevice = source;
    source->StackSize = CCHAR(top->StackSize + 1);
    return top;
}

void IoDetachDevice(PDEVICE_OBJECT targetDevice)
{
    if (targetDevice != nullptr)
        targetDevice->AttachedDevice = nullptr;
}

USHORT IoSizeOfIrp(CCHAR stackSize)
{
    return USHORT(sizeof(IRP) + sizeof(IO_STACK_LOCATION) * SIZE_T(stackSize > 0 ? stackSize : 0));
}

PIRP IoAllocateIrp(CCHAR stackSize, BOOLEAN)
{
    if (stackSize <= 0)
        return nullptr;
    const USHORT size = IoSizeOfIrp(stackSize);
    auto* irp = static_cast<PIRP>(ExAllocatePoolWithTag(NonPagedPool, size, kIrpTag));
    if (irp != nullptr)
        IoInitializeIrp(irp, size, stackSize);
    return irp;
}

void IoInitializeIrp(PIRP irp, USHORT packetSize, CCHAR stackSize)
{
    std::memset(irp, 0, packetSize);
    irp->Type = kIrpType;
    irp->Size = packetSize;
    irp->StackCount = stackSize;
    irp->CurrentLocation = CCHAR(stackSize + 1);
    InitializeListHead(&irp->ThreadListEntry);
    irp->Tail.Overlay.CurrentStackLocation = stackLocation(irp, stackSize + 1);
}

void IoReuseIrp(PIRP irp, NTSTATUS status)
{
    const UCHAR flags = irp->AllocationFlags;
    IoInitializeIrp(irp, irp->Size, irp->StackCount);
    irp->AllocationFlags = flags;
    irp->IoStatus.Status = status;
}

void IoFreeIrp(PIRP irp)
{
    if (irp != nullptr)
        ExFreePoolWithTag(irp, kIrpTag);
}

PIRP IoBuildDeviceIoControlRequest(ULONG ioControlCode, PDEVICE_OBJECT deviceObject, PVOID inputBuffer,
                                   ULONG inputBufferLength, PVOID outputBuffer, ULONG outputBufferLength,
                                   BOOLEAN internalDeviceIoControl, PKEVENT event, PIO_STATUS_BLOCK ioStatusBlock)
{
    if (deviceObject == nullptr)
        return nullptr;
    PIRP irp = IoAllocateIrp(deviceObject->StackSize, FALSE);
    if (irp == nullptr)
        return nullptr;
    irp->AllocationFlags |= kIrpBuiltBySystem;
    irp->UserEvent = event;
    irp->UserIosb = ioStatusBlock;
    irp->UserBuffer = outputBuffer;
    irp->AssociatedIrp.SystemBuffer = inputBuffer;
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    next->MajorFunction = internalDeviceIoControl ? IRP_MJ_INTERNAL_DEVICE_CONTROL : IRP_MJ_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = ioControlCode;
    next->Parameters.DeviceIoControl.InputBufferLength = inputBufferLength;
    next->Parameters.DeviceIoControl.OutputBufferLength = outputBufferLength;
    next->Parameters.DeviceIoControl.Type3InputBuffer = inputBuffer;
    return irp;
}

void IoCopyCurrentIrpStackLocationToNext(PIRP irp)
{
    PIO_STACK_LOCATION current = IoGetCurrentIrpStackLocation(irp);
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    std::memcpy(next, current, offsetof(IO_STACK_LOCATION, CompletionRoutine));
    next->Control = 0;
}

void IoSetCompletionRoutine(PIRP irp, PIO_COMPLETION_ROUTINE routine, PVOID context, BOOLEAN invokeOnSuccess,
                            BOOLEAN invokeOnError, BOOLEAN invokeOnCancel)
{
    PIO_STACK_LOCATION next = IoGetNextIrpStackLocation(irp);
    next->CompletionRoutine = routine;
    next->Context = context;
    next->Control = 0;
    if (invokeOnSuccess)
        next->Control |= SL_INVOKE_ON_SUCCESS;
    if (invokeOnError)
        next->Control |= SL_INVOKE_ON_ERROR;
    if (invokeOnCancel)
        next->Control |= SL_INVOKE_ON_CANCEL;
}

NTSTATUS IoCallDriver(PDEVICE_OBJECT deviceObject, PIRP irp)
{
    --irp->CurrentLocation;
    if (irp->CurrentLocation <= 0) {
        KeBugCheckEx(NO_MORE_IRP_STACK_LOCATIONS, reinterpret_cast<ULONG_PTR>(irp), 0, 0, 0);
        ++irp->CurrentLocation;
        return STATUS_INVALID_PARAMETER;
    }
    --irp->Tail.Overlay.CurrentStackLocation;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    stack->DeviceObject = deviceObject;
    PDRIVER_DISPATCH dispatch = nullptr;
    if (deviceObject != nullptr && deviceObject->DriverObject != nullptr &&
        stack->MajorFunction <= IRP_MJ_MAXIMUM_FUNCTION)
        dispatch = deviceObject->DriverObject->MajorFunction[stack->MajorFunction];
    if (dispatch == nullptr) {
        irp->IoStatus.Status = STATUS_INVALID_DEVICE_REQUEST;
        irp->IoStatus.Information = 0;
        IoCompleteRequest(irp, IO_NO_PRIORITY_BOOST);
        return STATUS_INVALID_DEVICE_REQUEST;
    }
    return dispatch(deviceObject, irp);
}

void IoCompleteRequest(PIRP irp, CCHAR)
{
    if (irp->CurrentLocation > irp->StackCount) {
        KeBugCheckEx(MULTIPLE_IRP_COMPLETE_REQUESTS, reinterpret_cast<ULONG_PTR>(irp), 0, 0, 0);
        return;
    }
    if (irp->IoStatus.Status == STATUS_PENDING) {
        // A request cannot complete as pending.
        KeBugCheckEx(MULTIPLE_IRP_COMPLETE_REQUESTS, reinterpret_cast<ULONG_PTR>(irp), 1, 0, 0);
        return;
    }
    irp->CancelRoutine = nullptr;
    for (int location = irp->CurrentLocation; location <= irp->StackCount; ++location) {
        IO_STACK_LOCATION& stack = *stackLocation(irp, location);
        irp->PendingReturned = (stack.Control & SL_PENDING_RETURNED) != 0;
        const bool invoke = shouldInvoke(stack, *irp);
        const PIO_COMPLETION_ROUTINE routine = stack.CompletionRoutine;
        PVOID context = stack.Context;
        // The routine runs on behalf of the driver one level up.
        irp->CurrentLocation = CCHAR(location + 1);
        irp->Tail.Overlay.CurrentStackLocation = stackLocation(irp, location + 1);
        PDEVICE_OBJECT upper = location + 1 <= irp->StackCount ? stackLocation(irp, location + 1)->DeviceObject
                                                                : nullptr;
        stack.CompletionRoutine = nullptr;
        stack.Control = 0;
        if (invoke) {
            if (routine(upper, irp, context) == STATUS_MORE_PROCESSING_REQUIRED)
                return;
        } else if (irp->PendingReturned && location + 1 <= irp->StackCount) {
            stackLocation(irp, location + 1)->Control |= SL_PENDING_RETURNED;
        }
    }
    if ((irp->AllocationFlags & kIrpBuiltBySystem) != 0) {
        if (irp->UserIosb != nullptr)
            *irp->UserIosb = irp->IoStatus;
        // Gone before the waiter wakes, so it never sees the IRP still held.
        PKEVENT event = irp->UserEvent;
        IoFreeIrp(irp);
        if (event != nullptr)
            KeSetEvent(event, IO_NO_INCREMENT, FALSE);
    }
}

PDRIVER_CANCEL IoSetCancelRoutine(PIRP irp, PDRIVER_CANCEL routine)
{
    return __atomic_exchange_n(&irp->CancelRoutine, routine, __ATOMIC_SEQ_CST);
}

BOOLEAN IoCancelIrp(PIRP irp)
{
    KIRQL irql;
    IoAcquireCancelSpinLock(&irql);
    irp->Cancel = TRUE;
    PDRIVER_CANCEL routine = IoSetCancelRoutine(irp, nullptr);
    if (routine == nullptr) {
        IoReleaseCancelSpinLock(irql);
        return FALSE;
    }
    irp->CancelIrql = irql;
    PDEVICE_OBJECT device =
        irp->CurrentLocation <= irp->StackCount ? IoGetCurrentIrpStackLocation(irp)->DeviceObject : nullptr;
    routine(device, irp);
    return TRUE;
}

PMDL IoAllocateMdl(PVOID virtualAddress, ULONG length, BOOLEAN, BOOLEAN, PIRP irp)
{
    auto* mdl = static_cast<PMDL>(ExAllocatePoolWithTag(NonPagedPool, sizeof(MDL), kMdlTag));
    if (mdl == nullptr)
        return nullptr;
    std::memset(mdl, 0, sizeof(MDL));
    mdl->Size = SHORT(sizeof(MDL));
    mdl->StartVa = virtualAddress;
    mdl->ByteCount = length;
    if (irp != nullptr && irp->MdlAddress == nullptr)
        irp->MdlAddress = mdl;
    return mdl;
}

void IoFreeMdl(PMDL mdl)
{
    if (mdl != nullptr)
        ExFreePoolWithTag(mdl, kMdlTag);
}

void MmBuildMdlForNonPagedPool(PMDL mdl) { mdl->MappedSystemVa = mdl->StartVa; }

PVOID MmGetSystemAddressForMdlSafe(PMDL mdl, ULONG)
{
    if (mdl == nullptr)
        return nullptr;
    return mdl->MappedSystemVa != nullptr ? mdl->MappedSystemVa : mdl->StartVa;
}

}  // namespace qm::kernel
