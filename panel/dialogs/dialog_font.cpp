#include "panel/dialogs/dialog_font.h"

namespace qm::panel {

ui::CFont& dialogFont()
{
    static ui::CFont font;
    if (!font.m_hObject)
        font.CreateFont(18, 6, 0, 0, 450, 0, 0, 0, ui::ANSI_CHARSET, ui::OUT_DEFAULT_PRECIS, ui::CLIP_DEFAULT_PRECIS,
                        ui::DEFAULT_QUALITY, ui::DEFAULT_PITCH | ui::FF_SWISS, nullptr);
    return font;
}

}  // namespace qm::panel
