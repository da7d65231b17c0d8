#include "platform/system/library.h"

#include <dlfcn.h>
#include <strings.h>

#include <string>

#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

std::string ownLibraryDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LoadLibrary), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::string path = info.dli_fname;
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void* openSourceManager()
{
    // The application chose its source manager when it loaded one; a source
    // must talk to that same instance, never load a second one beside it.
    if (void* dsm = dlopen("libtwaindsm.so.2", RTLD_NOW | RTLD_NOLOAD))
        return dsm;
    const std::string own = ownLibraryDirectory() + "/" + kOwnSourceManagerFile;
    if (void* dsm = dlopen(own.c_str(), RTLD_NOW | RTLD_NOLOAD))
        return dsm;
    return dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

HMODULE LoadLibrary(const char* pathOrName)
{
    if (pathOrName == nullptr || *pathOrName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = strcasecmp(pathOrName, kSourceManagerName) == 0
                       ? openSourceManager()
                       : dlopen(pathOrName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

bool FreeLibrary(HMODULE module)
{
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return dlclose(module) == 0;
}

void* GetProcAddress(HMODULE module, const char* name)
{
    if (module == nullptr || name == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* address = dlsym(module, name);
    if (address == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}

}  // namespace qm::sys
