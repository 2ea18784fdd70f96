#pragma once
// What a screen reader learns of a picture box: the standard accessible
// object Windows makes for any window, but with the role of a graphic and the
// box's window text as its name, where the standard one would announce a
// nameless client area. oleacc.dll, and COM, which hands the object to the
// screen reader's process, load only when a screen reader first asks: never
// on the way to the first window.

#include <windows.h>

namespace quendal::win32 {

// The answer to WM_GETOBJECT for `window`; 0 (what DefWindowProc answers
// then) for any object but the client area, or where oleacc is missing.
LRESULT AnswerAsGraphic(HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace quendal::win32
