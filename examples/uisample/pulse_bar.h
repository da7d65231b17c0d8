// A custom control driven by a timer: a block runs along a bar and the
// number of ticks is shown beside it.
#pragma once

#include "platform/ui/framework/afx.h"

namespace uisample {

using namespace qm::ui;

class CPulseBar : public CWnd {
    DECLARE_DYNAMIC(CPulseBar)
public:
    static constexpr UINT_PTR kTimerId = 7;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id);
    int ticks() const { return ticks_; }

protected:
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;
    void OnDestroy() override;

private:
    int ticks_ = 0;
    CFont font_;
};

}  // namespace uisample
