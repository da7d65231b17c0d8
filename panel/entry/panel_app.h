// The panel module's application object. Loading the module makes it and
// the module-wide objects; unloading ends the cursors and releases the
// bindings to the device module and the data source.
#pragma once

#include "platform/ui/framework/afx.h"

namespace qm::panel {

class CPanelApp : public ui::CWinApp {
    DECLARE_DYNAMIC(CPanelApp)
public:
    CPanelApp();
    ~CPanelApp() override;
};

}  // namespace qm::panel
