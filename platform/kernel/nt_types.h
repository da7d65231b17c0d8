// The kernel's basic types with their 32-bit meanings kept on a 64-bit host:
// ULONG and LONG stay 32 bits wide, pointer-sized values use ULONG_PTR.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::kernel {

using VOID = void;
using PVOID = void*;
using CHAR = char;
using UCHAR = std::uint8_t;
using PUCHAR = UCHAR*;
using CCHAR = std::int8_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using PUSHORT = USHORT*;
using LONG = std::int32_t;
using PLONG = LONG*;
using ULONG = std::uint32_t;
using PULONG = ULONG*;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using BOOLEAN = std::uint8_t;
using PBOOLEAN = BOOLEAN*;
using BOOL = std::int32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
// Wide characters are 16 bits, as on the original platform.
using WCHAR = char16_t;
using PWCHAR = WCHAR*;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;
using HANDLE = void*;
using PHANDLE = HANDLE*;
using ACCESS_MASK = ULONG;
using NTSTATUS = LONG;
using KPRIORITY = LONG;

// Some C libraries (the JPEG library among them) define these as macros.
#ifndef TRUE
inline constexpr BOOLEAN TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOLEAN FALSE = 0;
#endif

union LARGE_INTEGER {
    struct {
        ULONG LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;

union ULARGE_INTEGER {
    struct {
        ULONG LowPart;
        ULONG HighPart;
    } u;
    ULONGLONG QuadPart;
};

struct GUID {
    ULONG Data1;
    USHORT Data2;
    USHORT Data3;
    UCHAR Data4[8];

    friend bool operator==(const GUID&, const GUID&) = default;
};
static_assert(sizeof(GUID) == 16);
using REFGUID = const GUID&;

inline bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

// Doubly linked lists threaded through the records that own them.
struct LIST_ENTRY {
    LIST_ENTRY* Flink;
    LIST_ENTRY* Blink;
};
using PLIST_ENTRY = LIST_ENTRY*;

inline void InitializeListHead(PLIST_ENTRY head) { head->Flink = head->Blink = head; }
inline bool IsListEmpty(const LIST_ENTRY* head) { return head->Flink == head; }

inline BOOLEAN RemoveEntryList(PLIST_ENTRY entry)
{
    PLIST_ENTRY next = entry->Flink;
    PLIST_ENTRY previous = entry->Blink;
    previous->Flink = next;
    next->Blink = previous;
    return next == previous;
}

inline PLIST_ENTRY RemoveHeadList(PLIST_ENTRY head)
{
    PLIST_ENTRY entry = head->Flink;
    RemoveEntryList(entry);
    return entry;
}

inline PLIST_ENTRY RemoveTailList(PLIST_ENTRY head)
{
    PLIST_ENTRY entry = head->Blink;
    RemoveEntryList(entry);
    return entry;
}

inline void InsertTailList(PLIST_ENTRY head, PLIST_ENTRY entry)
{
    PLIST_ENTRY last = head->Blink;
    entry->Flink = head;
    entry->Blink = last;
    last->Flink = entry;
    head->Blink = entry;
}

inline void InsertHeadList(PLIST_ENTRY head, PLIST_ENTRY entry)
{
    PLIST_ENTRY first = head->Flink;
    entry->Flink = first;
    entry->Blink = head;
    first->Blink = entry;
    head->Flink = entry;
}

// Counted 16-bit strings; Length and MaximumLength are in bytes.
struct UNICODE_STRING {
    USHORT Length;
    USHORT MaximumLength;
    PWSTR Buffer;
};
using PUNICODE_STRING = UNICODE_STRING*;
using PCUNICODE_STRING = const UNICODE_STRING*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

}  // namespace qm::kernel

// The record that contains a given field; the platform's own spelling.
#ifndef CONTAINING_RECORD
#define CONTAINING_RECORD(address, type, field) \
    (reinterpret_cast<type*>(reinterpret_cast<char*>(address) - offsetof(type, field)))
#endif
