#include "focusmemory.h"

namespace quendal::win32 {

void FocusMemory::Start(HWND window, HWND firstControl) {
    m_control = firstControl;
    if (GetActiveWindow() == window && firstControl != nullptr) SetFocus(firstControl);
}

void FocusMemory::OnActivate(HWND window, UINT state) {
    if (state == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) m_control = focus;
        return;
    }
    if (m_control != nullptr && IsWindow(m_control) && IsChild(window, m_control)) {
        SetFocus(m_control);
    }
}

}  // namespace quendal::win32
