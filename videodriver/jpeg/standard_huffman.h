// The camera's frames are coded with the standard Huffman tables. They are
// installed in a decoder before its header is read, so a JPEG that leaves
// out its DHT segment (as motion-JPEG streams often do) still decodes; a
// DHT segment in the stream replaces them.
#pragma once

#include "videodriver/jpeg/libjpeg.h"

namespace qm::morvax {

void get_dht(j_decompress_ptr cinfo);

}  // namespace qm::morvax
