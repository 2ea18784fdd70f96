#include "frmabout.h"

#include <algorithm>

#include "busyflag.h"
#include "controlids.h"
#include "dpi.h"
#include "formdescription.h"
#include "gdiowners.h"
#include "messageboxmessenger.h"
#include "sysinfo.h"
#include "utf16.h"
#include "wrappinglabel.h"

namespace quendal::win32 {

namespace {

const forms::Form& Description() { return forms::frmAbout(); }

COLORREF ColourOf(const forms::Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// The design's colours: black text; Line1 a grey stroke over a white one.
ThemeColours DesignedColours() {
    const auto& lines = Description().lines;
    return {RGB(0, 0, 0), ColourOf(lines[0].colour), ColourOf(lines[1].colour)};
}

using ControlFlag = bool forms::Control::*;

int IdOfControlWith(ControlFlag role) {
    const forms::Form& form = Description();
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (form.controls[i].*role) return ControlIdAt(i);
    }
    return 0;
}

// Keeps a rectangle of the given size centred on `centre` and inside the work
// area of the screen that holds it.
POINT CentredOn(const RECT& centre, int width, int height) {
    POINT origin{centre.left + (centre.right - centre.left - width) / 2,
                 centre.top + (centre.bottom - centre.top - height) / 2};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromRect(&centre, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        origin.x = std::max(area.left, std::min(origin.x, area.right - width));
        origin.y = std::max(area.top, std::min(origin.y, area.bottom - height));
    }
    return origin;
}

// The dialog's template: the frame alone, of no size yet, with no controls,
// no menu, no title and the dialog manager's own class; the controls come
// from the form description in WM_INITDIALOG.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

// frmAbout's border: a fixed dialog frame.
constexpr EmptyDialogTemplate kTemplate{
    {WindowStyleOf(forms::Border::FixedDialog), ExtendedWindowStyleOf(forms::Border::FixedDialog),
     0, 0, 0, 0, 0},
    0,
    0,
    0};

}  // namespace

void frmAbout::Open(HWND centreOn) {
    if (IsOpen()) {
        // Its message box, if one is open, is what the user has to answer.
        SetForegroundWindow(GetLastActivePopup(m_hwnd));
        return;
    }
    m_centreOn = centreOn;
    // No owner: the dialog lives beside the main window, not above it.
    if (CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &kTemplate.header, nullptr, Procedure,
                                   reinterpret_cast<LPARAM>(this)) == nullptr) {
        return;
    }
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
}

void frmAbout::Close() {
    if (IsOpen()) DestroyWindow(m_hwnd);
}

INT_PTR CALLBACK frmAbout::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<frmAbout*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<frmAbout*>(lParam);
        self->m_hwnd = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    if (self == nullptr) return FALSE;
    const INT_PTR result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        self->m_hwnd = nullptr;
        self->m_controls.reset();
    }
    return result;
}

INT_PTR frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return FALSE;  // the focus is set
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            Close();
            return TRUE;
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_DRAWITEM:
            return DrawWrappingLabel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE
                                                                                       : FALSE;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // a high-contrast theme on or off
        case WM_THEMECHANGED:
            m_colours = CurrentColours(DesignedColours());
            if (message == WM_SYSCOLORCHANGE && m_controls) {
                m_controls->Forward(message, wParam, lParam);
            }
            RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return FALSE;
        case WM_GETDPISCALEDSIZE:
            // The dialog's own size at the new DPI, so that the system's
            // suggestion in WM_DPICHANGED is it.
            *reinterpret_cast<SIZE*>(lParam) = FormWindowSize(Description(), LOWORD(wParam));
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void frmAbout::OnInitDialog() {
    const forms::Form& form = Description();
    KeepOwnLayoutOnDpiChange(m_hwnd);
    // It opens on the main window's screen, at that screen's DPI.
    m_controls = std::make_unique<FormControls>(m_hwnd, form, WindowDpi(m_centreOn));
    m_colours = CurrentColours(DesignedColours());
    Load();
    const SIZE size = FormWindowSize(form, m_controls->Dpi());
    RECT main{};
    GetWindowRect(m_centreOn, &main);
    const POINT origin = CentredOn(main, size.cx, size.cy);
    SetWindowPos(m_hwnd, nullptr, origin.x, origin.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Enter presses 确定 when the focus is not on a button.
    SendMessageW(m_hwnd, DM_SETDEFID,
                 static_cast<WPARAM>(IdOfControlWith(&forms::Control::isDefault)), 0);
    SendMessageW(m_hwnd, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(m_controls->Get(form.initialFocus)), TRUE);
}

void frmAbout::Load() {
    const forms::AboutTexts texts = forms::LoadAbout();
    SetWindowTextW(m_hwnd, ToUtf16(texts.caption).c_str());
    SetWindowTextW(m_controls->Get("lblVersion"), ToUtf16(texts.version).c_str());
    SetWindowTextW(m_controls->Get("lblTitle"), ToUtf16(texts.title).c_str());
}

void frmAbout::OnCommand(int id) {
    const forms::Form& form = Description();
    // Esc sends IDCANCEL, which the form's cancel button (确定) answers.
    if ((id == IDCANCEL && IdOfControlWith(&forms::Control::isCancel) != 0) ||
        id == ControlId(form, "cmdOK")) {
        Close();
    } else if (id == ControlId(form, "cmdSysInfo")) {
        StartSystemInformation();
    }
}

void frmAbout::StartSystemInformation() {
    if (m_busy) return;  // a click that reached the button past its message box
    const BusyFlag busy(m_busy);
    MessageBoxMessenger messenger(m_hwnd);
    StartSysInfo(platform::SystemServices(), messenger);
}

void frmAbout::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_hwnd, &paint);
    // Line1, the etched separator above the buttons: its grey stroke first.
    const int scale = static_cast<int>(m_controls ? m_controls->Dpi() : kDefaultDpi);
    const auto& lines = Description().lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const forms::Line& line = lines[i];
        const int thickness = std::max(1, line.widthPixels * scale / static_cast<int>(kDefaultDpi));
        const int y = forms::TwipsToPixels(line.y, scale);
        const RECT stroke{forms::TwipsToPixels(line.x1, scale), y,
                          forms::TwipsToPixels(line.x2, scale) + 1, y + thickness};
        const UniqueBrush brush(CreateSolidBrush(i == 0 ? m_colours.shadow : m_colours.highlight));
        FillRect(dc, &stroke, brush.get());
    }
    EndPaint(m_hwnd, &paint);
}

INT_PTR frmAbout::OnCtlColorStatic(HDC dc, HWND control) {
    const forms::Control* described = m_controls ? m_controls->Describe(control) : nullptr;
    if (described == nullptr || described->colour != forms::TextColour::Black) return FALSE;
    SetTextColor(dc, m_colours.text);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void frmAbout::OnDpiChanged(UINT dpi, const RECT& suggested) {
    m_controls->Layout(dpi);
    InvalidateRect(m_hwnd, nullptr, TRUE);  // Line1
    MoveToSuggested(m_hwnd, suggested);
}

}  // namespace quendal::win32
