// A dialog template: the dialog's style, caption, font and rectangle in
// dialog units, and its controls with their ids, classes, texts, styles and
// rectangles. Resource scripts compile into this; code may build one too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/types.h"

namespace qm::ui {

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    int id = 0;
    std::string className;  // "Button", "Edit", "Static", "ListBox", "ComboBox", ...
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    std::string caption;
    std::string className;  // empty: the dialog class
    WORD pointSize = 8;
    std::string fontName = "MS Sans Serif";
    std::vector<DialogItem> items;
};

// The compiled form (little-endian): style, exStyle, x, y, cx, cy, point
// size, item count, then caption, class and font name as length-prefixed
// strings; each item: style, exStyle, x, y, cx, cy, id, class, text.
std::vector<std::uint8_t> serializeDialogTemplate(const DialogTemplate& tmpl);
std::optional<DialogTemplate> parseDialogTemplate(const std::uint8_t* data, std::size_t size);

}  // namespace qm::ui
