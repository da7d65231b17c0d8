// Fuzzes the registry file: the input is a whole registry.reg. What the
// parser keeps, written out and read again, must come back as the same
// text: a value that does not survive the round trip would be lost or
// changed at the next rewrite.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/kernel/detail/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using qm::kernel::detail::RegistryTree;
    RegistryTree first;
    first.parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = first.serialize();
    RegistryTree second;
    second.parse(written);
    if (second.serialize() != written)
        std::abort();
    return 0;
}
