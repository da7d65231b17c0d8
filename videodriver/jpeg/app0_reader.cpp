#include "videodriver/jpeg/app0_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/system/byte_order.h"

namespace qm::morvax {

namespace {

// The longest prefix either segment type is read for: "JFIF\0", version,
// units, densities, thumbnail size.
constexpr std::size_t kPrefixBytes = 14;

std::uint8_t readByte(j_decompress_ptr cinfo)
{
    jpeg_source_mgr* source = cinfo->src;
    if (source->bytes_in_buffer == 0)
        source->fill_input_buffer(cinfo);  // a memory source never suspends
    --source->bytes_in_buffer;
    return *source->next_input_byte++;
}

void takeAvi1(Avi1Field& field, const std::uint8_t* prefix, std::size_t length)
{
    field.seen = true;
    if (length >= 5)
        field.polarity = prefix[4];
    if (length >= 10)
        field.fieldSize = sys::readBe32(prefix + 6);
}

void takeJfif(j_decompress_ptr cinfo, const std::uint8_t* prefix, std::size_t length)
{
    cinfo->saw_JFIF_marker = TRUE;
    if (length < kPrefixBytes)
        return;
    cinfo->JFIF_major_version = prefix[5];
    cinfo->JFIF_minor_version = prefix[6];
    cinfo->density_unit = prefix[7];
    cinfo->X_density = sys::readBe16(prefix + 8);
    cinfo->Y_density = sys::readBe16(prefix + 10);
}

boolean processApp0(j_decompress_ptr cinfo)
{
    auto& field = *static_cast<Avi1Field*>(cinfo->client_data);
    const unsigned high = readByte(cinfo);
    const long segmentLength = long(high << 8 | readByte(cinfo)) - 2;
    if (segmentLength < 0)
        ERREXIT(cinfo, JERR_BAD_LENGTH);
    std::uint8_t prefix[kPrefixBytes] = {};
    const std::size_t prefixLength = std::min<std::size_t>(std::size_t(segmentLength), kPrefixBytes);
    for (std::size_t i = 0; i < prefixLength; ++i)
        prefix[i] = readByte(cinfo);
    if (prefixLength >= 4 && std::memcmp(prefix, "AVI1", 4) == 0)
        takeAvi1(field, prefix, prefixLength);
    else if (prefixLength >= 5 && std::memcmp(prefix, "JFIF", 5) == 0)
        takeJfif(cinfo, prefix, prefixLength);
    const long rest = segmentLength - long(prefixLength);
    if (rest > 0)
        cinfo->src->skip_input_data(cinfo, rest);
    return TRUE;
}

}  // namespace

void readAvi1Segments(j_decompress_ptr cinfo, Avi1Field& field)
{
    field = Avi1Field{false, kAvi1NoPolarity, 0};
    cinfo->client_data = &field;
    jpeg_set_marker_processor(cinfo, JPEG_APP0, processApp0);
}

}  // namespace qm::morvax
