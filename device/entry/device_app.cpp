#include "device/entry/device_app.h"

#include <cstring>

#include "device/entry/call_arguments.h"
#include "device/entry/description_records.h"
#include "device/entry/proxy.h"
#include "device/entry/speed_preference.h"
#include "platform/system/threads.h"

namespace qm::device {
namespace {

// Sets the session's busy flag for one operation and clears it on every way out.
class BusyScope {
public:
    explicit BusyScope(CProxy& session) : session_(session) { session_.setBusy(true); }
    ~BusyScope() { session_.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CProxy& session_;
};

class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

DeviceApp::DeviceApp(std::initializer_list<const RuntimeClass*> sessionClasses, SessionTiming timing)
    : context_{progress_, timing}
{
    for (const RuntimeClass* sessionClass : sessionClasses)
        registry_.add(*sessionClass);
}

DeviceApp::~DeviceApp()
{
    if (session_)
        session_->Close();
    session_.reset();
}

void DeviceApp::startUp() { sys::SetThreadPriority(sys::THREAD_PRIORITY_TIME_CRITICAL); }

void DeviceApp::shutDown()
{
    connected_ = 0;
    sys::SetThreadPriority(sys::THREAD_PRIORITY_NORMAL);
}

std::uint8_t DeviceApp::driverEntry(std::uint32_t type, std::uint32_t* code, void* out, void* data)
{
    if (type == kTypeConnect)
        return connect(code, out, data);
    if (type < kTypeConnect || type > kTypeDescription)
        return kDriverUnsupported;
    if (code == nullptr && type != kTypeDisconnect)
        return kDriverFailure;
    const std::uint32_t subCode = code != nullptr ? *code : 0;

    if (type == kTypeDescription)
        return describe(subCode, out, data);
    if (type == kTypeAction && subCode == kActionNothing)
        return kDriverSuccess;
    // The speed preference lives in KVB.ini and needs no camera.
    if (!connected()) {
        if (type == kTypeReadValue && subCode == kReadPreferredSpeed)
            return readPreferredSpeed(out);
        if (type == kTypeSetValue && subCode == kSetPreferredSpeed)
            return writePreferredSpeed(out);
    }

    const std::uint8_t status = check();
    if (status != kDriverSuccess) {
        // Reads and writes of single values report a missing session as a failure.
        if (status == kDriverNoSession && (type == kTypeReadValue || type == kTypeSetValue))
            return kDriverFailure;
        return status;
    }
    if (type == kTypeDisconnect)
        return disconnect();
    BusyScope busy(*session_);
    lastResult_ = runOperation(type, subCode, out, data);
    return lastResult_;
}

std::uint8_t DeviceApp::check()
{
    lastCheckStatus_ = kDriverSuccess;
    if (!connected() || !session_)
        lastCheckStatus_ = kDriverNoSession;
    else if (session_->busy() || connecting_)
        lastCheckStatus_ = kDriverBusy;
    return lastCheckStatus_;
}

std::uint8_t DeviceApp::connect(std::uint32_t* code, void* out, void* data)
{
    // A connect from inside a running operation would pull the session away
    // from under it.
    if (connecting_ || (session_ && session_->busy()))
        return kDriverBusy;
    FlagScope connecting(connecting_);
    auto* pictureCount = static_cast<std::uint32_t*>(out);
    const auto progress = reinterpret_cast<DriverProgressProc>(data);

    if (session_) {
        BusyScope busy(*session_);
        if (session_->Open(code, pictureCount, progress) == kDriverSuccess) {
            connected_ = 1;
            return kDriverSuccess;
        }
    }
    std::unique_ptr<CProxy> fresh = registry_.connect(context_, code, pictureCount, progress);
    if (!fresh) {
        connected_ = 0;
        return kDriverFailure;
    }
    session_ = std::move(fresh);
    connected_ = 1;
    return kDriverSuccess;
}

std::uint8_t DeviceApp::disconnect()
{
    {
        BusyScope busy(*session_);
        session_->Close();
    }
    session_.reset();
    connected_ = 0;
    lastResult_ = kDriverSuccess;
    return kDriverSuccess;
}

std::uint8_t DeviceApp::describe(std::uint32_t code, void* out, void* data)
{
    if (code != kDescribeDriver && code != kDescribeSettings)
        return kDriverUnsupported;
    const std::optional<std::uint32_t> length = loadValue(data);
    if (out == nullptr || !length)
        return kDriverFailure;
    const std::span<std::uint8_t> record(static_cast<std::uint8_t*>(out), *length);
    const std::optional<SessionFacts> facts = session_ ? session_->facts() : std::nullopt;
    return code == kDescribeDriver ? writeDriverInfoRecord(record, facts) : writeSettingsDescription(record, facts);
}

std::uint8_t DeviceApp::runOperation(std::uint32_t type, std::uint32_t code, void* out, void* data)
{
    CProxy& session = *session_;
    switch (type) {
    case kTypeStatus:
        return session.status(code, out);
    case kTypeReadValue:
        return session.readValue(code, out, data);
    case kTypeSetValue:
        return session.setValue(code, out);
    case kTypeSize:
        return session.size(code, out, data);
    case kTypePictureAttribute:
        return session.pictureAttribute(code, out, data);
    case kTypeReserved:
        return code >= kReservedFirst && code <= kReservedLast ? session.reserved(code) : kDriverUnsupported;
    case kTypeAction:
        return session.action(code, out, data);
    default:
        return kDriverUnsupported;
    }
}

std::uint8_t DeviceApp::readPreferredSpeed(void* out) const
{
    return storeValue(out, speed_preference::read()) ? kDriverSuccess : kDriverFailure;
}

std::uint8_t DeviceApp::writePreferredSpeed(void* value) const
{
    const std::optional<std::uint32_t> rate = loadValue(value);
    if (!rate)
        return kDriverFailure;
    speed_preference::write(*rate);
    return kDriverSuccess;
}

}  // namespace qm::device
