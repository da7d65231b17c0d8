// A library the panel loads by path and the one export it calls, bound and
// released together: an empty path, a library that does not load or one
// without the export binds nothing.
#pragma once

#include "platform/system/library.h"

namespace qm::panel {

template <typename Proc>
class LibraryBinding {
public:
    LibraryBinding() = default;
    ~LibraryBinding() { unbind(); }
    LibraryBinding(const LibraryBinding&) = delete;
    LibraryBinding& operator=(const LibraryBinding&) = delete;

    bool bind(const char* path, const char* exportName)
    {
        unbind();
        if (path == nullptr || path[0] == '\0')
            return false;
        sys::HMODULE library = sys::LoadLibrary(path);
        if (!sys::isValidModuleHandle(library))
            return false;
        auto entry = sys::getProc<Proc>(library, exportName);
        if (entry == nullptr) {
            sys::FreeLibrary(library);
            return false;
        }
        library_ = library;
        entry_ = entry;
        return true;
    }

    void unbind()
    {
        if (library_ != nullptr)
            sys::FreeLibrary(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }

    Proc entry() const { return entry_; }

private:
    sys::HMODULE library_ = nullptr;
    Proc entry_ = nullptr;
};

}  // namespace qm::panel
