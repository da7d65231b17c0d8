// A data source for the source manager's tests: it answers the identity and
// status triplets, records every other triplet, and sends notifications on
// request. Setting QM4200_FAKE_SOURCE_REFUSE makes it refuse to open.
#pragma once

#include "platform/twain/twain.h"

namespace qm::twain::test {

struct FakeSourceCall {
    TW_UINT32 originId;
    TW_UINT32 group;
    TW_UINT16 dataType;
    TW_UINT16 message;
    TW_MEMREF data;
    unsigned calls;  // triplets recorded so far
};

// Sends a DG_CONTROL / DAT_NULL notification to the application that opened
// the source, through "TWAIN_32.DLL"; returns the manager's answer.
using FakeSourceNotifyProc = TW_UINT16 (*)(TW_UINT16 message);
using FakeSourceLastCallProc = void (*)(FakeSourceCall* call);

inline constexpr const char* kFakeSourceName = "Fake Source";
inline constexpr TW_UINT16 kFakeRefusal = TWCC_MAXCONNECTIONS;

}  // namespace qm::twain::test
