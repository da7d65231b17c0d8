// DeviceApp, the device module's one object: it owns the camera session,
// turns every DriverEntry call into one session operation, refuses calls
// without a session or during another call, and keeps the settings that need
// no camera.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "device/entry/driver_entry.h"
#include "device/entry/progress_reporter.h"
#include "device/entry/session_context.h"
#include "device/entry/session_registry.h"
#include "device/entry/session_timing.h"

namespace qm::device {

class CProxy;

class DeviceApp {
public:
    DeviceApp(std::initializer_list<const RuntimeClass*> sessionClasses, SessionTiming timing);
    ~DeviceApp();
    DeviceApp(const DeviceApp&) = delete;
    DeviceApp& operator=(const DeviceApp&) = delete;

    // Module start: the loading thread runs time-critical. Module end: the
    // connection is marked closed and the thread's priority is normal again.
    void startUp();
    void shutDown();

    std::uint8_t driverEntry(std::uint32_t type, std::uint32_t* code, void* out, void* data);

    bool connected() const { return connected_ != 0; }
    std::uint8_t lastCheckStatus() const { return lastCheckStatus_; }
    std::uint8_t lastResult() const { return lastResult_; }
    const CProxy* session() const { return session_.get(); }
    const ProgressReporter& progress() const { return progress_; }

private:
    std::uint8_t connect(std::uint32_t* code, void* out, void* data);
    std::uint8_t disconnect();
    std::uint8_t describe(std::uint32_t code, void* out, void* data);
    // The check before an operation: 1 to go on, else the refusal.
    std::uint8_t check();
    std::uint8_t runOperation(std::uint32_t type, std::uint32_t code, void* out, void* data);

    // Handled by the module itself, without a session.
    std::uint8_t readPreferredSpeed(void* out) const;
    std::uint8_t writePreferredSpeed(void* value) const;

    std::uint32_t connected_ = 0;
    std::uint8_t lastCheckStatus_ = kDriverSuccess;
    std::uint8_t lastResult_ = kDriverSuccess;
    bool connecting_ = false;
    ProgressReporter progress_;
    SessionContext context_;
    SessionRegistry registry_;
    std::unique_ptr<CProxy> session_;
};

}  // namespace qm::device
