#pragma once
// A picture box: draws a bitmap from its top-left corner, clipped to the box,
// or an icon. As a tab stop it takes the focus like any control, from the
// keyboard or a click, and shows a focus frame while it has it. Screen
// readers announce it as a graphic, named by its window text.

#include <string>

#include "formdescription.h"
#include "gdiowners.h"
#include "window.h"

namespace quendal::win32 {

class PictureBox final : public Window {
public:
    static constexpr wchar_t kClassName[] = L"QuendalPictureBox";

    PictureBox(HWND parent, int id, const std::wstring& accessibleName, bool tabStop,
               const forms::PixelRect& place);

    void SetBitmap(UniqueBitmap bitmap);
    void SetIcon(UniqueIcon icon, int size);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint(HWND window);
    void OnFocusChanged(HWND window, HWND other);
    void OnLButtonDown(HWND window, BOOL doubleClick, int x, int y, UINT keys);
    UINT OnGetDlgCode(HWND window, LPMSG message);

    UniqueBitmap m_bitmap;
    UniqueIcon m_icon;
    int m_iconSize = 0;
};

}  // namespace quendal::win32
