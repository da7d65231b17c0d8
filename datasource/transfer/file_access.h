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

// A transfer's file while the picture is on its way: a temporary file beside
// the target, created up front (which proves the name, as proveWritable
// does), written straight from the caller's memory and flushed, then renamed
// over the target in one step. Removed again unless committed. Every failure
// throws FileAccessError carrying `condition`.
class TransferFile {
public:
    TransferFile(const std::string& path, TW_UINT16 condition);
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    // Writes the pieces one after the other.
    void write(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second);
    // Flushes the file to disk and puts it in place of the target.
    void commit();

private:
    [[noreturn]] void fail(const std::string& why);

    std::string path_;
    std::string temporary_;
    TW_UINT16 condition_;
    int fd_ = -1;
};

}  // namespace qm::ds
