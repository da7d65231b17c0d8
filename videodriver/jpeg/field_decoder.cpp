// Setting up one library decoder the way the driver decodes its frames.
#include "videodriver/jpeg/decoder_state.h"
#include "videodriver/jpeg/pool_memory_manager.h"
#include "videodriver/jpeg/standard_huffman.h"

namespace qm::morvax {

namespace {

// Far more than any camera frame (one scan) or ordinary progressive file
// needs; a damaged stream could otherwise keep the decoder busy with empty
// scans for a long time.
constexpr int kMaxScans = 100;

// Enough work memory for any picture that fits the largest frame buffer.
constexpr std::size_t kWorkMemoryBudget = std::size_t(16) << 20;

void limitScans(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_NOTIMPL);
}

bool isMerged411(const jpeg_decompress_struct& cinfo)
{
    if (cinfo.num_components != 3 || cinfo.jpeg_color_space != JCS_YCbCr)
        return false;
    const jpeg_component_info* c = cinfo.comp_info;
    return c[0].h_samp_factor == 4 && c[0].v_samp_factor == 1 && c[1].h_samp_factor == 1 &&
           c[1].v_samp_factor == 1 && c[2].h_samp_factor == 1 && c[2].v_samp_factor == 1;
}

}  // namespace

void openField(JpegDecoder& decoder, int index, const std::uint8_t* data, std::size_t length, bool fancyUpsampling)
{
    FieldDecoder& field = decoder.fields[index];
    jpeg_decompress_struct& cinfo = field.cinfo;
    cinfo.err = &decoder.trap.manager;
    jpeg_create_decompress(&cinfo);
    usePoolMemory(reinterpret_cast<j_common_ptr>(&cinfo), kWorkMemoryBudget);
    jpegMemorySource(&cinfo, field.source, data, length);
    readAvi1Segments(&cinfo, field.avi1);
    field.progress.progress_monitor = limitScans;
    cinfo.progress = &field.progress;
    get_dht(&cinfo);
    jpeg_read_header(&cinfo, TRUE);

    cinfo.dct_method = JDCT_IFAST;
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.do_fancy_upsampling = fancyUpsampling ? TRUE : FALSE;
    field.mergedOutput = !fancyUpsampling && isMerged411(cinfo);
    cinfo.raw_data_out = field.mergedOutput ? TRUE : FALSE;
    jpeg_calc_output_dimensions(&cinfo);
}

void startField(FieldDecoder& field)
{
    jpeg_decompress_struct& cinfo = field.cinfo;
    jpeg_start_decompress(&cinfo);
    if (!field.mergedOutput)
        return;
    // Planes as wide as whole MCUs: the library writes whole blocks.
    const JDIMENSION mcuColumns = (cinfo.image_width + 31) / 32;
    for (int c = 0; c < 3; ++c) {
        const JDIMENSION samples = mcuColumns * JDIMENSION(cinfo.comp_info[c].h_samp_factor) * DCTSIZE;
        field.planes[c] = cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, samples,
                                                  DCTSIZE);
    }
}

}  // namespace qm::morvax
