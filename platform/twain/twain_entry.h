// The entry points through which applications, the source manager and data
// sources call each other.
#pragma once

#include "platform/twain/twain.h"

namespace qm::twain {

// The source manager's export. A null destination addresses the source
// manager itself; otherwise the triplet goes to the open source named there.
using DSMENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                   TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data);

// A data source's export.
using DSENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* origin, TW_UINT32 group, TW_UINT16 dataType,
                                  TW_UINT16 message, TW_MEMREF data);

// What an application registers with DAT_CALLBACK: called with the source as
// origin, the application as destination, DG_CONTROL / DAT_NULL and the
// source's message (MSG_XFERREADY, MSG_CLOSEDSREQ, ...).
using TWAIN_CALLBACK = DSMENTRYPROC;

inline constexpr const char* kDsmEntryName = "DSM_Entry";
inline constexpr const char* kDsEntryName = "DS_Entry";

}  // namespace qm::twain
