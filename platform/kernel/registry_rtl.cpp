// The run-time library's registry helpers, built on the Zw* calls.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"

namespace qm::kernel {

namespace {

inline constexpr ULONG kRtlPoolTag = makePoolTag("RtlR");

// An open key for a relative-to code and path; closes what it opened.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (owned_ && handle_ != nullptr)
            ZwClose(handle_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    NTSTATUS open(ULONG relativeTo, PCWSTR path, ACCESS_MASK access, bool create)
    {
        relativeTo &= ~RTL_REGISTRY_OPTIONAL;
        if (relativeTo & RTL_REGISTRY_HANDLE) {
            handle_ = const_cast<PWSTR>(path);
            owned_ = false;
            return STATUS_SUCCESS;
        }
        std::u16string full;
        switch (relativeTo) {
        case RTL_REGISTRY_ABSOLUTE:
            break;
        case RTL_REGISTRY_SERVICES:
            full = u"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\";
            break;
        case RTL_REGISTRY_CONTROL:
            full = u"\\Registry\\Machine\\System\\CurrentControlSet\\Control\\";
            break;
        default:
            return STATUS_INVALID_PARAMETER;
        }
        if (path == nullptr)
            return STATUS_INVALID_PARAMETER;
        full += std::u16string_view(path, wideLength(path));
        if (full.size() * sizeof(WCHAR) > 0xFFFE)
            return STATUS_OBJECT_NAME_INVALID;
        UNICODE_STRING name{USHORT(full.size() * sizeof(WCHAR)), USHORT(full.size() * sizeof(WCHAR)), full.data()};
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr, nullptr);
        owned_ = true;
        if (create)
            return ZwCreateKey(&handle_, access, &attributes, 0, nullptr, REG_OPTION_NON_VOLATILE, nullptr);
        return ZwOpenKey(&handle_, access, &attributes);
    }

    NTSTATUS openSubkey(HANDLE parent, PCWSTR subkey, ACCESS_MASK access)
    {
        UNICODE_STRING name;
        RtlInitUnicodeString(&name, subkey);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, parent, nullptr);
        owned_ = true;
        return ZwOpenKey(&handle_, access, &attributes);
    }

    HANDLE get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
    bool owned_ = false;
};

bool isString(ULONG type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Stores one value the way a direct query entry asks for it.
NTSTATUS storeDirect(ULONG type, const void* data, ULONG length, PVOID entryContext)
{
    if (entryContext == nullptr)
        return STATUS_INVALID_PARAMETER;
    if (isString(type)) {
        auto* target = static_cast<PUNICODE_STRING>(entryContext);
        ULONG textBytes = length & ~1u;
        // Drop the terminator from the counted length.
        if (textBytes >= 2 && static_cast<const UCHAR*>(data)[textBytes - 1] == 0 &&
            static_cast<const UCHAR*>(data)[textBytes - 2] == 0)
            textBytes -= 2;
        if (textBytes > 0xFFFC)
            return STATUS_BUFFER_TOO_SMALL;
        if (target->Buffer == nullptr) {
            target->Buffer = static_cast<PWSTR>(ExAllocatePoolWithTag(PagedPool, textBytes + 2, kRtlPoolTag));
            if (target->Buffer == nullptr)
                return STATUS_INSUFFICIENT_RESOURCES;
            target->MaximumLength = USHORT(textBytes + 2);
        } else if (textBytes > target->MaximumLength) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        std::memcpy(target->Buffer, data, textBytes);
        target->Length = USHORT(textBytes);
        if (textBytes + 2 <= target->MaximumLength)
            target->Buffer[textBytes / 2] = 0;
        return STATUS_SUCCESS;
    }
    if (length <= sizeof(ULONG)) {
        std::memcpy(entryContext, data, length);
        return STATUS_SUCCESS;
    }
    // Larger data: the first LONG gives the buffer size, negated.
    LONG available;
    std::memcpy(&available, entryContext, sizeof available);
    if (available >= 0 || ULONG(-available) < length)
        return STATUS_BUFFER_TOO_SMALL;
    std::memcpy(entryContext, data, length);
    return STATUS_SUCCESS;
}

NTSTATUS deliver(const RTL_QUERY_REGISTRY_TABLE& entry, PWSTR name, ULONG type, PVOID data, ULONG length,
                 PVOID context)
{
    if (entry.Flags & RTL_QUERY_REGISTRY_DIRECT)
        return storeDirect(type, data, length, entry.EntryContext);
    return entry.QueryRoutine(name, type, data, length, context, entry.EntryContext);
}

// Reads one named value into a buffer; STATUS_OBJECT_NAME_NOT_FOUND when absent.
NTSTATUS readValue(HANDLE key, PCWSTR name, ULONG& type, std::vector<UCHAR>& data)
{
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name);
    ULONG needed = 0;
    NTSTATUS status = ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, nullptr, 0, &needed);
    if (status != STATUS_BUFFER_TOO_SMALL && status != STATUS_BUFFER_OVERFLOW)
        return status;
    std::vector<UCHAR> record(needed);
    status = ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, record.data(), needed, &needed);
    if (!NT_SUCCESS(status))
        return status;
    KEY_VALUE_PARTIAL_INFORMATION header;
    std::memcpy(&header, record.data(), offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data));
    type = header.Type;
    const std::size_t start = offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data);
    data.assign(record.begin() + std::ptrdiff_t(start), record.begin() + std::ptrdiff_t(start + header.DataLength));
    return STATUS_SUCCESS;
}

NTSTATUS queryAllValues(HANDLE key, const RTL_QUERY_REGISTRY_TABLE& entry, PVOID context)
{
    for (ULONG index = 0;; ++index) {
        ULONG needed = 0;
        NTSTATUS status = ZwEnumerateValueKey(key, index, KeyValueFullInformation, nullptr, 0, &needed);
        if (status == STATUS_NO_MORE_ENTRIES)
            return STATUS_SUCCESS;
        std::vector<UCHAR> record(needed + sizeof(WCHAR));
        status = ZwEnumerateValueKey(key, index, KeyValueFullInformation, record.data(), needed, &needed);
        if (!NT_SUCCESS(status))
            return status;
        KEY_VALUE_FULL_INFORMATION header;
        std::memcpy(&header, record.data(), offsetof(KEY_VALUE_FULL_INFORMATION, Name));
        std::u16string name(header.NameLength / sizeof(WCHAR), u'\0');
        std::memcpy(name.data(), record.data() + offsetof(KEY_VALUE_FULL_INFORMATION, Name), header.NameLength);
        status = deliver(entry, name.data(), header.Type, record.data() + header.DataOffset, header.DataLength,
                         context);
        if (!NT_SUCCESS(status))
            return status;
    }
}

bool tableContinues(const RTL_QUERY_REGISTRY_TABLE& entry)
{
    return entry.QueryRoutine != nullptr || (entry.Flags & (RTL_QUERY_REGISTRY_SUBKEY | RTL_QUERY_REGISTRY_DIRECT));
}

}  // namespace

NTSTATUS RtlQueryRegistryValues(ULONG relativeTo, PCWSTR path, PRTL_QUERY_REGISTRY_TABLE queryTable,
                                PVOID context, PVOID)
{
    if (queryTable == nullptr)
        return STATUS_INVALID_PARAMETER;
    KeyHandle top;
    NTSTATUS status = top.open(relativeTo, path, KEY_READ, false);
    if (!NT_SUCCESS(status))
        return status;
    std::unique_ptr<KeyHandle> subkey;
    HANDLE current = top.get();
    for (RTL_QUERY_REGISTRY_TABLE* entry = queryTable; tableContinues(*entry); ++entry) {
        if (entry->Flags & RTL_QUERY_REGISTRY_TOPKEY) {
            subkey.reset();
            current = top.get();
        }
        if ((entry->Flags & RTL_QUERY_REGISTRY_SUBKEY) && entry->Name != nullptr) {
            subkey = std::make_unique<KeyHandle>();
            status = subkey->openSubkey(top.get(), entry->Name, KEY_READ);
            if (!NT_SUCCESS(status))
                return status;
            current = subkey->get();
        }
        if (entry->QueryRoutine == nullptr && !(entry->Flags & RTL_QUERY_REGISTRY_DIRECT))
            continue;
        if (entry->Flags & RTL_QUERY_REGISTRY_NOVALUE) {
            status = entry->QueryRoutine(nullptr, REG_NONE, nullptr, 0, context, entry->EntryContext);
        } else if (entry->Name == nullptr || (entry->Flags & RTL_QUERY_REGISTRY_SUBKEY)) {
            status = queryAllValues(current, *entry, context);
        } else {
            ULONG type = REG_NONE;
            std::vector<UCHAR> data;
            status = readValue(current, entry->Name, type, data);
            if (status == STATUS_OBJECT_NAME_NOT_FOUND) {
                if (entry->Flags & RTL_QUERY_REGISTRY_REQUIRED)
                    return status;
                if (entry->DefaultType == REG_NONE) {
                    status = STATUS_SUCCESS;
                    continue;
                }
                ULONG length = entry->DefaultLength;
                if (length == 0 && isString(entry->DefaultType) && entry->DefaultData != nullptr)
                    length = ULONG((wideLength(static_cast<PCWSTR>(entry->DefaultData)) + 1) * sizeof(WCHAR));
                status = deliver(*entry, entry->Name, entry->DefaultType, entry->DefaultData, length, context);
            } else if (NT_SUCCESS(status)) {
                status = deliver(*entry, entry->Name, type, data.data(), ULONG(data.size()), context);
                if (NT_SUCCESS(status) && (entry->Flags & RTL_QUERY_REGISTRY_DELETE)) {
                    UNICODE_STRING name;
                    RtlInitUnicodeString(&name, entry->Name);
                    ZwDeleteValueKey(current, &name);
                }
            }
        }
        if (!NT_SUCCESS(status))
            return status;
    }
    return STATUS_SUCCESS;
}

NTSTATUS RtlWriteRegistryValue(ULONG relativeTo, PCWSTR path, PCWSTR valueName, ULONG valueType, PVOID valueData,
                               ULONG valueLength)
{
    KeyHandle key;
    const NTSTATUS status = key.open(relativeTo, path, KEY_SET_VALUE, false);
    if (!NT_SUCCESS(status))
        return status;
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, valueName);
    return ZwSetValueKey(key.get(), &name, 0, valueType, valueData, valueLength);
}

NTSTATUS RtlDeleteRegistryValue(ULONG relativeTo, PCWSTR path, PCWSTR valueName)
{
    KeyHandle key;
    const NTSTATUS status = key.open(relativeTo, path, KEY_SET_VALUE, false);
    if (!NT_SUCCESS(status))
        return status;
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, valueName);
    return ZwDeleteValueKey(key.get(), &name);
}

NTSTATUS RtlCheckRegistryKey(ULONG relativeTo, PWSTR path)
{
    KeyHandle key;
    return key.open(relativeTo, path, KEY_READ, false);
}

NTSTATUS RtlCreateRegistryKey(ULONG relativeTo, PWSTR path)
{
    if (relativeTo & RTL_REGISTRY_HANDLE)
        return STATUS_INVALID_PARAMETER;
    KeyHandle key;
    return key.open(relativeTo, path, KEY_ALL_ACCESS, true);
}

}  // namespace qm::kernel
