// The JPEG header the driver puts in front of the camera's scan data. The
// camera sends only the entropy-coded segment; the header supplies
// everything a decoder needs around it: an "AVI1" APP0 segment (so MJPG
// readers see a motion-JPEG field), the quantisation tables scaled by the
// frame's quality byte, the frame header with size and sampling, the
// standard Huffman tables and the start of scan.
//
// The three-component header is 613 bytes (all numbers big-endian):
//
//     0  FF D8                       start of image
//     2  FF E0, 22, "AVI1"           polarity 0, reserved 0,
//    12  field size (32-bit)         data length + 613
//    16  0, 0, 0, Q                  Q as the MJPG and still outputs carry it
//    20  picture count, number       still pictures only, else 0
//    24  0, 0
//    26  FF DB, 132                  table 0 (luminance), table 1 (chrominance)
//   160  FF C0, 17                   8 bits, height, width, 3 components
//   170  1 ss 0, 2 11 1, 3 11 1      ss: 41 (4:1:1), 21 (2 x 1) or 11
//   179  FF C4, 418                  the four standard Huffman tables
//   599  FF DA, 12                   components (1, 00), (2, 11), (3, 11),
//   610  00 3F 00                    spectral selection 0..63
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::morvax {

inline constexpr std::size_t kJpegTemplateSize = 613;
// The one-component (greyscale) form: one quantisation table, the two
// luminance Huffman tables.
inline constexpr std::size_t kJpegGreyHeaderSize = 330;

// Offsets into the three-component header.
inline constexpr std::size_t kAvi1PolarityOffset = 10;
inline constexpr std::size_t kAvi1FieldSizeOffset = 12;
inline constexpr std::size_t kAvi1QualityOffset = 19;
inline constexpr std::size_t kAvi1PictureCountOffset = 20;
inline constexpr std::size_t kAvi1PictureNumberOffset = 22;
inline constexpr std::size_t kLuminanceTableOffset = 31;
inline constexpr std::size_t kChrominanceTableOffset = 96;
inline constexpr std::size_t kFrameHeightOffset = 165;
inline constexpr std::size_t kFrameWidthOffset = 167;
inline constexpr std::size_t kLumaSamplingOffset = 171;
// The start-of-scan segment closes the header; still pictures that carry
// the camera's FF E1 segment get it between the tables and the scan.
inline constexpr std::size_t kScanHeaderOffset = 599;
inline constexpr std::size_t kScanHeaderSize = 14;

// Sampling types: the luminance sampling of the camera's frames.
inline constexpr unsigned kSampling411 = 3;  // 4 x 1: widths above 176 in video
inline constexpr unsigned kSampling2x1 = 2;  // 2 x 1: widths 160 and 176, and still pictures
// Any other type gives 1 x 1.

// What the driver builds at device start: 640 x 480, quality 7, data
// length 15,906, 4:1:1. Frames patch a copy of it.
inline constexpr std::uint32_t kTemplateWidth = 640;
inline constexpr std::uint32_t kTemplateHeight = 480;
inline constexpr unsigned kTemplateQuality = 7;
inline constexpr std::uint32_t kTemplateDataLength = 15906;

// Builds a header into `buffer`: the three-component form, or with
// `oneComponent` the greyscale form (sampling type ignored). Sets
// *headerLength and returns true; returns false and writes nothing when the
// buffer is too small or the size cannot be expressed (0 or above 65,535).
bool generateJPEGHeader(std::span<std::uint8_t> buffer, std::uint32_t* headerLength, std::uint32_t height,
                        std::uint32_t width, bool oneComponent, unsigned quality, std::uint32_t dataLength,
                        unsigned samplingType);

// Patches a three-component header for one frame: field size, both
// quantisation tables, size and component 1's sampling. False (nothing
// written) when the header is shorter than kJpegTemplateSize or the size
// cannot be expressed.
bool ModifyJPEGHeader(std::span<std::uint8_t> header, std::uint32_t height, std::uint32_t width, unsigned quality,
                      std::uint32_t dataLength, unsigned samplingType);

// The device-start template (kTemplate* above); false when `header` is
// shorter than kJpegTemplateSize.
bool generateJpegHeaderTemplate(std::span<std::uint8_t> header);

// The quality byte (offset 19) and the still picture's count and number
// (offsets 20 and 22) in the APP0 segment of a three-component header.
// Headers shorter than kJpegTemplateSize are left alone.
void setJpegHeaderQuality(std::span<std::uint8_t> header, std::uint8_t quality);
void setJpegHeaderPicture(std::span<std::uint8_t> header, std::uint16_t pictureCount, std::uint16_t pictureNumber);

}  // namespace qm::morvax
