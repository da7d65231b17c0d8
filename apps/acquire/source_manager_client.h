// The application's side of the source manager: loads "TWAIN_32.DLL",
// registers the application, lists the sources, opens one and carries the
// triplets to it.
#pragma once

#include <string>
#include <vector>

#include "platform/system/library.h"
#include "platform/twain/twain_entry.h"

namespace qm::acquire {

using namespace qm::twain;

class SourceManagerClient {
public:
    SourceManagerClient();
    ~SourceManagerClient();
    SourceManagerClient(const SourceManagerClient&) = delete;
    SourceManagerClient& operator=(const SourceManagerClient&) = delete;

    // Loads the source manager and opens it (MSG_OPENDSM).
    bool open(std::string& error);
    std::vector<TW_IDENTITY> sources();
    // The source with this product name, or the default source for an empty
    // name; opened with MSG_OPENDS.
    bool openSource(const std::string& productName, std::string& error);
    // Closes an open source and the manager (also on destruction).
    void close();

    const TW_IDENTITY& source() const { return source_; }
    bool sourceOpen() const { return sourceOpen_; }

    // A triplet to the open source.
    TW_UINT16 toSource(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, void* data);
    // The source's condition code after a failure, named.
    std::string sourceCondition();

    // Asks the manager to call `callback` with the source's notifications.
    bool registerCallback(TWAIN_CALLBACK callback);

private:
    TW_UINT16 toManager(TW_UINT16 dataType, TW_UINT16 message, void* data);
    std::string managerCondition();

    sys::HMODULE library_ = nullptr;
    DSMENTRYPROC entry_ = nullptr;
    TW_IDENTITY application_{};
    TW_IDENTITY source_{};
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
};

// "bad value (10)" for TWCC_BADVALUE, and so on.
std::string conditionName(TW_UINT16 condition);

// "Corvel Camera ... (Quillon, Digital Still Camera Product), version 1.0
// EXTENDED TWAIN QMTWAIN, protocol 1.5"
std::string describeIdentity(const TW_IDENTITY& identity);

}  // namespace qm::acquire
