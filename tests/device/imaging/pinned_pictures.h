// The pictures whose encoded and decoded outputs are pinned: every one of
// them must come out of the encoder and of picture-to-bitmap byte for byte
// as it did before the conversions were made fast, on every code path.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/imaging/simd/code_path.h"
#include "tests/device/imaging/test_pictures.h"

namespace qm::device::imaging::testing {

// Every code path this processor runs: scalar, and AVX2 where it has it.
std::vector<CodePath> codePathsToTest();

// 64-bit FNV-1a: enough to tell two outputs apart, nothing cryptographic.
std::uint64_t digest(std::span<const std::uint8_t> bytes);

struct NamedPicture {
    std::string name;
    RgbPicture picture;
};

// 640 x 480 pictures for the upload encoder: a scene, flat colours, noise,
// saturated colour bars, a one-pixel checkerboard, soft stripes and every
// (r, g, g) colour, where the chroma arithmetic is most delicate.
std::vector<NamedPicture> encoderPictures();

struct NamedJpeg {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> jpeg;
};

// Camera-like JPEG data for picture-to-bitmap: a VGA scene, an odd-sized
// picture whose rows need padding, a greyscale picture and pictures that
// state their density in inches and in centimetres.
std::vector<NamedJpeg> cameraJpegs();

// Sets the JFIF density of a JPEG written by encodeJpeg().
void setJfifDensity(std::vector<std::uint8_t>& jpeg, std::uint8_t unit, std::uint16_t x, std::uint16_t y);

}  // namespace qm::device::imaging::testing
