#include "form1.h"

#include <windowsx.h>

#include "busyflag.h"
#include "controlids.h"
#include "dpi.h"
#include "dropper.h"
#include "formdescription.h"
#include "menubar.h"
#include "messageboxmessenger.h"
#include "resources.h"
#include "screenreader.h"
#include "utf16.h"
#include "wrappinglabel.h"

namespace quendal::win32 {

namespace {

const forms::Form& Description() { return forms::Form1(); }

}  // namespace

Form1::Form1() {
    RegisterClassOnce(kClassName);
    const forms::Form& form = Description();
    const SIZE size = FormWindowSize(form, SystemDpi());
    const std::wstring caption = ToUtf16(form.caption);
    // The first position is the system's choice.
    if (Create(ExtendedWindowStyleOf(form.border), kClassName, caption.c_str(),
               WindowStyleOf(form.border), CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr,
               BuildMenuBar(form)) == nullptr) {
        return;
    }
    m_controls = std::make_unique<FormControls>(m_hwnd, form, WindowDpi(m_hwnd));
    SetIcon(ICON_SMALL);  // the caption's
    SizeToDesign();
    m_focus.Start(m_hwnd, m_controls->Get(form.initialFocus));
    ACCEL help{FVIRTKEY, VK_F1, static_cast<WORD>(MenuItemId(form, "sm"))};
    m_keys.reset(CreateAcceleratorTableW(&help, 1));
}

void Form1::Show(int showCommand) {
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    // What the first paint did not need: the large icon (Alt+Tab, the
    // taskbar) and the units' tooltips.
    SetIcon(ICON_BIG);
    m_controls->AddTooltips();
    m_controls->DescribeForScreenReaders();
    // The results the calculations write: screen readers speak each new one
    // (Write), though the focus stays on the button.
    for (const FieldId written : {FieldId::txtC1, FieldId::txtCurrent})
        MakeLiveRegion(Box(written));
    MakeLiveRegion(m_controls->Get(forms::kReportLabel));
}

void Form1::SizeToDesign() {
    // The client area is the form's, at the DPI of the screen the window
    // opened on, whatever the menu bar's height.
    const forms::Form& form = Description();
    const int scale = static_cast<int>(Dpi());
    const int width = forms::TwipsToPixels(form.clientWidth, scale);
    const int height = forms::TwipsToPixels(form.clientHeight, scale);
    RECT client{};
    GetClientRect(m_hwnd, &client);
    if (client.right == width && client.bottom == height) return;  // as created
    RECT outer{};
    GetWindowRect(m_hwnd, &outer);
    SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT Form1::Dpi() const { return m_controls ? m_controls->Dpi() : kDefaultDpi; }

void Form1::SetIcon(WPARAM which) {
    const bool big = which == ICON_BIG;
    UniqueIcon icon = ProgramIcon(SystemMetric(big ? SM_CXICON : SM_CXSMICON, Dpi()));
    SendMessageW(m_hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon.get()));
    (big ? m_bigIcon : m_smallIcon) = std::move(icon);  // the one it replaced goes
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(m_hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(m_hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(m_hwnd, WM_CLOSE, OnClose);
        HANDLE_MSG(m_hwnd, WM_DESTROY, OnDestroy);
        case WM_ENDSESSION:
            // The session ends (log-off, shutdown) or the Restart Manager
            // closes the program for an update: end now, as 退出 does, rather
            // than be killed after the system's time-out. Nothing is lost.
            if (wParam != FALSE) OnClose(m_hwnd);
            return 0;
        case WM_SYSCOLORCHANGE:
            // Only top-level windows hear of it from the system; the common
            // controls keep their own copies of the colours.
            if (m_controls) m_controls->Forward(message, wParam, lParam);
            return 0;
        case WM_DRAWITEM:
            return DrawWrappingLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE
                                                                                       : FALSE;
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lParam) = ScaledSize(LOWORD(wParam));
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void Form1::OnCommand(HWND, int id, HWND, UINT code) {
    const forms::Form& form = Description();
    if (id == ControlId(form, "Command1") && code == BN_CLICKED) {
        Calculate(CalculateCapacitance);
    } else if (id == ControlId(form, "Command2") && code == BN_CLICKED) {
        Calculate(CalculateCurrent);
    } else if (id == MenuItemId(form, "ex")) {
        OnClose(m_hwnd);
    } else if (id == MenuItemId(form, "sm")) {
        m_about.Open(m_hwnd);
    } else if (id == IDOK) {
        PressFocusedButton();
    }
    // IDCANCEL comes from Esc: Form1 has no cancel button, so it does nothing.
}

void Form1::PressFocusedButton() {
    // IsDialogMessage sends IDOK for Enter unless the focused button is the
    // default one, which it is only when Tab brought the focus there, not a
    // mouse click. Enter presses the focused button however it got the
    // focus; in a text box it does nothing, since Form1 has no default button.
    const HWND focus = GetFocus();
    const forms::Control* focused = m_controls ? m_controls->Describe(focus) : nullptr;
    if (focused != nullptr && focused->kind == forms::ControlKind::Button) {
        SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

bool Form1::TranslateKeys(MSG& message) const {
    // F1 opens 说明, as help does in any Windows program.
    return m_keys && (message.hwnd == m_hwnd || IsChild(m_hwnd, message.hwnd)) &&
           TranslateAcceleratorW(m_hwnd, m_keys.get(), &message) != 0;
}

void Form1::Calculate(void (*calculation)(FieldSet&, Messenger&)) {
    // A click that reaches a button while this window's message box is open
    // (BM_CLICK gets through to a disabled window's buttons) must not start a
    // second calculation inside the first.
    if (m_calculating) return;
    const BusyFlag busy(m_calculating);
    MessageBoxMessenger messenger(m_hwnd);
    calculation(*this, messenger);
}

void Form1::OnActivate(HWND window, UINT state, HWND, BOOL) { m_focus.OnActivate(window, state); }

void Form1::OnClose(HWND window) {
    // Closing the main window ends the program, with every window of it.
    m_about.Close();
    DestroyWindow(window);
}

void Form1::OnDestroy(HWND) { PostQuitMessage(0); }

SIZE Form1::ScaledSize(UINT dpi) const {
    // The client area the user gave the window, scaled to the new DPI: the
    // frame's and menu's parts do not scale in proportion.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int scale = static_cast<int>(dpi);
    const int current = static_cast<int>(Dpi());
    return FormWindowSize(Description(), dpi, MulDiv(client.right, scale, current),
                          MulDiv(client.bottom, scale, current));
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // The controls, their fonts and the icons for the new DPI, in the
    // system's rectangle: the scaled size asked for above, or the maximised
    // window's on its new screen; never the form's own size again.
    m_controls->Layout(dpi);
    SetIcon(ICON_SMALL);
    SetIcon(ICON_BIG);
    MoveToSuggested(m_hwnd, suggested);
}

HWND Form1::Box(FieldId field) const {
    return m_controls ? m_controls->Get(forms::ControlName(field)) : nullptr;
}

std::string Form1::FieldText(FieldId field) const { return ToUtf8(WindowText(Box(field))); }

void Form1::SetFieldText(FieldId field, const std::string& text) { Write(Box(field), text); }

void Form1::SetReportText(const std::string& text) {
    if (m_controls) Write(m_controls->Get(forms::kReportLabel), text);
}

void Form1::Write(HWND control, const std::string& text) {
    SetWindowTextW(control, ToUtf16(text).c_str());
    AnnounceLiveRegionChange(control);
}

}  // namespace quendal::win32
