// The five exposure strategies, one per kind of front end, each given the
// error (measured minus target luminance; negative = too dark). Each
// returns 1 when the exposure is settled, 0 when it changed something.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

ULONG AE_New(MorvaxContext* context, LONG error);         // Sharp, Hitachi, Panasonic front ends
ULONG AE_NSC(MorvaxContext* context, LONG error);         // the CMOS sensor (CCD type 3)
ULONG AE_Tasc(MorvaxContext* context, LONG error);        // CDS type 5
ULONG AE_Toshiba(MorvaxContext* context, LONG error);     // CDS type 7
ULONG AE_Elecvision(MorvaxContext* context, LONG error);  // CDS type 8

// Sensor frame timing (0903-0904 and 0991-0992) by front end.
ULONG SetFrameRate_Tasc(MorvaxContext* context);
ULONG SetFrameRate_Toshiba(MorvaxContext* context);
// Slower timing when `darker`, faster otherwise; 0 when already at the end.
ULONG SetFrameRate_Elecvision(MorvaxContext* context, BOOLEAN darker);

}  // namespace qm::morvax
