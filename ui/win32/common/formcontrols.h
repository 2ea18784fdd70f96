#pragma once
// The controls of a form, created from its description as children of the
// form's window and placed in pixels for the window's DPI: text boxes, labels,
// buttons, picture boxes, and the tooltips that tell each text box's unit.
// Form1 and frmAbout both build themselves with it.

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "fonts.h"
#include "formdescription.h"
#include "picturebox.h"

namespace quendal::win32 {

class FormControls {
public:
    // Every control is created at once, in tab order, each label right before
    // the text box it names (Windows names a text box after the label just
    // before it in z-order, and that is what screen readers announce), at its
    // place for `dpi`, with its font and picture.
    FormControls(HWND parent, const forms::Form& form, UINT dpi, const FontSet& fonts);
    ~FormControls();
    FormControls(const FormControls&) = delete;
    FormControls& operator=(const FormControls&) = delete;

    // Places every control again and gives it its font and picture for
    // another `dpi`.
    void Layout(UINT dpi, const FontSet& fonts);

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
    void CreateControl(std::size_t index, UINT dpi, const FontSet& fonts);
    // The control's font and picture for `dpi`; repainted when `redraw`.
    void Furnish(std::size_t index, UINT dpi, const FontSet& fonts, bool redraw);

    HWND m_parent;
    const forms::Form& m_form;
    std::vector<HWND> m_windows;                          // by tab index
    std::vector<std::unique_ptr<PictureBox>> m_pictures;  // by tab index, or null
    HWND m_tooltips = nullptr;
};

}  // namespace quendal::win32
