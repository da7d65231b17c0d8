#include "device/entry/session_registry.h"

#include "common/config/kvb_config.h"
#include "device/entry/proxy.h"
#include "device/entry/string_table.h"

namespace qm::device {

std::vector<std::size_t> SessionRegistry::passOrder(int cameraType) const
{
    std::vector<std::size_t> order;
    const bool remembered = cameraType >= 0 && std::size_t(cameraType) < classes_.size();
    if (remembered)
        order.push_back(std::size_t(cameraType));
    for (std::size_t index = 0; index < classes_.size(); ++index)
        if (!remembered || index != std::size_t(cameraType))
            order.push_back(index);
    return order;
}

std::unique_ptr<CProxy> SessionRegistry::connect(SessionContext& context, void* code, std::uint32_t* pictureCount,
                                                 DriverProgressProc progress) const
{
    const int cameraType =
        config::readInt(strings::kSectionMain, strings::kKeyCameraType, strings::kNoCameraType);
    for (std::size_t index : passOrder(cameraType)) {
        const RuntimeClass& sessionClass = *classes_[index];
        if (sessionClass.createObject == nullptr)
            continue;
        std::unique_ptr<CProxy> session = sessionClass.createObject(context);
        if (session && session->Open(code, pictureCount, progress) == kDriverSuccess) {
            config::writeInt(strings::kSectionMain, strings::kKeyCameraType, int(index));
            return session;
        }
    }
    return nullptr;
}

}  // namespace qm::device
