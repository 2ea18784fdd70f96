#pragma once
// The controls of a form, created from its description as children of the
// form's window and placed in pixels for the window's DPI, in their fonts for
// that DPI: text boxes, labels, buttons, picture boxes, and the tooltips that
// tell each text box's unit. Form1 and frmAbout both build themselves with
// it, and take their frames' styles and sizes from here.

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "fonts.h"
#include "formdescription.h"
#include "picturebox.h"

namespace quendal::win32 {

// The frame the form's border asks for: a sizable window, or a fixed
// dialog frame with no icon in the caption and no minimise or maximise box.
constexpr DWORD WindowStyleOf(forms::Border border) {
    return border == forms::Border::Sizable ? WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN
                                            : WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
}
constexpr DWORD ExtendedWindowStyleOf(forms::Border border) {
    return border == forms::Border::Sizable ? 0 : WS_EX_DLGMODALFRAME;
}

// The outer size of the form's window at `dpi` whose client area is
// clientWidth × clientHeight pixels (by default the form's own), with the
// form's frame and menu bar.
SIZE FormWindowSize(const forms::Form& form, UINT dpi, int clientWidth = -1, int clientHeight = -1);

// Puts a window where WM_DPICHANGED's rectangle says.
void MoveToSuggested(HWND window, const RECT& suggested);

class FormControls {
public:
    // Every control is created at once, in tab order, each label right before
    // the text box it names (Windows names a text box after the label just
    // before it in z-order, and that is what screen readers announce), at its
    // place for `dpi`, with its font and picture.
    FormControls(HWND parent, const forms::Form& form, UINT dpi);
    ~FormControls();
    FormControls(const FormControls&) = delete;
    FormControls& operator=(const FormControls&) = delete;

    // Places every control again and gives it its font and picture for
    // another `dpi`.
    void Layout(UINT dpi);
    UINT Dpi() const { return m_dpi; }

    // The tooltips that tell each text box's unit. Made once the window has
    // shown: its first paint does not need them.
    void AddTooltips();
    // The same units as the text boxes' accessible descriptions, which is
    // what screen readers read (they do not read tooltips).
    void DescribeForScreenReaders() const;

    // Sends a message the system gives only top-level windows (such as
    // WM_SYSCOLORCHANGE) on to every control and the tooltips.
    void Forward(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND Get(std::string_view name) const;
    // The description of one of these controls; null for any other window.
    const forms::Control* Describe(HWND control) const;

private:
    void CreateControl(std::size_t index);
    // The control's font and picture for m_dpi; repainted when `redraw`.
    void Furnish(std::size_t index, bool redraw);

    HWND m_parent;
    const forms::Form& m_form;
    UINT m_dpi;
    std::unique_ptr<FontSet> m_fonts;
    std::vector<HWND> m_windows;                          // by tab index
    std::vector<std::unique_ptr<PictureBox>> m_pictures;  // by tab index, or null
    HWND m_tooltips = nullptr;
};

}  // namespace quendal::win32
