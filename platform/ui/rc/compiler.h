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

// A relative bitmap file name is looked up beside the script first, then in
// each of `bitmapDirectories` in order (bitmaps drawn into the build tree).
bool compileFile(const std::string& path, Compiled& out, std::string& error,
                 const std::vector<std::string>& bitmapDirectories = {});
// `baseDirectory` resolves relative file names.
bool compileSource(const std::string& source, const std::string& baseDirectory, Compiled& out, std::string& error,
                   const std::vector<std::string>& bitmapDirectories = {});

}  // namespace qm::ui::rc
