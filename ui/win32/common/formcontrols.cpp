#include "formcontrols.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "controlids.h"
#include "dpi.h"
#include "picture.h"
#include "resources.h"
#include "screenreader.h"
#include "utf16.h"
#include "wrappinglabel.h"

namespace quendal::win32 {

namespace {

using forms::ControlKind;

DWORD StyleOf(const forms::Control& control) {
    DWORD style = WS_CHILD | WS_VISIBLE | (control.tabStop ? WS_TABSTOP : 0);
    switch (control.kind) {
        case ControlKind::TextBox:
            return style | ES_LEFT | ES_AUTOHSCROLL;
        case ControlKind::Label:
            // Plain text: a "&" is shown, not taken as an access key.
            return style |
                   (control.wordWrap ? kWrappingLabelStyle : SS_NOPREFIX | SS_LEFTNOWORDWRAP);
        case ControlKind::Button:
            return style | (control.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::PictureBox:
        case ControlKind::IconBox:
            break;
    }
    return style;
}

const wchar_t* ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::TextBox:
            return WC_EDITW;
        case ControlKind::Label:
            return WC_STATICW;
        case ControlKind::Button:
            return WC_BUTTONW;
        case ControlKind::PictureBox:
        case ControlKind::IconBox:
            break;
    }
    return PictureBox::kClassName;
}

}  // namespace

SIZE FormWindowSize(const forms::Form& form, UINT dpi, int clientWidth, int clientHeight) {
    const int scale = static_cast<int>(dpi);
    const RECT outer = WindowRectForClient(
        clientWidth >= 0 ? clientWidth : forms::TwipsToPixels(form.clientWidth, scale),
        clientHeight >= 0 ? clientHeight : forms::TwipsToPixels(form.clientHeight, scale),
        WindowStyleOf(form.border), ExtendedWindowStyleOf(form.border), !form.menu.empty(), dpi);
    return {outer.right, outer.bottom};
}

void MoveToSuggested(HWND window, const RECT& suggested) {
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

FormControls::FormControls(HWND parent, const forms::Form& form, UINT dpi)
    : m_parent(parent),
      m_form(form),
      m_dpi(dpi),
      m_fonts(std::make_unique<FontSet>(dpi)),
      m_windows(form.controls.size(), nullptr),
      m_pictures(form.controls.size()) {
    const auto& controls = form.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!controls[i].labelFor.empty()) continue;  // comes with its text box
        for (std::size_t label = 0; label < controls.size(); ++label) {
            if (controls[label].labelFor == controls[i].name) CreateControl(label);
        }
        CreateControl(i);
    }
}

FormControls::~FormControls() = default;

void FormControls::CreateControl(std::size_t index) {
    const forms::Control& control = m_form.controls[index];
    const int id = ControlIdAt(index);
    const forms::PixelRect place = forms::ToPixels(control.rect, static_cast<int>(m_dpi));
    if (control.kind == ControlKind::PictureBox || control.kind == ControlKind::IconBox) {
        m_pictures[index] = std::make_unique<PictureBox>(
            m_parent, id, ToUtf16(control.accessibleName), control.tabStop, place);
        m_windows[index] = m_pictures[index]->Handle();
    } else {
        const std::wstring caption = ToUtf16(control.caption);
        const DWORD exStyle = control.kind == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
        m_windows[index] = CreateWindowExW(
            exStyle, ClassOf(control.kind), caption.c_str(), StyleOf(control), place.left,
            place.top, place.width, place.height, m_parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    const HWND window = m_windows[index];
    if (window == nullptr) return;
    if (control.kind == ControlKind::TextBox) {
        // 0 lifts the 32767-character limit to the largest the control has.
        SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
    }
    Furnish(index, false);  // not shown yet
}

void FormControls::AddTooltips() {
    if (m_tooltips != nullptr) return;
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        const forms::Control& control = m_form.controls[i];
        if (control.hint.empty() || m_windows[i] == nullptr) continue;
        if (m_tooltips == nullptr) {
            m_tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_parent,
                                         nullptr, GetModuleHandleW(nullptr), nullptr);
            if (m_tooltips == nullptr) return;
        }
        std::wstring hint = ToUtf16(control.hint);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_parent;
        tool.uId = reinterpret_cast<UINT_PTR>(m_windows[i]);
        tool.lpszText = hint.data();  // copied by the tooltip control
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void FormControls::DescribeForScreenReaders() const {
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        const forms::Control& control = m_form.controls[i];
        if (!control.hint.empty()) SetAccessibleDescription(m_windows[i], ToUtf16(control.hint));
    }
}

void FormControls::Layout(UINT dpi) {
    m_dpi = dpi;
    auto oldFonts = std::exchange(m_fonts, std::make_unique<FontSet>(dpi));
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        const HWND window = m_windows[i];
        if (window == nullptr) continue;
        const forms::PixelRect place =
            forms::ToPixels(m_form.controls[i].rect, static_cast<int>(dpi));
        MoveWindow(window, place.left, place.top, place.width, place.height, TRUE);
        Furnish(i, true);
    }
    // The old fonts go here, once no control uses them.
}

void FormControls::Furnish(std::size_t index, bool redraw) {
    const forms::Control& control = m_form.controls[index];
    SendMessageW(m_windows[index], WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts->Get(control.font)),
                 redraw ? TRUE : FALSE);
    PictureBox* picture = m_pictures[index].get();
    if (picture == nullptr) return;
    const UINT dpi = m_dpi;
    const int scale = static_cast<int>(dpi);
    if (control.picture == forms::Picture::Circuit) {
        const forms::PixelRect place = forms::ToPixels(control.rect, scale);
        picture->SetBitmap(CircuitPicture(place.width, place.height, dpi));
    } else if (control.picture == forms::Picture::AppIcon) {
        const int size = MulDiv(forms::kAppIconPixels, scale, 96);
        picture->SetIcon(ProgramIcon(size), size);
    }
}

void FormControls::Forward(UINT message, WPARAM wParam, LPARAM lParam) const {
    for (const HWND window : m_windows) {
        if (window != nullptr) SendMessageW(window, message, wParam, lParam);
    }
    if (m_tooltips != nullptr) SendMessageW(m_tooltips, message, wParam, lParam);
}

HWND FormControls::Get(std::string_view name) const {
    const forms::Control& control = m_form.Find(name);
    return m_windows[static_cast<std::size_t>(&control - m_form.controls.data())];
}

const forms::Control* FormControls::Describe(HWND control) const {
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i] == control && control != nullptr) return &m_form.controls[i];
    }
    return nullptr;
}

}  // namespace quendal::win32
