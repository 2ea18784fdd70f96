#include "frmabout.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "busyflag.h"
#include "controlids.h"
#include "dpi.h"
#include "formdescription.h"
#include "messageboxmessenger.h"
#include "sysinfo.h"
#include "utf16.h"

namespace quendal::win32 {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// A dialog frame: fixed size, no icon in the caption, no minimise or maximise.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// Below this the safety warning would no longer be readable.
constexpr double kMinimumDescriptionPoints = 6.0;
constexpr double kDescriptionStepPoints = 0.5;

const forms::Form& Description() { return forms::frmAbout(); }

int IdOfControlWith(bool forms::Control::*role) {
    const forms::Form& form = Description();
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (form.controls[i].*role) return ControlIdAt(i);
    }
    return 0;
}

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
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

}  // namespace

void frmAbout::Open(HWND centreOn) {
    if (IsOpen()) {
        // Its message box, if one is open, is what the user has to answer.
        SetForegroundWindow(GetLastActivePopup(m_hwnd));
        return;
    }
    RegisterClassOnce(kClassName);
    const forms::Form& form = Description();
    const UINT dpi = WindowDpi(centreOn);
    const int scale = static_cast<int>(dpi);
    const RECT size = WindowRectForClient(forms::TwipsToPixels(form.clientWidth, scale),
                                          forms::TwipsToPixels(form.clientHeight, scale), kStyle,
                                          kExStyle, false, dpi);
    RECT main{};
    GetWindowRect(centreOn, &main);
    const POINT origin = CentredOn(main, size.right, size.bottom);
    const std::wstring caption = ToUtf16(form.caption);
    // No owner: the dialog lives beside the main window, not above it.
    if (Create(kExStyle, kClassName, caption.c_str(), kStyle, origin.x, origin.y, size.right,
               size.bottom, nullptr, nullptr) == nullptr) {
        return;
    }
    m_controls = std::make_unique<FormControls>(m_hwnd, form);
    m_descriptionFont.reset();
    Load();
    Layout(WindowDpi(m_hwnd));
    m_focus.Start(m_hwnd, m_controls->Get(form.initialFocus));
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
}

void frmAbout::Close() {
    if (IsOpen()) DestroyWindow(m_hwnd);
}

void frmAbout::Load() {
    const forms::AboutTexts texts = forms::LoadAbout();
    SetWindowTextW(m_hwnd, ToUtf16(texts.caption).c_str());
    SetWindowTextW(m_controls->Get("lblVersion"), ToUtf16(texts.version).c_str());
    SetWindowTextW(m_controls->Get("lblTitle"), ToUtf16(texts.title).c_str());
}

void frmAbout::Layout(UINT dpi) {
    m_dpi = dpi;
    const forms::Form& form = Description();
    auto fonts = std::make_unique<FontSet>(dpi);
    m_controls->Layout(dpi, *fonts);
    m_fonts = std::move(fonts);
    FitDescription();

    const int scale = static_cast<int>(dpi);
    const RECT outer = WindowRectForClient(forms::TwipsToPixels(form.clientWidth, scale),
                                           forms::TwipsToPixels(form.clientHeight, scale), kStyle,
                                           kExStyle, false, dpi);
    SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right, outer.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void frmAbout::FitDescription() {
    // The safety warning must be readable whole: where the dialog font cannot
    // fit it into the label's box, step down to the largest size that does.
    const HWND label = m_controls->Get("lblDescription");
    RECT box{};
    GetClientRect(label, &box);
    const std::wstring text = TextOf(label);
    const LOGFONTW dialog = DialogLogFont(m_dpi);
    const HDC dc = GetDC(label);
    if (dc == nullptr) return;
    const auto fontAt = [&](double points) {
        LOGFONTW font = dialog;
        font.lfHeight = PointsToHeight(points, m_dpi);
        return UniqueFont(CreateFontIndirectW(&font));
    };
    const auto fits = [&](double points) {
        const UniqueFont font = fontAt(points);
        const SelectedObject selected(dc, font.get());
        RECT needed{0, 0, box.right, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return needed.bottom <= box.bottom && needed.right <= box.right;
    };
    const double start = HeightToPoints(dialog.lfHeight, m_dpi);
    const double size =
        LargestFittingSize(start, kMinimumDescriptionPoints, kDescriptionStepPoints, fits);
    ReleaseDC(label, dc);

    if (size == start) {
        m_descriptionFont.reset();
        return;  // the dialog font it has from the layout
    }
    UniqueFont font = fontAt(size);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    m_descriptionFont = std::move(font);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(m_hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(m_hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(m_hwnd, WM_CLOSE, OnClose);
        HANDLE_MSG(m_hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(m_hwnd, WM_CTLCOLORSTATIC, OnCtlColorStatic);
        case DM_GETDEFID:
            return DefaultButton();
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

LRESULT frmAbout::DefaultButton() const {
    // Asked by IsDialogMessage when Enter is pressed: cmdOK.
    const int id = IdOfControlWith(&forms::Control::isDefault);
    return id != 0 ? MAKELRESULT(id, DC_HASDEFID) : 0;
}

void frmAbout::OnCommand(HWND window, int id, HWND, UINT) {
    const forms::Form& form = Description();
    // Esc arrives as IDCANCEL: it presses the cancel button, cmdOK.
    const int pressed = id == IDCANCEL ? IdOfControlWith(&forms::Control::isCancel) : id;
    if (pressed == ControlId(form, "cmdOK")) {
        OnClose(window);
    } else if (pressed == ControlId(form, "cmdSysInfo")) {
        StartSystemInformation();
    }
}

void frmAbout::StartSystemInformation() {
    if (m_busy) return;  // a click that reached the button past its message box
    const BusyFlag busy(m_busy);
    MessageBoxMessenger messenger(m_hwnd);
    StartSysInfo(platform::SystemServices(), messenger);
}

void frmAbout::OnActivate(HWND window, UINT state, HWND, BOOL) {
    m_focus.OnActivate(window, state);
}

void frmAbout::OnClose(HWND window) { DestroyWindow(window); }

void frmAbout::OnPaint(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    // Line1, the etched separator above the buttons.
    const int scale = static_cast<int>(m_dpi);
    for (const forms::Line& line : Description().lines) {
        const int thickness = std::max(1, line.widthPixels * scale / static_cast<int>(kDefaultDpi));
        const int y = forms::TwipsToPixels(line.y, scale);
        const RECT stroke{forms::TwipsToPixels(line.x1, scale), y,
                          forms::TwipsToPixels(line.x2, scale) + 1, y + thickness};
        const UniqueBrush brush(
            CreateSolidBrush(RGB(line.colour.red, line.colour.green, line.colour.blue)));
        FillRect(dc, &stroke, brush.get());
    }
    EndPaint(window, &paint);
}

HBRUSH frmAbout::OnCtlColorStatic(HWND window, HDC dc, HWND control, int type) {
    const forms::Control* described = m_controls ? m_controls->Describe(control) : nullptr;
    if (described == nullptr || described->colour != forms::TextColour::Black) {
        return FORWARD_WM_CTLCOLORSTATIC(window, dc, control, DefWindowProcW);
    }
    static_cast<void>(type);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void frmAbout::OnDpiChanged(UINT dpi, const RECT& suggested) {
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(dpi);
}

}  // namespace quendal::win32
