// Movable global memory. A handle is a zero-filled calloc'd block and locking
// returns the block itself, which is the convention TWAIN source managers on
// this platform follow: an application may free a handed-over block with
// free(). The platform keeps each block's size and lock count.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::sys {

using HGLOBAL = void*;

inline constexpr unsigned GMEM_FIXED = 0x0000;
inline constexpr unsigned GMEM_MOVEABLE = 0x0002;
inline constexpr unsigned GMEM_ZEROINIT = 0x0040;
inline constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr unsigned GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Every block is zero-filled, whatever the flags. Null on failure.
HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);
// Adds a lock and returns the block's address; null for a null handle.
void* GlobalLock(HGLOBAL handle);
// Drops a lock. True while the block stays locked; false when it is now
// unlocked (last error NO_ERROR) or was not locked (last error
// ERROR_NOT_LOCKED).
bool GlobalUnlock(HGLOBAL handle);
// The block's size in bytes (0 for a null handle). Blocks that another
// component allocated by the same convention report their usable size.
std::size_t GlobalSize(HGLOBAL handle);
// The block's lock count.
unsigned GlobalFlags(HGLOBAL handle);
// Frees the block; returns null on success, the handle on failure.
HGLOBAL GlobalFree(HGLOBAL handle);
// The block now belongs to an application, which frees it with free(): the
// platform forgets it, so that no record outlives the block and describes a
// later block at the same address. Its size is then its usable size.
void GlobalHandOver(HGLOBAL handle);

// Number of blocks allocated here and neither freed nor handed over.
std::size_t globalBlocksOutstanding();

}  // namespace qm::sys
