#pragma once
// The colours the About dialog draws its black labels and its etched line in.
// The form's design (black text, a grey line over a white one) is for the
// usual light theme. Under a high-contrast theme, or any whose text is lighter
// than its face, black text would vanish and the white line glare: there the
// system's own colours are used.

#include <windows.h>

namespace quendal::win32 {

struct ThemeColours {
    COLORREF text;       // of the labels the design makes black
    COLORREF shadow;     // the line's upper, grey stroke
    COLORREF highlight;  // its lower, white stroke
    bool operator==(const ThemeColours&) const = default;
};

// What the system's colours give: `designed` where its theme is light (its
// text darker than the dialog's face, forms::IsLightTheme) and no
// high-contrast theme is on, else its text, shadow and highlight colours.
ThemeColours ChooseColours(bool highContrast, COLORREF systemText, COLORREF systemFace,
                           COLORREF systemShadow, COLORREF systemHighlight,
                           const ThemeColours& designed);

// The same, for the colours the system has now.
ThemeColours CurrentColours(const ThemeColours& designed);

}  // namespace quendal::win32
