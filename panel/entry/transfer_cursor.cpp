#include "panel/entry/transfer_cursor.h"

namespace qm::panel {

int TransferCursor::reset(const ThumbList* list)
{
    done_ = false;
    processed_ = 0;
    current_ = 0;
    list_ = list;
    if (list == nullptr) {
        valid_ = false;
        total_ = 0;
        return 0;
    }
    valid_ = true;
    total_ = int(list->selectedCount());
    return advance();
}

int TransferCursor::advance()
{
    ++processed_;
    if (list_ != nullptr) {
        int next = 0;
        for (const ThumbItem& item : *list_) {
            if (item.selected && item.number > current_ && (next == 0 || item.number < next))
                next = item.number;
        }
        if (next != 0) {
            current_ = next;
            return next;
        }
    }
    done_ = true;
    return 0;
}

int TransferCursor::nextFrom(int& position)
{
    ++processed_;
    if (list_ == nullptr)
        return 0;
    const int first = position == -1 ? 1 : position;
    int next = 0;
    for (const ThumbItem& item : *list_) {
        if (item.selected && item.number >= first && (next == 0 || item.number < next))
            next = item.number;
    }
    if (next != 0)
        position = next;
    return next;
}

std::size_t TransferCursor::remaining(bool connected) const
{
    if (done_ || !connected || list_ == nullptr)
        return 0;
    return list_->selectedFrom(current_);
}

}  // namespace qm::panel
