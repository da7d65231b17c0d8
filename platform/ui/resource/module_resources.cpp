// The registry of modules' compiled resources and lookups by id.
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/system/byte_order.h"
#include "platform/ui/resource/resource.h"

namespace qm::ui {
namespace {

struct Registered {
    HINSTANCE base = nullptr;
    std::string file;
    const std::uint8_t* blob = nullptr;
    std::size_t size = 0;
};

// Registration runs from static constructors, before or beside everything
// else, so the registry has a mutex of its own.
std::mutex& registryMutex()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

std::vector<Registered>& registry()
{
    static std::vector<Registered>* r = new std::vector<Registered>;
    return *r;
}

// Whether an address lies in the executable (the first loaded object).
bool inMainProgram(const void* address)
{
    struct Query {
        std::uintptr_t address;
        bool found;
    } query{reinterpret_cast<std::uintptr_t>(address), false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* q = static_cast<Query*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const auto& ph = info->dlpi_phdr[i];
                const std::uintptr_t start = info->dlpi_addr + ph.p_vaddr;
                if (ph.p_type == PT_LOAD && q->address >= start && q->address < start + ph.p_memsz)
                    q->found = true;
            }
            return 1;  // only the first object is looked at
        },
        &query);
    return query.found;
}

bool sameModule(const Registered& r, HINSTANCE instance)
{
    if (instance == nullptr)
        return r.file.empty();
    if (instance == r.base)
        return true;
    // A handle from LoadLibrary: ask the loader for the registered file's.
    void* handle = dlopen(r.file.empty() ? nullptr : r.file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return handle == static_cast<void*>(instance);
}

bool validBlob(const std::uint8_t* blob, std::size_t size)
{
    return blob && size >= kResourceHeaderSize && std::memcmp(blob, "QMRS", 4) == 0 &&
           qm::sys::readLe16(blob + 4) == 1 &&
           (size - kResourceHeaderSize) / kResourceEntrySize >= qm::sys::readLe32(blob + 8);
}

}  // namespace

HINSTANCE instanceOf(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0)
        return nullptr;
    return reinterpret_cast<HINSTANCE>(info.dli_fbase);
}

HINSTANCE registerModuleResources(const void* addressInModule, const std::uint8_t* blob, std::size_t size)
{
    Registered r;
    Dl_info info{};
    if (dladdr(addressInModule, &info) != 0) {
        r.base = reinterpret_cast<HINSTANCE>(info.dli_fbase);
        if (!inMainProgram(addressInModule) && info.dli_fname)
            r.file = info.dli_fname;
    }
    r.blob = blob;
    r.size = size;
    std::lock_guard lock(registryMutex());
    registry().push_back(r);
    return r.base;
}

void unregisterModuleResources(const std::uint8_t* blob)
{
    std::lock_guard lock(registryMutex());
    auto& reg = registry();
    reg.erase(std::remove_if(reg.begin(), reg.end(), [&](const Registered& r) { return r.blob == blob; }), reg.end());
}

std::optional<ResourceData> findResource(HINSTANCE instance, unsigned id, WORD type)
{
    std::lock_guard lock(registryMutex());
    for (const Registered& r : registry()) {
        if (!sameModule(r, instance) || !validBlob(r.blob, r.size))
            continue;
        const std::uint32_t count = qm::sys::readLe32(r.blob + 8);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = r.blob + kResourceHeaderSize + std::size_t(i) * kResourceEntrySize;
            if (qm::sys::readLe16(e) != type || qm::sys::readLe32(e + 4) != id)
                continue;
            const std::uint32_t offset = qm::sys::readLe32(e + 8);
            const std::uint32_t size = qm::sys::readLe32(e + 12);
            if (offset > r.size || size > r.size - offset)
                return std::nullopt;  // a damaged entry is no resource
            return ResourceData{r.blob + offset, size};
        }
    }
    return std::nullopt;
}

std::string loadString(HINSTANCE instance, UINT id)
{
    auto found = findResource(instance, id, RT_STRING);
    if (!found)
        return {};
    return std::string(reinterpret_cast<const char*>(found->data), found->size);
}

int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const std::string text = loadString(instance, id);
    const std::size_t n = std::min(text.size(), std::size_t(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return int(n);
}

std::optional<DialogTemplate> loadDialogTemplate(HINSTANCE instance, unsigned id)
{
    auto found = findResource(instance, id, RT_DIALOG);
    if (!found)
        return std::nullopt;
    return parseDialogTemplate(found->data, found->size);
}

}  // namespace qm::ui
