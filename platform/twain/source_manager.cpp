#include "platform/twain/source_manager.h"

#include <cstring>

#include "platform/twain/source_scan.h"

namespace qm::twain {
namespace {

bool isNotification(TW_UINT16 message)
{
    return message == MSG_XFERREADY || message == MSG_CLOSEDSREQ || message == MSG_CLOSEDSOK ||
           message == MSG_DEVICEEVENT;
}

bool sameName(const TW_STR32& a, const TW_STR32& b)
{
    return std::strncmp(a, b, sizeof(TW_STR32)) == 0;
}

}  // namespace

SourceManager& sourceManager()
{
    static SourceManager manager;
    return manager;
}

TW_UINT16 SourceManager::entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                               TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data)
{
    if (origin == nullptr)
        return fail(nullptr, TWCC_BADPROTOCOL);

    // A source talking back to the application that opened it.
    if (destination != nullptr && findApplication(origin) == nullptr)
        return fromSource(origin, destination, group, dataType, message);

    Application* app = findApplication(origin);
    if (destination == nullptr)
        return managerTriplet(app, origin, group, dataType, message, data);
    if (app == nullptr)
        return fail(nullptr, TWCC_SEQERROR);
    return toSource(*app, destination, group, dataType, message, data);
}

TW_UINT16 SourceManager::managerTriplet(Application* app, TW_IDENTITY* origin, TW_UINT32 group,
                                        TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data)
{
    if (group != DG_CONTROL)
        return fail(app, TWCC_BADPROTOCOL);

    if (dataType == DAT_STATUS) {
        if (message != MSG_GET)
            return fail(app, TWCC_BADPROTOCOL);
        if (data == nullptr)
            return fail(app, TWCC_BADVALUE);
        TW_UINT16& condition = app != nullptr ? app->condition : strayCondition_;
        auto* status = static_cast<TW_STATUS*>(data);
        status->ConditionCode = condition;
        status->Reserved = 0;
        condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }

    if (dataType == DAT_PARENT && message == MSG_OPENDSM) {
        if (app != nullptr)
            return fail(app, TWCC_SEQERROR);
        return openManager(origin);
    }
    if (app == nullptr)
        return fail(nullptr, TWCC_SEQERROR);
    app->condition = TWCC_SUCCESS;

    switch (dataType) {
    case DAT_PARENT:
        if (message != MSG_CLOSEDSM)
            return fail(app, TWCC_BADPROTOCOL);
        return closeManager(*app);
    case DAT_IDENTITY:
        if (data == nullptr)
            return fail(app, TWCC_BADVALUE);
        return identityTriplet(*app, message, static_cast<TW_IDENTITY*>(data));
    case DAT_CALLBACK:
        if (message != MSG_REGISTER_CALLBACK)
            return fail(app, TWCC_BADPROTOCOL);
        if (data == nullptr)
            return fail(app, TWCC_BADVALUE);
        app->callback = reinterpret_cast<TWAIN_CALLBACK>(static_cast<TW_CALLBACK*>(data)->CallBackProc);
        return TWRC_SUCCESS;
    default:
        return fail(app, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::openManager(TW_IDENTITY* origin)
{
    Application app;
    origin->Id = nextId_++;
    app.identity = *origin;
    app.sources = scanSources(app.identity);
    applications_.push_back(std::move(app));
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::closeManager(Application& app)
{
    for (const Source& source : app.sources) {
        if (source.module != nullptr)
            return fail(&app, TWCC_SEQERROR);  // close the sources first
    }
    applications_.remove_if([&](const Application& a) { return &a == &app; });
    return TWRC_SUCCESS;
}

std::vector<SourceManager::Source> SourceManager::scanSources(const TW_IDENTITY& appIdentity)
{
    std::vector<Source> sources;
    for (const std::string& path : findSourceFiles(sourceDirectories())) {
        sys::HMODULE module = sys::LoadLibrary(path.c_str());
        if (!sys::isValidModuleHandle(module))
            continue;
        Source source;
        source.path = path;
        TW_IDENTITY caller = appIdentity;
        if (auto dsEntry = sys::getProc<DSENTRYPROC>(module, kDsEntryName)) {
            const TW_UINT16 rc = dsEntry(&caller, DG_CONTROL, DAT_IDENTITY, MSG_GET, &source.identity);
            // A source serving another application answers without filling
            // the identity; it is not offered.
            if (rc == TWRC_SUCCESS && source.identity.ProductName[0] != '\0') {
                source.identity.Id = nextId_++;
                sources.push_back(source);
            }
        }
        sys::FreeLibrary(module);
    }
    return sources;
}

SourceManager::Source* SourceManager::defaultSource(Application& app)
{
    if (Source* last = findSource(app, app.lastOpened))
        return last;
    return app.sources.empty() ? nullptr : &app.sources.front();
}

TW_UINT16 SourceManager::identityTriplet(Application& app, TW_UINT16 message, TW_IDENTITY* data)
{
    switch (message) {
    case MSG_GETFIRST:
        app.cursor = 0;
        [[fallthrough]];
    case MSG_GETNEXT:
        if (app.cursor >= app.sources.size())
            return TWRC_ENDOFLIST;
        *data = app.sources[app.cursor++].identity;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
    case MSG_USERSELECT: {
        // Without a selection dialog the user's choice is the default source.
        Source* source = defaultSource(app);
        if (source == nullptr)
            return fail(&app, TWCC_NODS);
        *data = source->identity;
        return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
        return openSource(app, data);
    case MSG_CLOSEDS:
        return closeSource(app, data);
    default:
        return fail(&app, TWCC_BADPROTOCOL);
    }
}

TW_UINT16 SourceManager::openSource(Application& app, TW_IDENTITY* data)
{
    Source* source = nullptr;
    if (data->Id != 0) {
        source = findSource(app, data->Id);
    } else if (data->ProductName[0] != '\0') {
        for (Source& candidate : app.sources) {
            if (sameName(candidate.identity.ProductName, data->ProductName)) {
                source = &candidate;
                break;
            }
        }
    } else {
        source = defaultSource(app);
    }
    if (source == nullptr)
        return fail(&app, TWCC_NODS);
    if (source->module != nullptr)
        return fail(&app, TWCC_SEQERROR);

    sys::HMODULE module = sys::LoadLibrary(source->path.c_str());
    if (!sys::isValidModuleHandle(module))
        return fail(&app, TWCC_NODS);
    auto dsEntry = sys::getProc<DSENTRYPROC>(module, kDsEntryName);
    if (dsEntry == nullptr) {
        sys::FreeLibrary(module);
        return fail(&app, TWCC_NODS);
    }
    source->module = module;
    source->dsEntry = dsEntry;
    source->held.clear();

    TW_IDENTITY identity = source->identity;
    const TW_UINT16 rc = dsEntry(&app.identity, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity);
    if (rc != TWRC_SUCCESS) {
        TW_STATUS status{};
        dsEntry(&app.identity, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
        source->module = nullptr;
        source->dsEntry = nullptr;
        sys::FreeLibrary(module);
        return fail(&app, status.ConditionCode != TWCC_SUCCESS ? status.ConditionCode : TWCC_BUMMER);
    }
    *data = source->identity;
    app.lastOpened = source->identity.Id;
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::closeSource(Application& app, TW_IDENTITY* data)
{
    Source* source = findSource(app, data->Id);
    if (source == nullptr || source->module == nullptr)
        return fail(&app, TWCC_BADDEST);
    const TW_UINT16 rc = source->dsEntry(&app.identity, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, data);
    if (rc != TWRC_SUCCESS)
        return rc;
    sys::HMODULE module = source->module;
    source->module = nullptr;
    source->dsEntry = nullptr;
    source->held.clear();
    sys::FreeLibrary(module);
    return TWRC_SUCCESS;
}

TW_UINT16 SourceManager::toSource(Application& app, TW_IDENTITY* destination, TW_UINT32 group,
                                  TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data)
{
    Source* source = findSource(app, destination->Id);
    if (source == nullptr || source->module == nullptr)
        return fail(&app, TWCC_BADDEST);

    if (group == DG_CONTROL && dataType == DAT_CALLBACK)
        return managerTriplet(&app, &app.identity, group, dataType, message, data);

    const TW_UINT32 appId = app.identity.Id;
    const TW_UINT32 sourceId = source->identity.Id;
    TW_IDENTITY caller = app.identity;
    TW_UINT16 rc = source->dsEntry(&caller, group, dataType, message, data);

    // Hand over a held notification to an application that polls. The call
    // above may have re-entered the manager, so look everything up again.
    if (message == MSG_PROCESSEVENT && data != nullptr && rc != TWRC_FAILURE) {
        TW_IDENTITY key{};
        key.Id = appId;
        Application* again = findApplication(&key);
        Source* held = again != nullptr ? findSource(*again, sourceId) : nullptr;
        if (held != nullptr && !held->held.empty()) {
            static_cast<TW_EVENT*>(data)->TWMessage = held->held.front();
            held->held.pop_front();
            rc = TWRC_DSEVENT;
        }
    }
    return rc;
}

TW_UINT16 SourceManager::fromSource(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                    TW_UINT16 dataType, TW_UINT16 message)
{
    Application* app = findApplication(destination);
    Source* source = app != nullptr ? findSource(*app, origin->Id) : nullptr;
    if (source == nullptr || source->module == nullptr)
        return fail(app, TWCC_BADDEST);
    if (group != DG_CONTROL || dataType != DAT_NULL || !isNotification(message))
        return fail(app, TWCC_BADPROTOCOL);

    source->held.push_back(message);
    if (source->held.size() > kHeldNotificationLimit)
        source->held.pop_front();

    if (TWAIN_CALLBACK callback = app->callback) {
        TW_IDENTITY from = source->identity;
        TW_IDENTITY to = app->identity;
        callback(&from, &to, DG_CONTROL, DAT_NULL, message, nullptr);
    }
    return TWRC_SUCCESS;
}

SourceManager::Application* SourceManager::findApplication(const TW_IDENTITY* identity)
{
    if (identity == nullptr || identity->Id == 0)
        return nullptr;
    for (Application& app : applications_) {
        if (app.identity.Id == identity->Id)
            return &app;
    }
    return nullptr;
}

SourceManager::Source* SourceManager::findSource(Application& app, TW_UINT32 id)
{
    if (id == 0)
        return nullptr;
    for (Source& source : app.sources) {
        if (source.identity.Id == id)
            return &source;
    }
    return nullptr;
}

TW_UINT16 SourceManager::fail(Application* app, TW_UINT16 condition)
{
    (app != nullptr ? app->condition : strayCondition_) = condition;
    return TWRC_FAILURE;
}

}  // namespace qm::twain
