// One call of the data source entry, as every handler receives it.
#pragma once

#include <stdexcept>

#include "datasource/session/source_record.h"

namespace qm::ds {

struct Triplet {
    TW_IDENTITY* origin;
    TW_UINT32 group;
    TW_UINT16 dataType;
    TW_UINT16 message;
    TW_MEMREF data;
};

// A handler answers one data argument type and returns a TWRC_ code; it
// reports failures through the record's condition code.
using Handler = TW_UINT16 (*)(SourceRecord& record, const Triplet& call);

// Raised inside a handler when a file cannot be created or written; the
// entry turns it into a failure with the carried condition code.
class FileAccessError : public std::runtime_error {
public:
    FileAccessError(const std::string& what, TW_UINT16 condition) : std::runtime_error(what), condition_(condition) {}
    TW_UINT16 condition() const { return condition_; }

private:
    TW_UINT16 condition_;
};

}  // namespace qm::ds
