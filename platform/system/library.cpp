#include "platform/system/library.h"

#include <dlfcn.h>
#include <strings.h>

#include <filesystem>
#include <string>

#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

thread_local std::string loadFailure;

void* openSourceManager()
{
    // The application chose its source manager when it loaded one; a source
    // must talk to that same instance, never load a second one beside it.
    if (void* dsm = dlopen("libtwaindsm.so.2", RTLD_NOW | RTLD_NOLOAD))
        return dsm;
    const std::string own = platformLibraryDirectory() + "/" + kOwnSourceManagerFile;
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
        const char* reason = dlerror();
        loadFailure = reason != nullptr ? reason : "not found";
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

std::string lastLoadFailure() { return loadFailure; }

std::string loadedFileOf(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0')
        return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : absolute.lexically_normal().string();
}

std::string platformLibraryDirectory()
{
    const std::string self = loadedFileOf(reinterpret_cast<const void*>(&LoadLibrary));
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

}  // namespace qm::sys
