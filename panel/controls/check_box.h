// An option group of the settings dialog: up to four option buttons of
// which at most one is down. Its value is the 1-based position of the
// option that is down, 0 when none is.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "panel/controls/choice_button.h"
#include "platform/ui/framework/wnd.h"

namespace qm::panel {

class CCheckBox : public ui::CWnd {
    DECLARE_DYNAMIC(CCheckBox)
public:
    static constexpr int kMaxChoices = 4;

    // How the group's buttons are laid out: the first at `origin`, each
    // next one `step` further (dialog client coordinates), all `size`.
    struct Layout {
        ui::POINT origin{0, 0};
        ui::SIZE step{0, 0};
        ui::SIZE size{64, 24};
    };

    CCheckBox() = default;
    ~CCheckBox() override;

    // Makes the group inside `dialog` with one option per text (1 to 4),
    // taking over the dialog's controls `ids` in the same order.
    ui::BOOL Create(ui::CWnd* dialog, const std::vector<ui::UINT>& ids, const std::vector<std::string>& texts,
                const Layout& layout);
    // The same for consecutive control ids from `firstId` on.
    ui::BOOL Create(ui::CWnd* dialog, ui::UINT firstId, const std::vector<std::string>& texts, const Layout& layout);

    int count() const { return int(items_.size()); }
    CChoiceButton* item(int index) const;
    ui::CWnd* owner() const { return owner_; }

    // Puts option `index` (0-based) down and every other one up.
    void select(int index);
    int value() const;
    // Shows the camera's current value: when it was read, that option is
    // marked and down and the others are offered; when it was not, no
    // option is offered.
    void showCameraValue(int value, bool read);

    // An option was clicked: when it went down, the others go up.
    void itemToggled(CChoiceButton* item);

    // Caption font and colours for every option.
    void setFont(ui::HFONT font);
    void setColours(const std::array<ui::COLORREF, 4>& colours);

private:
    ui::CWnd* owner_ = nullptr;
    std::vector<std::unique_ptr<CChoiceButton>> items_;
};

}  // namespace qm::panel
