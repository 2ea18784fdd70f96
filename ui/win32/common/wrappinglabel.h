#pragma once
// A label whose text wraps within its width: at a space or between Chinese
// characters where it can, between any two characters where a word is wider
// than the label (a long number in the report), so that no line is cut off
// at the label's edge. A static control's own wrapping never breaks a word.
// The label stays a static control, which screen readers read as text; only
// its painting is this.

#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

namespace quendal::win32 {

// The lines of `text` within `width`: each paragraph (CR LF ends one) broken
// at the last space, or place next to a Chinese character, that lets a line
// fit, else after as many characters as fit (at least one); the spaces at a
// break are dropped. `measure` gives the width of a piece of text.
std::vector<std::wstring_view> WrapLines(std::wstring_view text, int width,
                                         const std::function<int(std::wstring_view)>& measure);

// Makes the static control `label` paint its text so; its colours and brush
// still come from its parent's WM_CTLCOLORSTATIC.
void WrapAnywhere(HWND label);

}  // namespace quendal::win32
