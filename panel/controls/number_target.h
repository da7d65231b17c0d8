// What a repeat button changes: a number control of the settings dialog.
#pragma once

namespace qm::panel {

class NumberTarget {
public:
    virtual ~NumberTarget() = default;
    // Adds `step` (negative to go down); the control keeps itself in range.
    virtual void changeBy(int step) = 0;
};

}  // namespace qm::panel
