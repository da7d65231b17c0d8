// The standard control classes, registered once per process.
#pragma once

#include "platform/ui/controls/control_styles.h"
#include "platform/ui/types.h"

namespace qm::ui::detail {

WNDPROC buttonProc();
WNDPROC staticProc();
WNDPROC editProc();
WNDPROC listBoxProc();
WNDPROC comboBoxProc();
WNDPROC progressProc();
WNDPROC dialogClassProc();

}  // namespace qm::ui::detail
