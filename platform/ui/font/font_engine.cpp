#include "platform/ui/font/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <strings.h>
#include <tuple>

namespace qm::ui::detail {
namespace {

enum class Family { Sans, Serif, Mono };

Family familyFor(const LOGFONT& lf)
{
    const char* face = lf.lfFaceName;
    static const char* const serif[] = {"Times New Roman", "Times", "Serif", "Roman", "DejaVu Serif"};
    static const char* const mono[] = {"Courier New", "Courier", "Fixedsys", "Terminal", "Lucida Console",
                                       "Monospace", "DejaVu Sans Mono"};
    for (const char* name : serif)
        if (strcasecmp(face, name) == 0)
            return Family::Serif;
    for (const char* name : mono)
        if (strcasecmp(face, name) == 0)
            return Family::Mono;
    if (face[0] != '\0')
        return Family::Sans;
    const BYTE family = lf.lfPitchAndFamily & 0xF0;
    if (family == FF_ROMAN)
        return Family::Serif;
    if (family == FF_MODERN || (lf.lfPitchAndFamily & 0x3) == FIXED_PITCH)
        return Family::Mono;
    return Family::Sans;
}

std::string fontDirectory()
{
    if (const char* dir = std::getenv("QM4200_FONT_DIR"); dir && *dir)
        return dir;
    return "/usr/share/fonts/truetype/dejavu";
}

class FreeTypeLibrary {
public:
    FreeTypeLibrary() { ok_ = FT_Init_FreeType(&library_) == 0; }
    ~FreeTypeLibrary()
    {
        faces_.clear();
        if (ok_)
            FT_Done_FreeType(library_);
    }
    FT_Face face(const std::string& path)
    {
        if (!ok_)
            return nullptr;
        auto it = faces_.find(path);
        if (it != faces_.end())
            return it->second.get();
        FT_Face face = nullptr;
        if (FT_New_Face(library_, path.c_str(), 0, &face) != 0)
            face = nullptr;
        faces_.emplace(path, FacePtr(face));
        return face;
    }

private:
    struct FaceDone {
        void operator()(FT_Face f) const
        {
            if (f)
                FT_Done_Face(f);
        }
    };
    using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDone>;
    bool ok_ = false;
    FT_Library library_ = nullptr;
    std::map<std::string, FacePtr> faces_;
};

FreeTypeLibrary& freetype()
{
    static FreeTypeLibrary* lib = new FreeTypeLibrary;  // faces stay valid until exit
    return *lib;
}

class FreeTypeFont : public FontInstance {
public:
    FreeTypeFont(FT_Face face, const LOGFONT& lf) : face_(face)
    {
        underline_ = lf.lfUnderline != 0;
        strikeOut_ = lf.lfStrikeOut != 0;
        if (!face_ || FT_New_Size(face_, &size_) != 0) {
            face_ = nullptr;
            return;
        }
        FT_Activate_Size(size_);
        const double upm = face_->units_per_EM;
        const double cell = double(face_->ascender - face_->descender);
        double emY = 11.0;
        if (lf.lfHeight > 0)
            emY = lf.lfHeight * upm / cell;
        else if (lf.lfHeight < 0)
            emY = -double(lf.lfHeight);
        double emX = emY;
        double avgUnits = upm / 2;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2)); os2 && os2->xAvgCharWidth > 0)
            avgUnits = os2->xAvgCharWidth;
        if (lf.lfWidth > 0)
            emX = lf.lfWidth * upm / avgUnits;
        FT_Set_Char_Size(face_, FT_F26Dot6(std::lround(emX * 64)), FT_F26Dot6(std::lround(emY * 64)), 72, 72);
        const FT_Size_Metrics& m = size_->metrics;
        metrics_.tmAscent = LONG((m.ascender + 63) / 64);
        metrics_.tmDescent = LONG((-m.descender + 63) / 64);
        metrics_.tmHeight = metrics_.tmAscent + metrics_.tmDescent;
        metrics_.tmInternalLeading = std::max<LONG>(0, metrics_.tmHeight - LONG(std::lround(emY)));
        metrics_.tmAveCharWidth = lf.lfWidth > 0 ? lf.lfWidth : LONG(std::lround(avgUnits * emX / upm));
        metrics_.tmMaxCharWidth = LONG((m.max_advance + 63) / 64);
        metrics_.tmWeight = lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight;
    }
    ~FreeTypeFont() override
    {
        if (face_)
            FT_Done_Size(size_);
    }

    const Glyph& glyph(std::uint32_t codepoint) override
    {
        auto it = glyphs_.find(codepoint);
        if (it != glyphs_.end())
            return it->second;
        Glyph g;
        if (face_) {
            FT_Activate_Size(size_);
            const FT_UInt index = FT_Get_Char_Index(face_, codepoint);
            if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) == 0 &&
                FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) == 0) {
                const FT_GlyphSlot slot = face_->glyph;
                const FT_Bitmap& bm = slot->bitmap;
                g.left = slot->bitmap_left;
                g.top = slot->bitmap_top;
                g.width = int(bm.width);
                g.rows = int(bm.rows);
                g.advance = int((slot->advance.x + 32) >> 6);
                g.coverage.resize(std::size_t(g.width) * g.rows);
                for (int y = 0; y < g.rows; ++y) {
                    const int pitch = bm.pitch;
                    const unsigned char* src =
                        pitch >= 0 ? bm.buffer + y * pitch : bm.buffer + (g.rows - 1 - y) * (-pitch);
                    std::memcpy(g.coverage.data() + std::size_t(y) * g.width, src, std::size_t(g.width));
                }
            }
        }
        return glyphs_.emplace(codepoint, std::move(g)).first->second;
    }

private:
    FT_Face face_ = nullptr;
    FT_Size size_ = nullptr;
    std::unordered_map<std::uint32_t, Glyph> glyphs_;
};

using FontKey = std::tuple<LONG, LONG, LONG, BYTE, BYTE, BYTE, std::string>;

}  // namespace

std::string faceFileFor(const LOGFONT& lf)
{
    const bool bold = lf.lfWeight >= 600;
    const bool italic = lf.lfItalic != 0;
    std::string name;
    switch (familyFor(lf)) {
    case Family::Serif:
        name = std::string("DejaVuSerif") + (bold && italic ? "-BoldItalic" : bold ? "-Bold" : italic ? "-Italic" : "");
        break;
    case Family::Mono:
        name = std::string("DejaVuSansMono") + (bold && italic ? "-BoldOblique" : bold ? "-Bold" : italic ? "-Oblique" : "");
        break;
    case Family::Sans:
        name = std::string("DejaVuSans") + (bold && italic ? "-BoldOblique" : bold ? "-Bold" : italic ? "-Oblique" : "");
        break;
    }
    return fontDirectory() + "/" + name + ".ttf";
}

FontInstance& fontFor(const LOGFONT& lf)
{
    static std::map<FontKey, std::unique_ptr<FontInstance>>* cache = new std::map<FontKey, std::unique_ptr<FontInstance>>;
    const std::string file = faceFileFor(lf);
    FontKey key{lf.lfHeight, lf.lfWidth, lf.lfWeight >= 600 ? 700 : 400, lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut,
                file};
    auto it = cache->find(key);
    if (it != cache->end())
        return *it->second;
    auto font = std::make_unique<FreeTypeFont>(freetype().face(file), lf);
    return *cache->emplace(key, std::move(font)).first->second;
}

std::vector<std::uint32_t> decodeText(const char* text, std::size_t length)
{
    std::vector<std::uint32_t> out;
    if (text == nullptr)
        return out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char c = s[i];
        int extra = c >= 0xF8 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : 0;
        if (extra > 0) {
            bool valid = true;
            std::uint32_t cp = c & (0x3F >> extra);
            for (int k = 1; valid && k <= extra; ++k) {
                if (i + k >= length || (s[i + k] & 0xC0) != 0x80)
                    valid = false;
                else
                    cp = (cp << 6) | (s[i + k] & 0x3F);
            }
            if (valid) {
                out.push_back(cp);
                i += std::size_t(extra) + 1;
                continue;
            }
        }
        out.push_back(c);  // ASCII, or a byte of another code page taken as Latin-1
        ++i;
    }
    return out;
}

}  // namespace qm::ui::detail
