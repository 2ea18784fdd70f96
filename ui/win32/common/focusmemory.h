#pragma once
// What a dialog box does for its controls and a plain window does not: the
// control that had the focus when the window was deactivated (by a message
// box, or by another window) gets it back when the window is activated again.

#include <windows.h>

namespace quendal::win32 {

class FocusMemory {
public:
    // The control that has the focus when the window first opens.
    void Start(HWND window, HWND firstControl);
    // To be called from the window's WM_ACTIVATE.
    void OnActivate(HWND window, UINT state);

private:
    HWND m_control = nullptr;
};

}  // namespace quendal::win32
