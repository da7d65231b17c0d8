// The source manager: keeps the applications that opened it, the sources it
// found for each under the TWAIN directories (W/TWAIN_32 and the installed
// <prefix>/lib/twain), passes triplets to the open sources and brings their
// notifications back to the applications.
#pragma once

#include <cstddef>
#include <deque>
#include <list>
#include <string>
#include <vector>

#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"

namespace qm::twain {

class SourceManager {
public:
    TW_UINT16 entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                    TW_UINT16 message, TW_MEMREF data);

private:
    struct Source {
        std::string path;
        TW_IDENTITY identity{};
        sys::HMODULE module = nullptr;  // set while the source is open
        DSENTRYPROC dsEntry = nullptr;
        std::deque<TW_UINT16> held;     // notifications not yet fetched by MSG_PROCESSEVENT
    };
    struct Application {
        TW_IDENTITY identity{};
        std::vector<Source> sources;
        std::size_t cursor = 0;         // next source for MSG_GETNEXT
        TW_UINT32 lastOpened = 0;       // Id of the source opened last: the default
        TW_UINT16 condition = TWCC_SUCCESS;
        TWAIN_CALLBACK callback = nullptr;
    };

    TW_UINT16 managerTriplet(Application* app, TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType,
                             TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 openManager(TW_IDENTITY* origin);
    TW_UINT16 closeManager(Application& app);
    TW_UINT16 identityTriplet(Application& app, TW_UINT16 message, TW_IDENTITY* data);
    TW_UINT16 openSource(Application& app, TW_IDENTITY* data);
    TW_UINT16 closeSource(Application& app, TW_IDENTITY* data);
    TW_UINT16 toSource(Application& app, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                       TW_UINT16 message, TW_MEMREF data);
    TW_UINT16 fromSource(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType,
                         TW_UINT16 message);
    std::vector<Source> scanSources(const TW_IDENTITY& appIdentity);
    Source* defaultSource(Application& app);

    Application* findApplication(const TW_IDENTITY* identity);
    static Source* findSource(Application& app, TW_UINT32 id);
    TW_UINT16 fail(Application* app, TW_UINT16 condition);

    std::list<Application> applications_;  // stable addresses across nested calls
    TW_UINT32 nextId_ = 1;
    TW_UINT16 strayCondition_ = TWCC_SUCCESS;  // for callers that never opened the manager
};

// The one source manager of the process.
SourceManager& sourceManager();

// How many notifications the manager keeps for an application that neither
// polls nor drains them; older ones are dropped first.
inline constexpr std::size_t kHeldNotificationLimit = 16;

}  // namespace qm::twain
