#include "device/entry/proxy.h"

#include "device/entry/string_table.h"

namespace qm::device {
namespace {

std::unique_ptr<CProxy> createProxy(SessionContext& context) { return std::make_unique<CProxy>(context); }

}  // namespace

const RuntimeClass CProxy::classCProxy{"CProxy", nullptr, &createProxy};

CProxy::CProxy(SessionContext& context) : context_(context) {}

CProxy::~CProxy() = default;

std::uint8_t CProxy::Open(void*, std::uint32_t*, DriverProgressProc) { return kDriverFailure; }

std::uint8_t CProxy::Close()
{
    setConnected(false);
    return kDriverSuccess;
}

std::string CProxy::displayName() const { return strings::kGenericDriverName; }
std::string CProxy::versionText() const { return strings::kDriverVersionText; }

std::uint8_t CProxy::status(std::uint32_t, void*) { return kDriverUnsupported; }
std::uint8_t CProxy::readValue(std::uint32_t, void*, void*) { return kDriverUnsupported; }
std::uint8_t CProxy::setValue(std::uint32_t, void*) { return kDriverUnsupported; }
std::uint8_t CProxy::size(std::uint32_t, void*, void*) { return kDriverUnsupported; }
std::uint8_t CProxy::pictureAttribute(std::uint32_t, void*, void*) { return kDriverUnsupported; }
// The reserved slots exist in every session and always fail.
std::uint8_t CProxy::reserved(std::uint32_t) { return kDriverFailure; }
std::uint8_t CProxy::action(std::uint32_t, void*, void*) { return kDriverUnsupported; }

}  // namespace qm::device
