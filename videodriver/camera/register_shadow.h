// RegisterShadow: the driver's image of the camera controller's byte
// registers. Picture controls change fields of the image and then write
// ranges of it to the camera; statistics are read from the camera into it.
// One camera at a time: the image is driver-wide.
//
// The image holds 469 bytes, addressed through the range table: an address
// lives in the last row whose first address does not exceed it, at the
// row's shadow index + (address - first address), as long as it lies within
// the row's count. Addresses that no row covers have no shadow byte: they
// read as 0, and writes to them reach the camera without being kept.
// (0A00 and 099E share one byte: 099E is the last register of the 0900
// row and 0A00 the first of the next.)
//
// On the wire every access is a vendor request (request 0, value 0, index =
// first address) of at most 64 registers; longer runs are split. Passive
// level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

inline constexpr ULONG kShadowSize = 469;

struct RegisterRange {
    USHORT FirstAddress;
    USHORT ShadowIndex;
    USHORT Count;  // registers written when the default image is loaded
};

// The rows in address order, then a closing row of first address FFFF.
inline constexpr ULONG kRegisterRangeCount = 11;
inline constexpr RegisterRange kRegisterRanges[kRegisterRangeCount + 1] = {
    {0x0400, 0, 3},   {0x0408, 3, 5},   {0x0410, 8, 7},     {0x041B, 15, 5},
    {0x0500, 20, 31}, {0x0800, 51, 31}, {0x0820, 82, 64},   {0x0900, 146, 159},
    {0x0A00, 304, 6}, {0x0B00, 311, 3}, {0x1000, 314, 155}, {0xFFFF, 0, 0},
};

struct RegisterShadow {
    UCHAR Bytes[kShadowSize];
};

// The shadow index of a register, or -1 when no row covers it.
constexpr LONG shadowIndexOf(USHORT address)
{
    ULONG rows = 0;  // rows whose first address does not exceed the address
    while (rows < kRegisterRangeCount && kRegisterRanges[rows].FirstAddress <= address)
        ++rows;
    if (rows == 0)
        return -1;
    const RegisterRange& row = kRegisterRanges[rows - 1];
    if (ULONG(address - row.FirstAddress) >= row.Count)
        return -1;
    return LONG(row.ShadowIndex + (address - row.FirstAddress));
}

// A bit field of one register: high nibble the width in bits, low nibble
// the lowest bit (0x35 = bits 5..7).
constexpr UCHAR bitField(UCHAR width, UCHAR lowestBit) { return UCHAR((width << 4) | (lowestBit & 0x0F)); }

// --- the image alone (no camera traffic) ---
// Replaces the field's bits with the low bits of `value`.
VOID DR_SetBits(USHORT address, UCHAR descriptor, ULONG value);
VOID DR_SetRegister(USHORT address, UCHAR value);
UCHAR DR_GetRegister(USHORT address);
// The whole image (tests and the default-image loader).
VOID DR_CopyShadow(UCHAR (&into)[kShadowSize]);

// --- image <-> camera ---
// Sends registers first .. first + count - 1 from the image; registers
// without a shadow byte go as 0.
NTSTATUS DR_WriteRegister(MorvaxContext* context, USHORT first, ULONG count);
// Reads them from the camera into the image.
NTSTATUS DR_ReadRegister(MorvaxContext* context, USHORT first, ULONG count);

// --- one register: image and camera together (1 success, 0 failure) ---
ULONG DF_WriteRegister(MorvaxContext* context, USHORT address, UCHAR value);
ULONG DF_ReadRegister(MorvaxContext* context, USHORT address, PUCHAR value);

// --- byte streams the image does not keep (1 success, 0 failure) ---
// Serial-bus payloads, gain words, compression commands: `count` bytes sent
// to (or read from) consecutive registers from `first`, in runs of 64.
ULONG DF_WriteBytes(MorvaxContext* context, USHORT first, const UCHAR* bytes, ULONG count);
ULONG DF_ReadBytes(MorvaxContext* context, USHORT first, PUCHAR bytes, ULONG count);

// --- the default image (register_defaults.h builds it) ---
// Chooses the table for the context's CCD type, applies the patches of its
// CDS type and the registry overrides; the context then points at it.
VOID DR_SetDefaultRegTable(MorvaxContext* context);
// Changes one entry of the default image in use (no camera traffic).
VOID DR_SetDefaultRegister(MorvaxContext* context, USHORT address, UCHAR value);
// Copies the default image into the shadow and writes every row's count of
// registers to the camera, in table order.
NTSTATUS DR_LoadDefaultTable(MorvaxContext* context);

}  // namespace qm::morvax
