// The registry: keys under \Registry with typed values, opened by absolute
// kernel paths (or relative to an open key), names compared without regard
// to case. The whole registry lives in one file under the Windows directory
// W, rewritten atomically after every change so settings survive a restart;
// volatile keys live in memory only. Registry calls are for passive level.
//
// The file is a text file with one "[\Registry\...]" section per key and one
// line per value ("Name"=dword:0000001f, "Name"="text", @= for the default
// value, hex(type): for anything else); lines it cannot read are skipped.
#pragma once

#include <string>

#include "platform/kernel/pool.h"
#include "platform/kernel/ntstatus.h"

namespace qm::kernel {

// Value types.
inline constexpr ULONG REG_NONE = 0;
inline constexpr ULONG REG_SZ = 1;
inline constexpr ULONG REG_EXPAND_SZ = 2;
inline constexpr ULONG REG_BINARY = 3;
inline constexpr ULONG REG_DWORD = 4;
inline constexpr ULONG REG_MULTI_SZ = 7;

// Access rights.
inline constexpr ACCESS_MASK DELETE = 0x00010000;
inline constexpr ACCESS_MASK KEY_QUERY_VALUE = 0x0001;
inline constexpr ACCESS_MASK KEY_SET_VALUE = 0x0002;
inline constexpr ACCESS_MASK KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr ACCESS_MASK KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr ACCESS_MASK KEY_NOTIFY = 0x0010;
inline constexpr ACCESS_MASK KEY_READ = 0x00020019;
inline constexpr ACCESS_MASK KEY_WRITE = 0x00020006;
inline constexpr ACCESS_MASK KEY_ALL_ACCESS = 0x000F003F;
inline constexpr ACCESS_MASK MAXIMUM_ALLOWED = 0x02000000;
inline constexpr ACCESS_MASK GENERIC_READ = 0x80000000;
inline constexpr ACCESS_MASK GENERIC_WRITE = 0x40000000;
inline constexpr ACCESS_MASK GENERIC_ALL = 0x10000000;

// Object attributes.
inline constexpr ULONG OBJ_INHERIT = 0x00000002;
inline constexpr ULONG OBJ_CASE_INSENSITIVE = 0x00000040;
inline constexpr ULONG OBJ_OPENIF = 0x00000080;
inline constexpr ULONG OBJ_KERNEL_HANDLE = 0x00000200;

// Create options and dispositions.
inline constexpr ULONG REG_OPTION_NON_VOLATILE = 0x00000000;
inline constexpr ULONG REG_OPTION_VOLATILE = 0x00000001;
inline constexpr ULONG REG_CREATED_NEW_KEY = 0x00000001;
inline constexpr ULONG REG_OPENED_EXISTING_KEY = 0x00000002;

struct OBJECT_ATTRIBUTES {
    ULONG Length;
    HANDLE RootDirectory;
    PUNICODE_STRING ObjectName;
    ULONG Attributes;
    PVOID SecurityDescriptor;
    PVOID SecurityQualityOfService;
};
using POBJECT_ATTRIBUTES = OBJECT_ATTRIBUTES*;

inline void InitializeObjectAttributes(POBJECT_ATTRIBUTES attributes, PUNICODE_STRING name, ULONG flags,
                                       HANDLE root, PVOID securityDescriptor)
{
    attributes->Length = sizeof(OBJECT_ATTRIBUTES);
    attributes->RootDirectory = root;
    attributes->ObjectName = name;
    attributes->Attributes = flags;
    attributes->SecurityDescriptor = securityDescriptor;
    attributes->SecurityQualityOfService = nullptr;
}

enum KEY_VALUE_INFORMATION_CLASS {
    KeyValueBasicInformation = 0,
    KeyValueFullInformation = 1,
    KeyValuePartialInformation = 2,
};
enum KEY_INFORMATION_CLASS { KeyBasicInformation = 0 };

struct KEY_VALUE_BASIC_INFORMATION {
    ULONG TitleIndex;
    ULONG Type;
    ULONG NameLength;
    WCHAR Name[1];
};
struct KEY_VALUE_FULL_INFORMATION {
    ULONG TitleIndex;
    ULONG Type;
    ULONG DataOffset;
    ULONG DataLength;
    ULONG NameLength;
    WCHAR Name[1];
};
struct KEY_VALUE_PARTIAL_INFORMATION {
    ULONG TitleIndex;
    ULONG Type;
    ULONG DataLength;
    UCHAR Data[1];
};
struct KEY_BASIC_INFORMATION {
    LARGE_INTEGER LastWriteTime;
    ULONG TitleIndex;
    ULONG NameLength;
    WCHAR Name[1];
};
using PKEY_VALUE_PARTIAL_INFORMATION = KEY_VALUE_PARTIAL_INFORMATION*;
using PKEY_VALUE_FULL_INFORMATION = KEY_VALUE_FULL_INFORMATION*;

NTSTATUS ZwCreateKey(PHANDLE keyHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                     ULONG titleIndex, PUNICODE_STRING keyClass, ULONG createOptions, PULONG disposition);
NTSTATUS ZwOpenKey(PHANDLE keyHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes);
NTSTATUS ZwClose(HANDLE handle);
// Fails with STATUS_CANNOT_DELETE while the key has subkeys.
NTSTATUS ZwDeleteKey(HANDLE keyHandle);
NTSTATUS ZwFlushKey(HANDLE keyHandle);
// An empty or null name is the key's default value. A buffer too small for
// the fixed part gives STATUS_BUFFER_TOO_SMALL, one too small for the data
// STATUS_BUFFER_OVERFLOW; both report the size needed.
NTSTATUS ZwQueryValueKey(HANDLE keyHandle, PUNICODE_STRING valueName, KEY_VALUE_INFORMATION_CLASS informationClass,
                         PVOID keyValueInformation, ULONG length, PULONG resultLength);
NTSTATUS ZwSetValueKey(HANDLE keyHandle, PUNICODE_STRING valueName, ULONG titleIndex, ULONG type, PVOID data,
                       ULONG dataSize);
NTSTATUS ZwDeleteValueKey(HANDLE keyHandle, PUNICODE_STRING valueName);
// STATUS_NO_MORE_ENTRIES past the last one.
NTSTATUS ZwEnumerateKey(HANDLE keyHandle, ULONG index, KEY_INFORMATION_CLASS informationClass,
                        PVOID keyInformation, ULONG length, PULONG resultLength);
NTSTATUS ZwEnumerateValueKey(HANDLE keyHandle, ULONG index, KEY_VALUE_INFORMATION_CLASS informationClass,
                             PVOID keyValueInformation, ULONG length, PULONG resultLength);

// The run-time library's registry helpers.
inline constexpr ULONG RTL_REGISTRY_ABSOLUTE = 0;
inline constexpr ULONG RTL_REGISTRY_SERVICES = 1;
inline constexpr ULONG RTL_REGISTRY_CONTROL = 2;
inline constexpr ULONG RTL_REGISTRY_HANDLE = 0x40000000;
inline constexpr ULONG RTL_REGISTRY_OPTIONAL = 0x80000000;

inline constexpr ULONG RTL_QUERY_REGISTRY_SUBKEY = 0x00000001;
inline constexpr ULONG RTL_QUERY_REGISTRY_TOPKEY = 0x00000002;
inline constexpr ULONG RTL_QUERY_REGISTRY_REQUIRED = 0x00000004;
inline constexpr ULONG RTL_QUERY_REGISTRY_NOVALUE = 0x00000008;
inline constexpr ULONG RTL_QUERY_REGISTRY_NOEXPAND = 0x00000010;
inline constexpr ULONG RTL_QUERY_REGISTRY_DIRECT = 0x00000020;
inline constexpr ULONG RTL_QUERY_REGISTRY_DELETE = 0x00000040;

using PRTL_QUERY_REGISTRY_ROUTINE = NTSTATUS (*)(PWSTR valueName, ULONG valueType, PVOID valueData,
                                                 ULONG valueLength, PVOID context, PVOID entryContext);

struct RTL_QUERY_REGISTRY_TABLE {
    PRTL_QUERY_REGISTRY_ROUTINE QueryRoutine;
    ULONG Flags;
    PWSTR Name;
    PVOID EntryContext;
    ULONG DefaultType;
    PVOID DefaultData;
    ULONG DefaultLength;
};
using PRTL_QUERY_REGISTRY_TABLE = RTL_QUERY_REGISTRY_TABLE*;

// Direct queries store a REG_DWORD into the ULONG at EntryContext and a
// string into the UNICODE_STRING there (allocating its buffer from pool when
// it has none). The table ends with an entry that has neither a routine nor
// a name.
NTSTATUS RtlQueryRegistryValues(ULONG relativeTo, PCWSTR path, PRTL_QUERY_REGISTRY_TABLE queryTable,
                                PVOID context, PVOID environment);
NTSTATUS RtlWriteRegistryValue(ULONG relativeTo, PCWSTR path, PCWSTR valueName, ULONG valueType, PVOID valueData,
                               ULONG valueLength);
NTSTATUS RtlDeleteRegistryValue(ULONG relativeTo, PCWSTR path, PCWSTR valueName);
NTSTATUS RtlCheckRegistryKey(ULONG relativeTo, PWSTR path);
NTSTATUS RtlCreateRegistryKey(ULONG relativeTo, PWSTR path);

namespace sim {

// The registry file of the current Windows directory.
std::string registryFilePath();
// Drops the registry in memory (and every open key handle) and reads the
// file again, as a restart would.
void reloadRegistry();

}  // namespace sim

}  // namespace qm::kernel
