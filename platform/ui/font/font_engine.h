// Fonts through FreeType on the DejaVu faces. A LOGFONT maps to one face
// file and one pixel size; glyphs are rendered once and cached.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui/gdi/gdi.h"

namespace qm::ui::detail {

struct Glyph {
    int left = 0;     // from the pen position to the bitmap's left edge
    int top = 0;      // from the baseline up to the bitmap's top row
    int width = 0;
    int rows = 0;
    int advance = 0;  // whole pixels
    std::vector<std::uint8_t> coverage;  // width * rows, 0..255
};

class FontInstance {
public:
    virtual ~FontInstance() = default;
    virtual const Glyph& glyph(std::uint32_t codepoint) = 0;
    const TEXTMETRIC& metrics() const { return metrics_; }
    bool underline() const { return underline_; }
    bool strikeOut() const { return strikeOut_; }

protected:
    TEXTMETRIC metrics_;
    bool underline_ = false;
    bool strikeOut_ = false;
};

// Never null: when no face file can be opened, an instance without glyphs
// (zero advances) keeps drawing code working.
FontInstance& fontFor(const LOGFONT& font);

// The face file a LOGFONT maps to (for diagnostics and tests).
std::string faceFileFor(const LOGFONT& font);

// Text as code points: UTF-8 when it is valid, otherwise one byte each.
std::vector<std::uint32_t> decodeText(const char* text, std::size_t length);

}  // namespace qm::ui::detail
