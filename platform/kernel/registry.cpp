#include "platform/kernel/registry.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/kernel/detail/registry_tree.h"
#include "platform/kernel/registry_defaults.h"
#include "platform/kernel/rtl.h"
#include "platform/kernel/timers.h"
#include "platform/system/directories.h"
#include "platform/system/files.h"
#include "platform/system/trace.h"

namespace qm::kernel {

using detail::RegistryKey;
using detail::RegistryTree;
using detail::RegistryValue;

namespace {

struct OpenKey {
    std::shared_ptr<RegistryKey> key;
    ACCESS_MASK access;
};

// The registry of the current Windows directory, its open handles and its file.
struct RegistryStore {
    std::mutex lock;
    std::string loadedPath;
    std::unique_ptr<RegistryTree> tree;
    std::map<ULONG_PTR, OpenKey> handles;
    ULONG_PTR nextHandle = 0x80000004;
};

RegistryStore& store()
{
    static RegistryStore* instance = new RegistryStore;
    return *instance;
}

std::string currentFilePath() { return sys::joinPath(sys::windowsDirectory(), detail::kRegistryFileName); }

void load(RegistryStore& registry, const std::string& path)
{
    registry.tree = std::make_unique<RegistryTree>();
    if (auto bytes = sys::readWholeFile(path))
        registry.tree->parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    else
        registry.tree->parse(detail::kDefaultRegistry);
    // Handles belong to the registry they were opened in.
    registry.handles.clear();
    registry.loadedPath = path;
}

// Under the store lock: the registry of the Windows directory in use now.
RegistryTree& currentTree(RegistryStore& registry)
{
    const std::string path = currentFilePath();
    if (!registry.tree || path != registry.loadedPath)
        load(registry, path);
    return *registry.tree;
}

void persist(RegistryStore& registry)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(registry.loadedPath).parent_path(), ignored);
    if (!sys::writeFileAtomically(registry.loadedPath, registry.tree->serialize()))
        sys::trace("registry: cannot write " + registry.loadedPath);
}

void touch(RegistryKey& key)
{
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    key.lastWriteTime = now.QuadPart;
}

bool atPassiveLevel()
{
    if (KeGetCurrentIrql() == PASSIVE_LEVEL)
        return true;
    KeBugCheckEx(IRQL_NOT_LESS_OR_EQUAL, KeGetCurrentIrql(), PASSIVE_LEVEL, 0, 0);
    return false;
}

ACCESS_MASK grantedAccess(ACCESS_MASK desired)
{
    ACCESS_MASK granted = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED);
    if (desired & GENERIC_READ)
        granted |= KEY_READ;
    if (desired & GENERIC_WRITE)
        granted |= KEY_WRITE;
    if (desired & (GENERIC_ALL | MAXIMUM_ALLOWED))
        granted |= KEY_ALL_ACCESS;
    return granted;
}

HANDLE addHandle(RegistryStore& registry, std::shared_ptr<RegistryKey> key, ACCESS_MASK access)
{
    const ULONG_PTR id = registry.nextHandle;
    registry.nextHandle += 4;
    registry.handles[id] = OpenKey{std::move(key), grantedAccess(access)};
    return reinterpret_cast<HANDLE>(id);
}

// The live key behind a handle with the access asked for.
NTSTATUS keyOf(RegistryStore& registry, HANDLE handle, ACCESS_MASK required, RegistryKey*& key)
{
    currentTree(registry);
    auto found = registry.handles.find(reinterpret_cast<ULONG_PTR>(handle));
    if (found == registry.handles.end())
        return STATUS_INVALID_HANDLE;
    if ((found->second.access & required) != required)
        return STATUS_ACCESS_DENIED;
    if (found->second.key->deleted)
        return STATUS_KEY_DELETED;
    key = found->second.key.get();
    return STATUS_SUCCESS;
}

bool validString(PCUNICODE_STRING string)
{
    return string == nullptr ||
           (string->Length % 2 == 0 && string->Length <= string->MaximumLength &&
            (string->Buffer != nullptr || string->Length == 0));
}

// The key an object name starts from and the names below it.
NTSTATUS resolve(RegistryStore& registry, POBJECT_ATTRIBUTES attributes, std::shared_ptr<RegistryKey>& start,
                 std::vector<std::u16string_view>& names)
{
    if (attributes == nullptr || attributes->ObjectName == nullptr || !validString(attributes->ObjectName))
        return STATUS_INVALID_PARAMETER;
    RegistryTree& tree = currentTree(registry);
    const std::u16string_view name = view(attributes->ObjectName);
    if (attributes->RootDirectory == nullptr) {
        start = tree.root();
        return detail::splitRegistryPath(name, true, names);
    }
    auto found = registry.handles.find(reinterpret_cast<ULONG_PTR>(attributes->RootDirectory));
    if (found == registry.handles.end())
        return STATUS_INVALID_HANDLE;
    if (found->second.key->deleted)
        return STATUS_KEY_DELETED;
    start = found->second.key;
    return detail::splitRegistryPath(name, false, names);
}

// Copies a whole information record, or as much as the rules allow.
NTSTATUS deliver(const std::vector<std::uint8_t>& record, std::size_t fixedPart, PVOID buffer, ULONG length,
                 PULONG resultLength)
{
    if (resultLength == nullptr || (buffer == nullptr && length > 0))
        return STATUS_INVALID_PARAMETER;
    *resultLength = ULONG(record.size());
    if (length < fixedPart)
        return STATUS_BUFFER_TOO_SMALL;
    std::memcpy(buffer, record.data(), std::min<std::size_t>(length, record.size()));
    return length >= record.size() ? STATUS_SUCCESS : STATUS_BUFFER_OVERFLOW;
}

void putUlong(std::vector<std::uint8_t>& record, std::size_t offset, ULONG value)
{
    std::memcpy(record.data() + offset, &value, sizeof value);
}

void putName(std::vector<std::uint8_t>& record, std::size_t offset, std::u16string_view name)
{
    std::memcpy(record.data() + offset, name.data(), name.size() * sizeof(WCHAR));
}

NTSTATUS deliverValue(const RegistryValue& value, KEY_VALUE_INFORMATION_CLASS informationClass, PVOID buffer,
                      ULONG length, PULONG resultLength)
{
    const std::size_t nameBytes = value.name.size() * sizeof(WCHAR);
    std::vector<std::uint8_t> record;
    switch (informationClass) {
    case KeyValueBasicInformation: {
        const std::size_t fixed = offsetof(KEY_VALUE_BASIC_INFORMATION, Name);
        record.assign(fixed + nameBytes, 0);
        putUlong(record, offsetof(KEY_VALUE_BASIC_INFORMATION, Type), value.type);
        putUlong(record, offsetof(KEY_VALUE_BASIC_INFORMATION, NameLength), ULONG(nameBytes));
        putName(record, fixed, value.name);
        return deliver(record, fixed, buffer, length, resultLength);
    }
    case KeyValueFullInformation: {
        const std::size_t fixed = offsetof(KEY_VALUE_FULL_INFORMATION, Name);
        const std::size_t dataOffset = (fixed + nameBytes + 3) & ~std::size_t(3);
        record.assign(dataOffset + value.data.size(), 0);
        putUlong(record, offsetof(KEY_VALUE_FULL_INFORMATION, Type), value.type);
        putUlong(record, offsetof(KEY_VALUE_FULL_INFORMATION, DataOffset), ULONG(dataOffset));
        putUlong(record, offsetof(KEY_VALUE_FULL_INFORMATION, DataLength), ULONG(value.data.size()));
        putUlong(record, offsetof(KEY_VALUE_FULL_INFORMATION, NameLength), ULONG(nameBytes));
        putName(record, fixed, value.name);
        std::copy(value.data.begin(), value.data.end(), record.begin() + std::ptrdiff_t(dataOffset));
        return deliver(record, fixed, buffer, length, resultLength);
    }
    case KeyValuePartialInformation: {
        const std::size_t fixed = offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data);
        record.assign(fixed + value.data.size(), 0);
        putUlong(record, offsetof(KEY_VALUE_PARTIAL_INFORMATION, Type), value.type);
        putUlong(record, offsetof(KEY_VALUE_PARTIAL_INFORMATION, DataLength), ULONG(value.data.size()));
        std::copy(value.data.begin(), value.data.end(), record.begin() + std::ptrdiff_t(fixed));
        return deliver(record, fixed, buffer, length, resultLength);
    }
    }
    return STATUS_INVALID_PARAMETER;
}

// Runs `operation(registry, key)` under the store lock on the live key
// behind `handle`, once the handle is known to grant `access`.
template <typename Operation>
NTSTATUS withKey(HANDLE handle, ACCESS_MASK access, Operation&& operation)
{
    RegistryStore& registry = store();
    std::lock_guard<std::mutex> guard(registry.lock);
    RegistryKey* key;
    const NTSTATUS status = keyOf(registry, handle, access, key);
    if (!NT_SUCCESS(status))
        return status;
    return operation(registry, *key);
}

// Runs `operation(registry, start, names)` under the store lock with the key
// an object name starts from and the names below it.
template <typename Operation>
NTSTATUS withResolvedName(POBJECT_ATTRIBUTES attributes, Operation&& operation)
{
    RegistryStore& registry = store();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::shared_ptr<RegistryKey> start;
    std::vector<std::u16string_view> names;
    const NTSTATUS status = resolve(registry, attributes, start, names);
    if (!NT_SUCCESS(status))
        return status;
    return operation(registry, std::move(start), names);
}

// A key was made or its values changed: stamp it, and write the registry out
// unless the key lives only in memory.
NTSTATUS keyChanged(RegistryStore& registry, RegistryKey& key)
{
    touch(key);
    if (!key.isVolatile)
        persist(registry);
    return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS ZwCreateKey(PHANDLE keyHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes, ULONG,
                     PUNICODE_STRING, ULONG createOptions, PULONG disposition)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (keyHandle == nullptr)
        return STATUS_INVALID_PARAMETER;
    return withResolvedName(objectAttributes, [&](RegistryStore& registry, std::shared_ptr<RegistryKey> start,
                                                  const std::vector<std::u16string_view>& names) {
        std::shared_ptr<RegistryKey> key;
        bool created = false;
        const bool isVolatile = (createOptions & REG_OPTION_VOLATILE) != 0;
        const NTSTATUS status = registry.tree->create(start, names, isVolatile, key, created);
        if (!NT_SUCCESS(status))
            return status;
        if (created)
            keyChanged(registry, *key);
        if (disposition != nullptr)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *keyHandle = addHandle(registry, std::move(key), desiredAccess);
        return STATUS_SUCCESS;
    });
}

NTSTATUS ZwOpenKey(PHANDLE keyHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (keyHandle == nullptr)
        return STATUS_INVALID_PARAMETER;
    return withResolvedName(objectAttributes, [&](RegistryStore& registry, std::shared_ptr<RegistryKey> start,
                                                  const std::vector<std::u16string_view>& names) {
        std::shared_ptr<RegistryKey> key = registry.tree->find(start, names);
        if (!key)
            return STATUS_OBJECT_NAME_NOT_FOUND;
        *keyHandle = addHandle(registry, std::move(key), desiredAccess);
        return STATUS_SUCCESS;
    });
}

NTSTATUS ZwClose(HANDLE handle)
{
    RegistryStore& registry = store();
    std::lock_guard<std::mutex> guard(registry.lock);
    currentTree(registry);
    return registry.handles.erase(reinterpret_cast<ULONG_PTR>(handle)) == 1 ? STATUS_SUCCESS : STATUS_INVALID_HANDLE;
}

NTSTATUS ZwDeleteKey(HANDLE keyHandle)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    return withKey(keyHandle, DELETE, [](RegistryStore& registry, RegistryKey& key) {
        const bool wasVolatile = key.isVolatile;
        const NTSTATUS status = registry.tree->remove(key);
        if (NT_SUCCESS(status) && !wasVolatile)
            persist(registry);
        return status;
    });
}

// Every change is written out as it is made, so a flush only checks the handle.
NTSTATUS ZwFlushKey(HANDLE keyHandle)
{
    return withKey(keyHandle, 0, [](RegistryStore&, RegistryKey&) { return STATUS_SUCCESS; });
}

NTSTATUS ZwQueryValueKey(HANDLE keyHandle, PUNICODE_STRING valueName, KEY_VALUE_INFORMATION_CLASS informationClass,
                         PVOID keyValueInformation, ULONG length, PULONG resultLength)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (!validString(valueName))
        return STATUS_INVALID_PARAMETER;
    return withKey(keyHandle, KEY_QUERY_VALUE, [&](RegistryStore&, RegistryKey& key) {
        const RegistryValue* value = key.findValue(view(valueName));
        if (value == nullptr)
            return STATUS_OBJECT_NAME_NOT_FOUND;
        return deliverValue(*value, informationClass, keyValueInformation, length, resultLength);
    });
}

NTSTATUS ZwSetValueKey(HANDLE keyHandle, PUNICODE_STRING valueName, ULONG, ULONG type, PVOID data, ULONG dataSize)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (!validString(valueName) || view(valueName).size() > detail::kMaxValueNameLength ||
        dataSize > detail::kMaxValueDataSize || (data == nullptr && dataSize > 0))
        return STATUS_INVALID_PARAMETER;
    return withKey(keyHandle, KEY_SET_VALUE, [&](RegistryStore& registry, RegistryKey& key) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        RegistryValue value{std::u16string(view(valueName)), type, std::vector<std::uint8_t>(bytes, bytes + dataSize)};
        if (RegistryValue* existing = key.findValue(value.name)) {
            existing->type = value.type;
            existing->data = std::move(value.data);
        } else {
            key.values.push_back(std::move(value));
        }
        return keyChanged(registry, key);
    });
}

NTSTATUS ZwDeleteValueKey(HANDLE keyHandle, PUNICODE_STRING valueName)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (!validString(valueName))
        return STATUS_INVALID_PARAMETER;
    return withKey(keyHandle, KEY_SET_VALUE, [&](RegistryStore& registry, RegistryKey& key) {
        const RegistryValue* value = key.findValue(view(valueName));
        if (value == nullptr)
            return STATUS_OBJECT_NAME_NOT_FOUND;
        key.values.erase(key.values.begin() + (value - key.values.data()));
        return keyChanged(registry, key);
    });
}

NTSTATUS ZwEnumerateKey(HANDLE keyHandle, ULONG index, KEY_INFORMATION_CLASS informationClass,
                        PVOID keyInformation, ULONG length, PULONG resultLength)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    if (informationClass != KeyBasicInformation)
        return STATUS_INVALID_PARAMETER;
    return withKey(keyHandle, KEY_ENUMERATE_SUB_KEYS, [&](RegistryStore&, RegistryKey& key) {
        if (index >= key.subkeys.size())
            return STATUS_NO_MORE_ENTRIES;
        const RegistryKey& subkey = *key.subkeys[index];
        const std::size_t fixed = offsetof(KEY_BASIC_INFORMATION, Name);
        const std::size_t nameBytes = subkey.name.size() * sizeof(WCHAR);
        std::vector<std::uint8_t> record(fixed + nameBytes, 0);
        std::memcpy(record.data(), &subkey.lastWriteTime, sizeof subkey.lastWriteTime);
        putUlong(record, offsetof(KEY_BASIC_INFORMATION, NameLength), ULONG(nameBytes));
        putName(record, fixed, subkey.name);
        return deliver(record, fixed, keyInformation, length, resultLength);
    });
}

NTSTATUS ZwEnumerateValueKey(HANDLE keyHandle, ULONG index, KEY_VALUE_INFORMATION_CLASS informationClass,
                             PVOID keyValueInformation, ULONG length, PULONG resultLength)
{
    if (!atPassiveLevel())
        return STATUS_INVALID_DEVICE_STATE;
    return withKey(keyHandle, KEY_QUERY_VALUE, [&](RegistryStore&, RegistryKey& key) {
        if (index >= key.values.size())
            return STATUS_NO_MORE_ENTRIES;
        return deliverValue(key.values[index], informationClass, keyValueInformation, length, resultLength);
    });
}

namespace sim {

std::string registryFilePath() { return currentFilePath(); }

void reloadRegistry()
{
    RegistryStore& registry = store();
    std::lock_guard<std::mutex> guard(registry.lock);
    load(registry, currentFilePath());
}

}  // namespace sim

}  // namespace qm::kernel
