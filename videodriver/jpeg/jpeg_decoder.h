// The frame decoder: a complete JPEG in memory to a bottom-up 24-bit bitmap
// (rows of B, G, R; the first decoded row is the last row of the buffer).
//
//   InitJpegDecode   reads the header(s), checks that the picture fits the
//                    output buffer and reports its size (a caller that
//                    needs a particular size compares it)
//   DecompressJpeg   decodes into the output buffer
//   FreeJpegDecode   gives the decoder's memory back (always call it after
//                    InitJpegDecode, whatever the outcome)
//
// A picture whose AVI1 segment names two interlaced fields is decoded as
// both: the second field's JPEG starts `field size` bytes into the input and
// the output rows alternate between the fields.
//
// A frame that is corrupt, cut short or larger than the output fails with
// decodeError set, never writes past outputSize and never reads past
// inputLength; the next frame decodes as if nothing had happened. Decoders
// are independent of each other; each takes its work memory from non-paged
// pool with the driver's tag.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::morvax {

struct JpegDecoder;

struct JpegDecodeDescriptor {
    // In
    const std::uint8_t* input = nullptr;  // the JPEG, from its start of image
    std::size_t inputLength = 0;          // bytes that arrived
    std::uint8_t* output = nullptr;
    std::size_t outputSize = 0;           // bytes the decoder may write
    // Off, 4:1:1 pictures take the merged conversion (yuv411_color.h);
    // other pictures and the default take the library's upsampling.
    bool fancyUpsampling = true;

    // Out
    std::uint32_t outputWidth = 0;   // pixels per row: the width rounded up to a multiple of 8
    std::uint32_t outputHeight = 0;  // rows: twice the field height for two-field pictures
    bool decodeError = false;

    JpegDecoder* decoder = nullptr;
};

bool InitJpegDecode(JpegDecodeDescriptor* descriptor);
bool DecompressJpeg(JpegDecodeDescriptor* descriptor);
void FreeJpegDecode(JpegDecodeDescriptor* descriptor);

// The three steps in one: true when the whole picture is in the output.
bool decodeJpegFrame(JpegDecodeDescriptor* descriptor);

}  // namespace qm::morvax
