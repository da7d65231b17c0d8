#include "platform/ui/core/region.h"

#include <algorithm>

namespace qm::ui::detail {

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return isEmpty(r) ? RECT{} : r;
}

RECT unite(const RECT& a, const RECT& b)
{
    if (isEmpty(a))
        return b;
    if (isEmpty(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT offset(RECT r, LONG dx, LONG dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

bool contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

Region::Region(const RECT& r)
{
    if (!isEmpty(r))
        rects_.push_back(r);
}

RECT Region::bounds() const
{
    RECT b{};
    for (const RECT& r : rects_)
        b = unite(b, r);
    return b;
}

namespace {

// Appends the parts of `r` outside `cut` (at most four rectangles).
void appendDifference(const RECT& r, const RECT& cut, std::vector<RECT>& out)
{
    RECT i = intersect(r, cut);
    if (isEmpty(i)) {
        out.push_back(r);
        return;
    }
    if (r.top < i.top)
        out.push_back({r.left, r.top, r.right, i.top});
    if (i.bottom < r.bottom)
        out.push_back({r.left, i.bottom, r.right, r.bottom});
    if (r.left < i.left)
        out.push_back({r.left, i.top, i.left, i.bottom});
    if (i.right < r.right)
        out.push_back({i.right, i.top, r.right, i.bottom});
}

}  // namespace

void Region::add(const RECT& r)
{
    if (isEmpty(r))
        return;
    // Keep the rectangles disjoint: add only what is not covered yet.
    std::vector<RECT> pieces{r};
    for (const RECT& existing : rects_) {
        std::vector<RECT> next;
        for (const RECT& piece : pieces)
            appendDifference(piece, existing, next);
        pieces.swap(next);
        if (pieces.empty())
            return;
    }
    rects_.insert(rects_.end(), pieces.begin(), pieces.end());
    // Many small invalidations of one window collapse into their bounds; the
    // owner repaints a little more than needed, never less.
    if (rects_.size() > 32) {
        RECT b = bounds();
        rects_.assign(1, b);
    }
}

void Region::subtract(const RECT& cut)
{
    if (isEmpty(cut))
        return;
    std::vector<RECT> out;
    for (const RECT& r : rects_)
        appendDifference(r, cut, out);
    rects_.swap(out);
}

void Region::intersectWith(const RECT& clip)
{
    std::vector<RECT> out;
    for (const RECT& r : rects_) {
        RECT i = intersect(r, clip);
        if (!isEmpty(i))
            out.push_back(i);
    }
    rects_.swap(out);
}

void Region::intersectWith(const Region& other)
{
    std::vector<RECT> out;
    for (const RECT& a : rects_)
        for (const RECT& b : other.rects_) {
            RECT i = intersect(a, b);
            if (!isEmpty(i))
                out.push_back(i);
        }
    rects_.swap(out);
}

void Region::offsetBy(LONG dx, LONG dy)
{
    for (RECT& r : rects_)
        r = offset(r, dx, dy);
}

bool Region::contains(POINT p) const
{
    return std::any_of(rects_.begin(), rects_.end(), [&](const RECT& r) { return detail::contains(r, p); });
}

}  // namespace qm::ui::detail
