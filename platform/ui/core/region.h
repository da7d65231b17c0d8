// A set of pixels as disjoint rectangles: update regions and clipping.
#pragma once

#include <vector>

#include "platform/ui/types.h"

namespace qm::ui::detail {

bool isEmpty(const RECT& r);
RECT intersect(const RECT& a, const RECT& b);
RECT unite(const RECT& a, const RECT& b);
RECT offset(RECT r, LONG dx, LONG dy);
bool contains(const RECT& r, POINT p);

class Region {
public:
    Region() = default;
    explicit Region(const RECT& r);

    bool empty() const { return rects_.empty(); }
    const std::vector<RECT>& rects() const { return rects_; }
    RECT bounds() const;

    void clear() { rects_.clear(); }
    void add(const RECT& r);
    void subtract(const RECT& r);
    void intersectWith(const RECT& r);
    void intersectWith(const Region& other);
    void offsetBy(LONG dx, LONG dy);
    bool contains(POINT p) const;

private:
    std::vector<RECT> rects_;
};

}  // namespace qm::ui::detail
