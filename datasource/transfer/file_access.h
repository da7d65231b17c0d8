// The files of file transfers. A name is proved writable without touching a
// file already there, and a picture replaces its file atomically, so neither
// a refused name nor a crash during a transfer costs the user a file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "datasource/entry/triplet.h"

namespace qm::ds {

// Throws FileAccessError carrying `condition` unless a file can be written
// at the path: a temporary file beside it is created and removed again, and
// an existing file must be a writable regular file.
void proveWritable(const std::string& path, TW_UINT16 condition);

// Replaces the file's contents with the bytes in one step; throws
// FileAccessError carrying `condition` when that fails.
void writeTransferFile(const std::string& path, std::span<const std::uint8_t> bytes, TW_UINT16 condition);

}  // namespace qm::ds
