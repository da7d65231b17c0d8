#include "panel/controls/bmp_button.h"

#include "panel/entry/busy_cursor.h"
#include "panel/model/panel_state.h"
#include "panel/resources/panel_resources.h"
#include "platform/system/timing.h"

namespace qm::panel {

using ui::CBitmapButton;
IMPLEMENT_DYNAMIC(CBmpButton, CBitmapButton)

namespace {

// When the pointer last moved over any toolbar button (tick count).
std::uint32_t lastToolbarMovement = 0;

// Hints and the hover look belong to an idle browser only.
bool browserIdle()
{
    const BrowserHooks* browser = panelState().browser;
    return browser && browser->currentOperation() == 0;
}

}  // namespace

CBmpButton::CBmpButton() { m_hResource = panelInstance(); }

CBmpButton::~CBmpButton() = default;

ui::BOOL CBmpButton::attach(ui::CWnd* parent, ui::UINT id, const ButtonLooks& looks, const ui::CRect& place)
{
    if (!SubclassDlgItem(id, parent))
        return ui::FALSE;
    // Whatever the template says, the button draws through DrawItem.
    SetButtonStyle(ui::BS_OWNERDRAW, ui::FALSE);
    const ui::BOOL loaded = loadLooks(looks);
    MoveWindow(place.left, place.top, place.Width(), place.Height(), ui::FALSE);
    return loaded;
}

ui::BOOL CBmpButton::loadLooks(const ButtonLooks& looks)
{
    m_hResource = panelInstance();
    return LoadBitmaps(looks.normal, looks.pressed, looks.focus, looks.disabled);
}

bool CBmpButton::pointerInside() const
{
    ui::POINT pointer;
    if (!ui::GetCursorPos(&pointer))
        return false;
    ui::CRect window;
    GetWindowRect(&window);
    return window.PtInRect(pointer) != ui::FALSE;
}

bool CBmpButton::pressed() const { return (GetState() & ui::BST_PUSHED) != 0; }

void CBmpButton::startHintTimer()
{
    hintTimerRunning_ = SetTimer(kHintTimer, kHintDelayMs) != 0;
}

void CBmpButton::stopHintTimer()
{
    if (m_hWnd)
        KillTimer(kHintTimer);
    hintTimerRunning_ = false;
}

void CBmpButton::releaseCapture()
{
    if (m_hWnd && ui::GetCapture() == m_hWnd)
        ui::ReleaseCapture();
}

void CBmpButton::destroyHint()
{
    if (hintWnd_) {
        // Reset before destroying: destruction may bring messages back here.
        std::unique_ptr<CHintWnd> hint = std::move(hintWnd_);
        hint->DestroyWindow();
    }
}

void CBmpButton::dropHint()
{
    releaseCapture();
    stopHintTimer();
    destroyHint();
}

void CBmpButton::showHint()
{
    ui::POINT pointer;
    if (!ui::GetCursorPos(&pointer))
        return;
    destroyHint();
    auto hint = std::make_unique<CHintWnd>();
    if (hint->Create(this, hint_, pointer))
        hintWnd_ = std::move(hint);
}

void CBmpButton::OnMouseMove(ui::UINT flags, ui::CPoint point)
{
    CBitmapButton::OnMouseMove(flags, point);
    if (!m_hWnd || !browserIdle())
        return;
    // The focus look is the hover look.
    if (ui::GetFocus() != m_hWnd)
        SetFocus();
    if (hint_.empty())
        return;
    stopHintTimer();
    ui::CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point) || pressed()) {
        // A press in progress keeps its capture, or moving the pointer a
        // little while the button is held down would lose the click.
        if (!pressed())
            releaseCapture();
        destroyHint();
    } else if (!hintWindow()) {
        if (sys::GetTickCount() - lastToolbarMovement > kRestingMs)
            sys::Sleep(kFirstHintWaitMs);
        startHintTimer();
    }
    lastToolbarMovement = sys::GetTickCount();
}

void CBmpButton::OnTimer(ui::UINT_PTR id)
{
    const bool inside = pointerInside();
    if (!inside)
        if (ui::CWnd* parent = GetParent())
            parent->SetFocus();
    if (id != kHintTimer) {
        CBitmapButton::OnTimer(id);
        return;
    }
    stopHintTimer();
    if (pressed())
        return;
    if (inside)
        showHint();
    else
        destroyHint();
}

void CBmpButton::OnLButtonDown(ui::UINT flags, ui::CPoint point)
{
    dropHint();
    CBitmapButton::OnLButtonDown(flags, point);
}

void CBmpButton::OnKillFocus(ui::CWnd* newWnd)
{
    dropHint();
    CBitmapButton::OnKillFocus(newWnd);
}

void CBmpButton::OnEnable(ui::BOOL enable)
{
    if (!enable)
        dropHint();
    CBitmapButton::OnEnable(enable);
}

ui::BOOL CBmpButton::OnSetCursor(ui::CWnd*, ui::UINT, ui::UINT)
{
    moduleBusyCursor().setCursorHook();
    return ui::TRUE;
}

void CBmpButton::OnDestroy()
{
    stopHintTimer();
    destroyHint();
    CBitmapButton::OnDestroy();
}

}  // namespace qm::panel
