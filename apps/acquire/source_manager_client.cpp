#include "apps/acquire/source_manager_client.h"

#include <algorithm>
#include <cstring>

namespace qm::acquire {
namespace {

std::string text(const TW_STR32& field)
{
    return std::string(field, strnlen(field, sizeof(TW_STR32)));
}

void setText(TW_STR32& field, const std::string& value)
{
    std::memset(field, 0, sizeof(TW_STR32));
    std::memcpy(field, value.data(), std::min(value.size(), sizeof(TW_STR32) - 1));
}

}  // namespace

std::string conditionName(TW_UINT16 condition)
{
    const char* name = nullptr;
    switch (condition) {
    case TWCC_SUCCESS: name = "success"; break;
    case TWCC_BUMMER: name = "failure"; break;
    case TWCC_LOWMEMORY: name = "low memory"; break;
    case TWCC_NODS: name = "no such source"; break;
    case TWCC_MAXCONNECTIONS: name = "source busy"; break;
    case TWCC_OPERATIONERROR: name = "operation error"; break;
    case TWCC_BADCAP: name = "bad capability"; break;
    case TWCC_BADPROTOCOL: name = "bad protocol"; break;
    case TWCC_BADVALUE: name = "bad value"; break;
    case TWCC_SEQERROR: name = "sequence error"; break;
    case TWCC_BADDEST: name = "bad destination"; break;
    default: name = "condition"; break;
    }
    return std::string(name) + " (" + std::to_string(condition) + ")";
}

std::string describeIdentity(const TW_IDENTITY& identity)
{
    return text(identity.ProductName) + " (" + text(identity.Manufacturer) + ", " + text(identity.ProductFamily) +
           "), version " + std::to_string(identity.Version.MajorNum) + "." +
           std::to_string(identity.Version.MinorNum) + " " + text(identity.Version.Info) + ", protocol " +
           std::to_string(identity.ProtocolMajor) + "." + std::to_string(identity.ProtocolMinor);
}

SourceManagerClient::SourceManagerClient()
{
    application_.Version.MajorNum = 1;
    application_.Version.Language = TWLG_USA;
    application_.Version.Country = TWCY_USA;
    setText(application_.Version.Info, "acquire");
    application_.ProtocolMajor = 1;
    application_.ProtocolMinor = 9;
    application_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    setText(application_.Manufacturer, "QM4200 project");
    setText(application_.ProductFamily, "Tools");
    setText(application_.ProductName, "acquire");
}

SourceManagerClient::~SourceManagerClient()
{
    close();
    if (library_ != nullptr)
        sys::FreeLibrary(library_);
}

bool SourceManagerClient::open(std::string& error)
{
    library_ = sys::LoadLibrary(sys::kSourceManagerName);
    if (!sys::isValidModuleHandle(library_)) {
        library_ = nullptr;
        error = std::string("cannot load the source manager (") + sys::kSourceManagerName +
                "): " + sys::lastLoadFailure();
        return false;
    }
    entry_ = sys::getProc<DSMENTRYPROC>(library_, kDsmEntryName);
    if (entry_ == nullptr) {
        error = std::string("the source manager has no ") + kDsmEntryName;
        return false;
    }
    void* parent = nullptr;
    if (toManager(DAT_PARENT, MSG_OPENDSM, &parent) != TWRC_SUCCESS) {
        error = "the source manager refused to open: " + managerCondition();
        return false;
    }
    managerOpen_ = true;
    return true;
}

std::vector<TW_IDENTITY> SourceManagerClient::sources()
{
    std::vector<TW_IDENTITY> found;
    TW_IDENTITY identity{};
    for (TW_UINT16 rc = toManager(DAT_IDENTITY, MSG_GETFIRST, &identity); rc == TWRC_SUCCESS;
         rc = toManager(DAT_IDENTITY, MSG_GETNEXT, &identity))
        found.push_back(identity);
    return found;
}

bool SourceManagerClient::openSource(const std::string& productName, std::string& error)
{
    TW_IDENTITY wanted{};
    if (!productName.empty()) {
        bool known = false;
        for (const TW_IDENTITY& candidate : sources())
            known = known || text(candidate.ProductName) == productName;
        if (!known) {
            error = "no source named '" + productName + "'";
            return false;
        }
        setText(wanted.ProductName, productName);
    } else if (toManager(DAT_IDENTITY, MSG_GETDEFAULT, &wanted) != TWRC_SUCCESS) {
        error = "no source installed: " + managerCondition();
        return false;
    }
    if (toManager(DAT_IDENTITY, MSG_OPENDS, &wanted) != TWRC_SUCCESS) {
        error = "cannot open " + (productName.empty() ? text(wanted.ProductName) : productName) + ": " +
                managerCondition();
        return false;
    }
    source_ = wanted;
    sourceOpen_ = true;
    return true;
}

void SourceManagerClient::close()
{
    if (sourceOpen_)
        toManager(DAT_IDENTITY, MSG_CLOSEDS, &source_);
    sourceOpen_ = false;
    if (managerOpen_) {
        void* parent = nullptr;
        toManager(DAT_PARENT, MSG_CLOSEDSM, &parent);
    }
    managerOpen_ = false;
}

TW_UINT16 SourceManagerClient::toSource(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data)
{
    if (entry_ == nullptr || !sourceOpen_)
        return TWRC_FAILURE;
    return entry_(&application_, &source_, group, dataType, message, data);
}

TW_UINT16 SourceManagerClient::toManager(TW_UINT16 dataType, TW_UINT16 message, void* data)
{
    if (entry_ == nullptr)
        return TWRC_FAILURE;
    return entry_(&application_, nullptr, DG_CONTROL, dataType, message, data);
}

std::string SourceManagerClient::sourceCondition()
{
    TW_STATUS status{};
    if (toSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return "condition unknown";
    return conditionName(status.ConditionCode);
}

std::string SourceManagerClient::managerCondition()
{
    TW_STATUS status{};
    if (toManager(DAT_STATUS, MSG_GET, &status) != TWRC_SUCCESS)
        return "condition unknown";
    return conditionName(status.ConditionCode);
}

bool SourceManagerClient::registerCallback(TWAIN_CALLBACK callback)
{
    TW_CALLBACK registration{reinterpret_cast<TW_MEMREF>(callback), 0, 0};
    return toSource(DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &registration) == TWRC_SUCCESS;
}

}  // namespace qm::acquire
