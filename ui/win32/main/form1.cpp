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
#include "utf16.h"

namespace quendal::win32 {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

const forms::Form& Description() { return forms::Form1(); }

}  // namespace

Form1::Form1() {
    RegisterClassOnce(kClassName);
    const forms::Form& form = Description();
    const UINT systemDpi = SystemDpi();
    const RECT size =
        WindowRectForClient(forms::TwipsToPixels(form.clientWidth, static_cast<int>(systemDpi)),
                            forms::TwipsToPixels(form.clientHeight, static_cast<int>(systemDpi)),
                            kStyle, kExStyle, true, systemDpi);
    const std::wstring caption = ToUtf16(form.caption);
    // The first position is the system's choice.
    if (Create(kExStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
               size.right, size.bottom, nullptr, BuildMenuBar(form)) == nullptr) {
        return;
    }
    m_controls = std::make_unique<FormControls>(m_hwnd, form);
    Layout(WindowDpi(m_hwnd));
    m_focus.Start(m_hwnd, m_controls->Get(form.initialFocus));
}

void Form1::Show(int showCommand) {
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
}

void Form1::Layout(UINT dpi) {
    m_dpi = dpi;
    const forms::Form& form = Description();
    auto fonts = std::make_unique<FontSet>(dpi);
    m_controls->Layout(dpi, *fonts);
    m_fonts = std::move(fonts);  // the old fonts go once no control uses them

    // The client area is the form's, whatever the menu bar's height.
    const int scale = static_cast<int>(dpi);
    const int width = forms::TwipsToPixels(form.clientWidth, scale);
    const int height = forms::TwipsToPixels(form.clientHeight, scale);
    RECT outer = WindowRectForClient(width, height, kStyle, kExStyle, true, dpi);
    SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right, outer.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (client.right != width || client.bottom != height) {
        GetWindowRect(m_hwnd, &outer);
        SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                     outer.bottom - outer.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    UniqueIcon big = ProgramIcon(SystemMetric(SM_CXICON, dpi));
    UniqueIcon small = ProgramIcon(SystemMetric(SM_CXSMICON, dpi));
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    m_bigIcon = std::move(big);
    m_smallIcon = std::move(small);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(m_hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(m_hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(m_hwnd, WM_CLOSE, OnClose);
        HANDLE_MSG(m_hwnd, WM_DESTROY, OnDestroy);
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
    }
    // IDOK and IDCANCEL come from Enter and Esc in a text box: Form1 has no
    // default or cancel button, so they do nothing.
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

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // Where the system puts the window on the new screen; Layout then sizes
    // it for the form's client area at the new DPI.
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(dpi);
}

HWND Form1::Box(FieldId field) const {
    return m_controls ? m_controls->Get(forms::ControlName(field)) : nullptr;
}

std::string Form1::FieldText(FieldId field) const {
    const HWND box = Box(field);
    const int length = box != nullptr ? GetWindowTextLengthW(box) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(box, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return ToUtf8(text);
}

void Form1::SetFieldText(FieldId field, const std::string& text) {
    SetWindowTextW(Box(field), ToUtf16(text).c_str());
}

void Form1::SetReportText(const std::string& text) {
    // The report's lines are separated by CR LF, where a static control breaks.
    if (m_controls) SetWindowTextW(m_controls->Get(forms::kReportLabel), ToUtf16(text).c_str());
}

}  // namespace quendal::win32
