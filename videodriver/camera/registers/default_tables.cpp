#include "videodriver/camera/registers/default_tables.h"

#include <array>

namespace qm::morvax {

namespace {

using Image = std::array<UCHAR, kShadowSize>;

struct Entry {
    USHORT address;
    UCHAR value;
};

template <std::size_t N>
constexpr void put(Image& image, const Entry (&entries)[N])
{
    for (const Entry& entry : entries)
        image[std::size_t(shadowIndexOf(entry.address))] = entry.value;
}

// What every sensor type shares.
constexpr Entry kCommon[] = {
    {0x0410, 0xB8},                                 // enable off, video mode bits, run off
    {0x0502, 0x79},                                 // flash timing (4 MB and larger chips)
    {0x0973, 0x20},                                 // optical-black offset
    {0x0991, 0x0C}, {0x0992, 0x02},                 // 524 lines a frame
    {0x0A00, 0x40},                                 // compression: quality 64
    {0x1003, 0x0C},                                 // sharpness 24
    {0x100B, 0x10}, {0x100C, 0x10}, {0x100D, 0x10},  // red, blue, green gains: neutral
    {0x100E, 0x08},                                 // Y gain 1
    {0x100F, 0x10}, {0x1010, 0x10},                 // saturation: neutral
    {0x1019, 0x01},                                 // frame-rate index 0
    // A gamma-0.45 tone curve.
    {0x1041, 0}, {0x1042, 5}, {0x1043, 41}, {0x1044, 74}, {0x1045, 100}, {0x1046, 122},
    {0x1047, 140}, {0x1048, 158}, {0x1049, 173}, {0x104A, 186}, {0x104B, 199}, {0x104C, 211},
    {0x104D, 222}, {0x104E, 232}, {0x104F, 241}, {0x1050, 249}, {0x1051, 255},
    // AWB window: the whole 640 x 480 frame.
    {0x1085, 0x00}, {0x1086, 0x00}, {0x1087, 0x7F}, {0x1088, 0x02},
    {0x1089, 0x00}, {0x108A, 0x00}, {0x108B, 0xDF}, {0x108C, 0x01},
};

struct SensorEntries {
    UCHAR frameControl;  // 1000
    UCHAR frontEnd;      // 101D
    UCHAR timingLow;     // 0903
    UCHAR timingHigh;    // 0904
    UCHAR flicker;       // 108D
};

constexpr Image makeImage(const SensorEntries& sensor)
{
    Image image{};
    put(image, kCommon);
    const Entry own[] = {
        {0x1000, sensor.frameControl}, {0x101D, sensor.frontEnd}, {0x0903, sensor.timingLow},
        {0x0904, sensor.timingHigh},   {0x108D, sensor.flicker},
    };
    put(image, own);
    return image;
}

constexpr Image kType0 = makeImage({0xA0, 0xC0, 0xF9, 0x02, 0x0F});
constexpr Image kType1 = makeImage({0xA1, 0x8C, 0x0B, 0x03, 0x09});
constexpr Image kType2 = makeImage({0xA0, 0xE0, 0x0B, 0x03, 0x00});
constexpr Image kType3 = makeImage({0xA3, 0xC0, 0x09, 0x03, 0x0D});
constexpr Image kType5 = makeImage({0xA0, 0xC0, 0xF9, 0x02, 0x00});

}  // namespace

const UCHAR* defaultTableFor(ULONG ccdType)
{
    switch (ccdType) {
    case 1: return kType1.data();
    case 2: return kType2.data();
    case 3: return kType3.data();
    case 5: return kType5.data();
    default: return kType0.data();
    }
}

PUCHAR imageEntry(PUCHAR image, USHORT address)
{
    const LONG index = shadowIndexOf(address);
    return index < 0 ? nullptr : image + index;
}

}  // namespace qm::morvax
