// Run-time class records: the session registry creates sessions by record,
// so a new kind of camera session only needs its record added at start-up.
#pragma once

#include <memory>

namespace qm::device {

class CProxy;
struct SessionContext;

struct RuntimeClass {
    const char* className;
    const RuntimeClass* baseClass;  // null for the root
    std::unique_ptr<CProxy> (*createObject)(SessionContext& context);

    bool isDerivedFrom(const RuntimeClass& base) const
    {
        for (const RuntimeClass* record = this; record != nullptr; record = record->baseClass)
            if (record == &base)
                return true;
        return false;
    }
};

}  // namespace qm::device
