// Run-time library loading with the host platform's semantics: libraries are
// reference counted, loaded by path or resolved by name through the loader,
// and their exports looked up by name.
#pragma once

#include <cstdint>
#include <string>

namespace qm::sys {

struct ModuleHandleTag;
using HMODULE = ModuleHandleTag*;

// The name under which TWAIN sources reach the source manager. It resolves to
// the source manager the process already uses: the TWAIN Working Group's
// libtwaindsm.so.2 when the application loaded it, else ours.
inline constexpr const char* kSourceManagerName = "TWAIN_32.DLL";
// Our source manager, next to this library in the build's lib directory.
inline constexpr const char* kOwnSourceManagerFile = "libqmdsm.so";

// Loads the library at a path (containing '/') or by name; each successful
// call adds a reference. Returns null and sets the last error on failure.
HMODULE LoadLibrary(const char* pathOrName);
// Drops one reference; the library unloads with its last reference.
bool FreeLibrary(HMODULE module);
// Address of an exported symbol, or null (last error set) when it is missing.
void* GetProcAddress(HMODULE module, const char* name);

// The loader's reason for this thread's last failed LoadLibrary ("cannot
// open shared object file: No such file or directory", ...).
std::string lastLoadFailure();

// The file of the loaded program or library that holds `address`, by the
// path it was loaded under (links not resolved, made absolute); empty when
// the address belongs to nothing loaded.
std::string loadedFileOf(const void* address);

// The directory of the platform's own libraries: where this library, and
// beside it our source manager, lie (build/lib, or lib/qm4200 installed).
std::string platformLibraryDirectory();

// Handles are addresses; the platform reports success as a value above 32.
inline bool isValidModuleHandle(HMODULE module)
{
    return reinterpret_cast<std::uintptr_t>(module) > 32;
}

// Typed export lookup.
template <typename Fn>
Fn getProc(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

}  // namespace qm::sys
