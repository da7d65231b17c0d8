#include "tests/panel/dialogs/dialogs_fixture.h"

#include <cstdlib>
#include <ctime>

namespace qm::panel::test {

DialogsTest::DialogsTest()
{
    setenv("TZ", "UTC0", 1);
    tzset();
}

DialogsTest::~DialogsTest()
{
    unsetenv("TZ");
    tzset();
}

ui::SIZE DialogsTest::clientSize(ui::HWND window)
{
    ui::RECT client{};
    ui::GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

void DialogsTest::key(ui::UINT vk, automation::Modifiers modifiers)
{
    automation::pressKey(vk, modifiers);
    automation::pumpPending();
}

int DialogsTest::focusedId() { return ui::GetDlgCtrlID(ui::GetFocus()); }

void DialogsTest::press(ui::CWnd* button)
{
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(automation::click(button->m_hWnd));
    automation::pumpPending();
}

}  // namespace qm::panel::test
