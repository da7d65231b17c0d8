#include "videodriver/jpeg/standard_huffman.h"

#include <algorithm>

#include "videodriver/jpeg/jpeg_tables.h"

namespace qm::morvax {

void get_dht(j_decompress_ptr cinfo)
{
    for (const HuffmanTableLayout& standard : kStandardHuffmanTables) {
        const bool ac = (standard.classAndId >> 4) != 0;
        const int id = standard.classAndId & 0x0F;
        JHUFF_TBL*& table = ac ? cinfo->ac_huff_tbl_ptrs[id] : cinfo->dc_huff_tbl_ptrs[id];
        if (table == nullptr)
            table = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
        std::fill(std::begin(table->bits), std::end(table->bits), UINT8(0));
        std::copy(standard.counts.begin(), standard.counts.end(), table->bits + 1);
        std::fill(std::begin(table->huffval), std::end(table->huffval), UINT8(0));
        std::copy(standard.values.begin(), standard.values.end(), table->huffval);
        table->sent_table = FALSE;
    }
}

}  // namespace qm::morvax
