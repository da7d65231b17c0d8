#include "platform/kernel/detail/registry_tree.h"

#include <algorithm>

#include "platform/kernel/rtl.h"

namespace qm::kernel::detail {

RegistryKey* RegistryKey::findSubkey(std::u16string_view subkeyName) const
{
    return sharedSubkey(subkeyName).get();
}

std::shared_ptr<RegistryKey> RegistryKey::sharedSubkey(std::u16string_view subkeyName) const
{
    for (const auto& subkey : subkeys)
        if (equalsIgnoringCase(subkey->name, subkeyName))
            return subkey;
    return nullptr;
}

RegistryValue* RegistryKey::findValue(std::u16string_view valueName)
{
    for (RegistryValue& value : values)
        if (equalsIgnoringCase(value.name, valueName))
            return &value;
    return nullptr;
}

std::u16string RegistryKey::path() const
{
    std::vector<const RegistryKey*> chain;
    for (const RegistryKey* key = this; key != nullptr; key = key->parent)
        chain.push_back(key);
    std::u16string result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        result += u'\\';
        result += (*it)->name;
    }
    return result;
}

NTSTATUS splitRegistryPath(std::u16string_view path, bool absolute, std::vector<std::u16string_view>& names)
{
    names.clear();
    if (absolute) {
        if (path.empty() || path.front() != u'\\')
            return STATUS_OBJECT_PATH_NOT_FOUND;
        path.remove_prefix(1);
    } else if (!path.empty() && path.front() == u'\\') {
        return STATUS_OBJECT_NAME_INVALID;
    }
    if (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    while (!path.empty()) {
        const std::size_t end = std::min(path.find(u'\\'), path.size());
        const std::u16string_view name = path.substr(0, end);
        if (name.empty() || name.size() > kMaxKeyNameLength)
            return STATUS_OBJECT_NAME_INVALID;
        names.push_back(name);
        path.remove_prefix(end == path.size() ? end : end + 1);
    }
    if (absolute) {
        if (names.empty() || !equalsIgnoringCase(names.front(), u"Registry"))
            return STATUS_OBJECT_PATH_NOT_FOUND;
        names.erase(names.begin());
    }
    return STATUS_SUCCESS;
}

RegistryTree::RegistryTree() : root_(std::make_shared<RegistryKey>())
{
    root_->name = u"Registry";
    createPath(u"\\Registry\\MACHINE");
    createPath(u"\\Registry\\USER");
}

std::shared_ptr<RegistryKey> RegistryTree::find(const std::shared_ptr<RegistryKey>& start,
                                                const std::vector<std::u16string_view>& names) const
{
    std::shared_ptr<RegistryKey> key = start;
    for (std::u16string_view name : names) {
        key = key->sharedSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

NTSTATUS RegistryTree::create(const std::shared_ptr<RegistryKey>& start,
                              const std::vector<std::u16string_view>& names, bool isVolatile,
                              std::shared_ptr<RegistryKey>& key, bool& created)
{
    created = false;
    if (names.empty()) {
        key = start;
        return STATUS_SUCCESS;
    }
    std::shared_ptr<RegistryKey> parent =
        find(start, std::vector<std::u16string_view>(names.begin(), names.end() - 1));
    if (!parent)
        return STATUS_OBJECT_NAME_NOT_FOUND;
    if (auto existing = parent->sharedSubkey(names.back())) {
        key = existing;
        return STATUS_SUCCESS;
    }
    if (parent->isVolatile && !isVolatile)
        return STATUS_CHILD_MUST_BE_VOLATILE;
    auto fresh = std::make_shared<RegistryKey>();
    fresh->name = std::u16string(names.back());
    fresh->parent = parent.get();
    fresh->isVolatile = isVolatile;
    parent->subkeys.push_back(fresh);
    key = fresh;
    created = true;
    return STATUS_SUCCESS;
}

std::shared_ptr<RegistryKey> RegistryTree::createPath(std::u16string_view absolutePath)
{
    std::vector<std::u16string_view> names;
    if (!NT_SUCCESS(splitRegistryPath(absolutePath, true, names)))
        return nullptr;
    std::shared_ptr<RegistryKey> key = root_;
    for (std::u16string_view name : names) {
        std::shared_ptr<RegistryKey> next;
        bool created;
        if (!NT_SUCCESS(create(key, {name}, false, next, created)))
            return nullptr;
        key = next;
    }
    return key;
}

NTSTATUS RegistryTree::remove(RegistryKey& key)
{
    // The roots of the hives stay.
    if (key.parent == nullptr || key.parent == root_.get())
        return STATUS_CANNOT_DELETE;
    if (!key.subkeys.empty())
        return STATUS_CANNOT_DELETE;
    auto& siblings = key.parent->subkeys;
    auto found = std::find_if(siblings.begin(), siblings.end(),
                              [&](const std::shared_ptr<RegistryKey>& entry) { return entry.get() == &key; });
    if (found == siblings.end())
        return STATUS_KEY_DELETED;
    const std::shared_ptr<RegistryKey> keepAlive = *found;
    siblings.erase(found);
    key.deleted = true;
    key.parent = nullptr;
    return STATUS_SUCCESS;
}

}  // namespace qm::kernel::detail
