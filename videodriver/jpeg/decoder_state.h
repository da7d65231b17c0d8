// What one frame decode holds between its entry points: the shared error
// trap and one library decoder per field. Allocated from pool and never
// given objects with destructors, since a library error unwinds through it
// with longjmp.
#pragma once

#include <cstdint>

#include "videodriver/jpeg/app0_reader.h"
#include "videodriver/jpeg/decode_errors.h"
#include "videodriver/jpeg/libjpeg.h"
#include "videodriver/jpeg/memory_source.h"

namespace qm::morvax {

struct FieldDecoder {
    jpeg_decompress_struct cinfo;
    MemorySource source;
    jpeg_progress_mgr progress;
    Avi1Field avi1;
    // The merged 4:1:1 conversion: the library hands out the Y, Cb and Cr
    // planes of eight rows at a time.
    bool mergedOutput;
    JSAMPARRAY planes[3];
};

struct JpegDecoder {
    DecodeErrorTrap trap;
    FieldDecoder fields[2];
    int fieldCount;
};

// Creates field `index` over `length` bytes at `data` and reads its header;
// a library error unwinds to the caller's trap.
void openField(JpegDecoder& decoder, int index, const std::uint8_t* data, std::size_t length,
               bool fancyUpsampling);

// Starts decompressing a field whose output size has been accepted.
void startField(FieldDecoder& field);

}  // namespace qm::morvax
