#include "panel/entry/panel_app.h"

#include "panel/entry/panel_globals.h"

namespace qm::panel {

using ui::CWinApp;
IMPLEMENT_DYNAMIC(CPanelApp, CWinApp)

namespace {

CPanelApp theApp;

}  // namespace

CPanelApp::CPanelApp() : ui::CWinApp("Vantrel")
{
    // The module-wide objects exist from the start, unbound and empty.
    panelState();
}

// Module end: the module-wide objects go after the application object, the
// bindings first (releasing the device module and the reference to the data
// source), then the cursors, each ending with a pulse.
CPanelApp::~CPanelApp() = default;

}  // namespace qm::panel
