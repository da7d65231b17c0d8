#include "videodriver/jpeg/memory_source.h"

namespace qm::morvax {

namespace {

constexpr JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    WARNMS(cinfo, JWRN_JPEG_EOF);
    cinfo->src->next_input_byte = kEndOfImage;
    cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    if (std::size_t(count) > source->bytes_in_buffer) {
        // Skipping past the end leaves nothing; the next read warns.
        source->next_input_byte += source->bytes_in_buffer;
        source->bytes_in_buffer = 0;
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

}  // namespace

void jpegMemorySource(j_decompress_ptr cinfo, MemorySource& source, const std::uint8_t* data, std::size_t length)
{
    source.manager.init_source = initSource;
    source.manager.fill_input_buffer = fillInputBuffer;
    source.manager.skip_input_data = skipInputData;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = termSource;
    source.manager.next_input_byte = data;
    source.manager.bytes_in_buffer = length;
    cinfo->src = &source.manager;
}

}  // namespace qm::morvax
