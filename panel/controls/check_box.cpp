#include "panel/controls/check_box.h"

#include "panel/controls/control_class.h"

namespace qm::panel {

using ui::CWnd;
IMPLEMENT_DYNAMIC(CCheckBox, CWnd)

namespace {

constexpr const char* kClassName = "VantrelOptionGroup";

}  // namespace

CCheckBox::~CCheckBox()
{
    // The options go first: they refer back to the group.
    items_.clear();
}

ui::BOOL CCheckBox::Create(ui::CWnd* dialog, const std::vector<ui::UINT>& ids, const std::vector<std::string>& texts,
                       const Layout& layout)
{
    if (m_hWnd || !dialog || texts.empty() || texts.size() > std::size_t(kMaxChoices) || ids.size() < texts.size())
        return ui::FALSE;
    if (!registerControlClass(kClassName))
        return ui::FALSE;
    if (!CreateEx(0, kClassName, "", ui::WS_CHILD | ui::WS_VISIBLE, ui::CRect(0, 0, 0, 0), dialog, 0))
        return ui::FALSE;
    owner_ = dialog;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto item = std::make_unique<CChoiceButton>();
        if (!item->attach(dialog, ids[i], texts[i], this)) {
            items_.clear();
            DestroyWindow();
            return ui::FALSE;
        }
        const int x = layout.origin.x + int(i) * layout.step.cx;
        const int y = layout.origin.y + int(i) * layout.step.cy;
        item->MoveWindow(x, y, layout.size.cx, layout.size.cy);
        item->ShowWindow(ui::SW_SHOW);
        items_.push_back(std::move(item));
    }
    return ui::TRUE;
}

ui::BOOL CCheckBox::Create(ui::CWnd* dialog, ui::UINT firstId, const std::vector<std::string>& texts,
                       const Layout& layout)
{
    std::vector<ui::UINT> ids;
    for (std::size_t i = 0; i < texts.size(); ++i)
        ids.push_back(firstId + ui::UINT(i));
    return Create(dialog, ids, texts, layout);
}

CChoiceButton* CCheckBox::item(int index) const
{
    return index >= 0 && index < count() ? items_[std::size_t(index)].get() : nullptr;
}

void CCheckBox::select(int index)
{
    for (int i = 0; i < count(); ++i)
        items_[std::size_t(i)]->setDown(i == index);
}

int CCheckBox::value() const
{
    for (int i = 0; i < count(); ++i)
        if (items_[std::size_t(i)]->down())
            return i + 1;
    return 0;
}

void CCheckBox::showCameraValue(int value, bool read)
{
    for (int i = 0; i < count(); ++i) {
        CChoiceButton& option = *items_[std::size_t(i)];
        if (!read) {
            option.setActivity(CChoiceButton::kInactive);
            option.setDown(false);
            continue;
        }
        const bool current = i + 1 == value;
        option.setActivity(current ? CChoiceButton::kMarked : CChoiceButton::kActive);
        option.setDown(current);
    }
}

void CCheckBox::itemToggled(CChoiceButton* toggled)
{
    if (!toggled->down())
        return;
    for (auto& option : items_)
        if (option.get() != toggled)
            option->setDown(false);
}

void CCheckBox::setFont(ui::HFONT font)
{
    for (auto& option : items_)
        option->setFont(font);
}

void CCheckBox::setColours(const std::array<ui::COLORREF, 4>& colours)
{
    for (auto& option : items_)
        option->setColours(colours);
}

}  // namespace qm::panel
