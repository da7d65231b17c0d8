#include "panel/entry/acquire_link.h"

namespace qm::panel {

bool AcquireLink::bind(const char* path)
{
    unbind();
    if (path == nullptr || path[0] == '\0')
        return false;
    sys::HMODULE library = sys::LoadLibrary(path);
    if (!sys::isValidModuleHandle(library))
        return false;
    auto entry = sys::getProc<ds::AcquireEntryProc>(library, ds::kAcquireEntryName);
    if (entry == nullptr) {
        sys::FreeLibrary(library);
        return false;
    }
    library_ = library;
    entry_ = entry;
    return true;
}

void AcquireLink::unbind()
{
    if (library_ != nullptr)
        sys::FreeLibrary(library_);
    library_ = nullptr;
    entry_ = nullptr;
}

bool AcquireLink::notify(std::uint32_t code) const
{
    return entry_ != nullptr && (entry_(code, 0, 0, 0) & 0xFF) == 1;
}

}  // namespace qm::panel
