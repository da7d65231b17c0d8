// The resource compiler: a script of bitmaps, dialog templates and string
// tables in the platform's familiar resource-script syntax becomes the blob
// that resource/resource.h reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm::ui::rc {

struct Compiled {
    std::vector<std::uint8_t> blob;
    std::vector<std::string> dependencies;  // files read besides the script
};

bool compileFile(const std::string& path, Compiled& out, std::string& error);
// `baseDirectory` resolves relative file names.
bool compileSource(const std::string& source, const std::string& baseDirectory, Compiled& out, std::string& error);

}  // namespace qm::ui::rc
