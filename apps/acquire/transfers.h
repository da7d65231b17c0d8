// Pulling one picture from a source in transfer-ready state with one of the
// three mechanisms, and writing it to disk.
#pragma once

#include <ostream>
#include <string>

#include "apps/acquire/source_manager_client.h"

namespace qm::acquire {

struct PictureReport {
    int width = 0;
    int height = 0;
    int strips = 0;  // memory transfers
};

// Asks for the image information, transfers the picture and writes
// <stem>.bmp and <stem>.png. False with a message on any failure; the
// caller ends the transfer either way.
bool transferPicture(SourceManagerClient& client, TW_UINT16 mechanism, const std::string& stem,
                     PictureReport& report, std::string& error);

const char* mechanismName(TW_UINT16 mechanism);

}  // namespace qm::acquire
