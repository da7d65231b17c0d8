#include "videodriver/camera/register_shadow.h"

#include "videodriver/camera/registers/register_io.h"

namespace qm::morvax {

namespace {

RegisterShadow g_shadow{};
// Frame work items and property requests both reach the image; each access
// takes it whole.
KSPIN_LOCK g_shadowLock = 0;

class ShadowGuard {
public:
    ShadowGuard() { KeAcquireSpinLock(&g_shadowLock, &oldIrql_); }
    ~ShadowGuard() { KeReleaseSpinLock(&g_shadowLock, oldIrql_); }
    ShadowGuard(const ShadowGuard&) = delete;
    ShadowGuard& operator=(const ShadowGuard&) = delete;

private:
    KIRQL oldIrql_ = PASSIVE_LEVEL;
};

UCHAR fieldMask(UCHAR descriptor)
{
    const ULONG width = descriptor >> 4;
    const ULONG lowest = descriptor & 0x0F;
    if (width == 0 || lowest > 7)
        return 0;
    const ULONG bits = width >= 8 ? 0xFFu : (1u << width) - 1;
    return UCHAR(bits << lowest);
}

// One request's worth of registers, staged outside the lock.
struct Run {
    UCHAR bytes[kRegistersPerRequest];
};

}  // namespace

VOID DR_SetBits(USHORT address, UCHAR descriptor, ULONG value)
{
    const LONG index = shadowIndexOf(address);
    const UCHAR mask = fieldMask(descriptor);
    if (index < 0 || mask == 0)
        return;
    const UCHAR shifted = UCHAR((value << (descriptor & 0x0F)) & mask);
    ShadowGuard guard;
    g_shadow.Bytes[index] = UCHAR((g_shadow.Bytes[index] & ~mask) | shifted);
}

VOID DR_SetRegister(USHORT address, UCHAR value)
{
    const LONG index = shadowIndexOf(address);
    if (index < 0)
        return;
    ShadowGuard guard;
    g_shadow.Bytes[index] = value;
}

UCHAR DR_GetRegister(USHORT address)
{
    const LONG index = shadowIndexOf(address);
    if (index < 0)
        return 0;
    ShadowGuard guard;
    return g_shadow.Bytes[index];
}

VOID DR_CopyShadow(UCHAR (&into)[kShadowSize])
{
    ShadowGuard guard;
    RtlCopyMemory(into, g_shadow.Bytes, kShadowSize);
}

NTSTATUS DR_WriteRegister(MorvaxContext* context, USHORT first, ULONG count)
{
    if (ULONG(first) + count > 0x10000)
        return STATUS_INVALID_PARAMETER;
    for (ULONG done = 0; done < count;) {
        const ULONG run = count - done < kRegistersPerRequest ? count - done : kRegistersPerRequest;
        Run staged{};
        {
            ShadowGuard guard;
            for (ULONG i = 0; i < run; ++i) {
                const LONG index = shadowIndexOf(USHORT(first + done + i));
                staged.bytes[i] = index < 0 ? 0 : g_shadow.Bytes[index];
            }
        }
        const NTSTATUS status = writeCameraRegisters(context, USHORT(first + done), staged.bytes, run);
        if (!NT_SUCCESS(status))
            return status;
        done += run;
    }
    return STATUS_SUCCESS;
}

NTSTATUS DR_ReadRegister(MorvaxContext* context, USHORT first, ULONG count)
{
    if (ULONG(first) + count > 0x10000)
        return STATUS_INVALID_PARAMETER;
    for (ULONG done = 0; done < count;) {
        const ULONG run = count - done < kRegistersPerRequest ? count - done : kRegistersPerRequest;
        Run received{};
        const NTSTATUS status = readCameraRegisters(context, USHORT(first + done), received.bytes, run);
        if (!NT_SUCCESS(status))
            return status;
        ShadowGuard guard;
        for (ULONG i = 0; i < run; ++i) {
            const LONG index = shadowIndexOf(USHORT(first + done + i));
            if (index >= 0)
                g_shadow.Bytes[index] = received.bytes[i];
        }
        done += run;
    }
    return STATUS_SUCCESS;
}

ULONG DF_WriteRegister(MorvaxContext* context, USHORT address, UCHAR value)
{
    DR_SetRegister(address, value);
    return NT_SUCCESS(writeCameraRegister(context, address, value)) ? 1 : 0;
}

ULONG DF_ReadRegister(MorvaxContext* context, USHORT address, PUCHAR value)
{
    UCHAR received = 0;
    if (!NT_SUCCESS(readCameraRegisters(context, address, &received, 1)))
        return 0;
    DR_SetRegister(address, received);
    if (value != nullptr)
        *value = received;
    return 1;
}

ULONG DF_WriteBytes(MorvaxContext* context, USHORT first, const UCHAR* bytes, ULONG count)
{
    if (bytes == nullptr && count > 0)
        return 0;
    return NT_SUCCESS(writeCameraRegisters(context, first, bytes, count)) ? 1 : 0;
}

ULONG DF_ReadBytes(MorvaxContext* context, USHORT first, PUCHAR bytes, ULONG count)
{
    if (bytes == nullptr && count > 0)
        return 0;
    return NT_SUCCESS(readCameraRegisters(context, first, bytes, count)) ? 1 : 0;
}

}  // namespace qm::morvax
