// The registry in memory: a tree of keys with typed values, looked up by
// path without regard to case, and its text file form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/ntstatus.h"

namespace qm::kernel::detail {

struct RegistryValue {
    std::u16string name;  // empty: the key's default value
    ULONG type = 0;
    std::vector<std::uint8_t> data;
};

struct RegistryKey {
    std::u16string name;
    RegistryKey* parent = nullptr;
    std::vector<std::shared_ptr<RegistryKey>> subkeys;
    std::vector<RegistryValue> values;
    bool deleted = false;
    bool isVolatile = false;
    LONGLONG lastWriteTime = 0;

    RegistryKey* findSubkey(std::u16string_view subkeyName) const;
    std::shared_ptr<RegistryKey> sharedSubkey(std::u16string_view subkeyName) const;
    RegistryValue* findValue(std::u16string_view valueName);
    // "\Registry\..." as the key was created.
    std::u16string path() const;
};

inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxValueDataSize = 1u << 20;

// Splits a path into names: absolute ("\Registry\A\B", a trailing '\' is
// accepted) or relative ("A\B"). Empty or over-long names are invalid.
NTSTATUS splitRegistryPath(std::u16string_view path, bool absolute, std::vector<std::u16string_view>& names);

class RegistryTree {
public:
    RegistryTree();

    const std::shared_ptr<RegistryKey>& root() const { return root_; }
    // Follows `names` from `start`; null when a key is missing.
    std::shared_ptr<RegistryKey> find(const std::shared_ptr<RegistryKey>& start,
                                      const std::vector<std::u16string_view>& names) const;
    // Creates the last name under the key the other names lead to (which
    // must exist); `created` tells whether it is new.
    NTSTATUS create(const std::shared_ptr<RegistryKey>& start, const std::vector<std::u16string_view>& names,
                    bool isVolatile, std::shared_ptr<RegistryKey>& key, bool& created);
    // Creates every missing key along an absolute path (loading a file).
    std::shared_ptr<RegistryKey> createPath(std::u16string_view absolutePath);
    NTSTATUS remove(RegistryKey& key);

    std::string serialize() const;
    // Adds what the text holds; unreadable lines are skipped.
    void parse(std::string_view text);

private:
    std::shared_ptr<RegistryKey> root_;
};

}  // namespace qm::kernel::detail
