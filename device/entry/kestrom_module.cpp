// The Kestrom device module: its one object and its one export.
#include <cstdint>

#include "device/entry/dc_proxy.h"
#include "device/entry/device_app.h"
#include "platform/system/export.h"
#include "platform/system/threads.h"

namespace qm::device {
namespace {

// Built when the module loads and torn down when it unloads; it starts no
// thread, so the module loads and unloads any number of times.
class KestromModule {
public:
    KestromModule() : app({&CDCProxy::classCDCProxy}, SessionTiming::likeTheLink()) { app.startUp(); }
    ~KestromModule() { app.shutDown(); }

    DeviceApp app;
};

KestromModule theModule;

}  // namespace
}  // namespace qm::device

QM_EXPORT std::uint8_t DriverEntry(std::uint32_t type, std::uint32_t* code, void* out, void* data)
{
    qm::sys::ModuleEntryGuard entry;
    try {
        return qm::device::theModule.app.driverEntry(type, code, out, data);
    } catch (...) {
        // No exception leaves the module: memory that cannot be had, for
        // one, fails the call.
        return qm::device::kDriverFailure;
    }
}
