#include <cstdlib>
#include <cstring>

#include "platform/system/export.h"
#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"
#include "tests/platform/twain/fake_source.h"

namespace {

using namespace qm::twain;

struct FakeSource {
    TW_IDENTITY application{};
    TW_IDENTITY source{};
    TW_UINT16 condition = TWCC_SUCCESS;
    test::FakeSourceCall last{};
} fake;

}  // namespace

QM_EXPORT TW_UINT16 DS_Entry(TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message,
                             TW_MEMREF data)
{
    if (group == DG_CONTROL && dataType == DAT_IDENTITY) {
        auto* identity = static_cast<TW_IDENTITY*>(data);
        switch (message) {
        case MSG_GET:
            std::memset(identity, 0, sizeof *identity);
            std::strcpy(identity->ProductName, test::kFakeSourceName);
            std::strcpy(identity->Manufacturer, "Tests");
            identity->ProtocolMajor = 1;
            identity->ProtocolMinor = 9;
            return TWRC_SUCCESS;
        case MSG_OPENDS:
            if (std::getenv("QM4200_FAKE_SOURCE_REFUSE") != nullptr) {
                fake.condition = test::kFakeRefusal;
                return TWRC_FAILURE;
            }
            fake.application = *origin;
            fake.source = *identity;
            return TWRC_SUCCESS;
        case MSG_CLOSEDS:
            return TWRC_SUCCESS;
        default:
            break;
        }
    }
    if (group == DG_CONTROL && dataType == DAT_STATUS && message == MSG_GET) {
        static_cast<TW_STATUS*>(data)->ConditionCode = fake.condition;
        fake.condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    fake.last = test::FakeSourceCall{origin != nullptr ? origin->Id : 0, group, dataType, message, data,
                                     fake.last.calls + 1};
    return message == MSG_PROCESSEVENT ? TWRC_NOTDSEVENT : TWRC_SUCCESS;
}

QM_EXPORT TW_UINT16 FakeSourceNotify(TW_UINT16 message)
{
    qm::sys::HMODULE manager = qm::sys::LoadLibrary(qm::sys::kSourceManagerName);
    auto entry = qm::sys::getProc<DSMENTRYPROC>(manager, kDsmEntryName);
    const TW_UINT16 rc = entry != nullptr ? entry(&fake.source, &fake.application, DG_CONTROL, DAT_NULL, message, nullptr)
                                          : TWRC_FAILURE;
    if (manager != nullptr)
        qm::sys::FreeLibrary(manager);
    return rc;
}

QM_EXPORT void FakeSourceLastCall(test::FakeSourceCall* call)
{
    *call = fake.last;
}
