#include "panel/entry/panel_globals.h"

namespace qm::panel {
namespace {

// Members are destroyed in reverse order: the links unbind and the cursors
// end while the state they reach still exists.
struct PanelGlobals {
    PanelState state;
    BusyCursor applicationCursor;
    BusyCursor moduleCursor;
    TransferCursor transfer;
    int deliveryNumber = 0;
    AcquireLink acquire;
    DriverLink driver;
};

PanelGlobals& globals()
{
    static PanelGlobals instance;
    return instance;
}

}  // namespace

PanelState& panelState() { return globals().state; }
BusyCursor& moduleBusyCursor() { return globals().moduleCursor; }
BusyCursor& applicationBusyCursor() { return globals().applicationCursor; }
DriverLink& driverLink() { return globals().driver; }
AcquireLink& acquireLink() { return globals().acquire; }
TransferCursor& transferCursor() { return globals().transfer; }
int& deliveryNumber() { return globals().deliveryNumber; }

}  // namespace qm::panel
