#include "picturebox.h"

#include <windowsx.h>

#include "accessiblegraphic.h"

namespace quendal::win32 {

PictureBox::PictureBox(HWND parent, int id, const std::wstring& accessibleName, bool tabStop,
                       const forms::PixelRect& place) {
    RegisterClassOnce(kClassName);
    const DWORD style = WS_CHILD | WS_VISIBLE | (tabStop ? WS_TABSTOP : 0);
    // Created empty; the form gives it its picture.
    Create(0, kClassName, accessibleName.c_str(), style, place.left, place.top, place.width,
           place.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PictureBox::SetBitmap(UniqueBitmap bitmap) {
    m_bitmap = std::move(bitmap);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void PictureBox::SetIcon(UniqueIcon icon, int size) {
    m_icon = std::move(icon);
    m_iconSize = size;
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        HANDLE_MSG(m_hwnd, WM_PAINT, OnPaint);
        HANDLE_MSG(m_hwnd, WM_SETFOCUS, OnFocusChanged);
        HANDLE_MSG(m_hwnd, WM_KILLFOCUS, OnFocusChanged);
        HANDLE_MSG(m_hwnd, WM_LBUTTONDOWN, OnLButtonDown);
        HANDLE_MSG(m_hwnd, WM_GETDLGCODE, OnGetDlgCode);
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers the whole box
        case WM_GETOBJECT:
            if (const LRESULT answer = AnswerAsGraphic(m_hwnd, wParam, lParam); answer != 0) {
                return answer;
            }
            return Default(message, wParam, lParam);
        default:
            return Default(message, wParam, lParam);
    }
}

void PictureBox::OnPaint(HWND window) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    if (m_bitmap) {
        BITMAP size{};
        GetObjectW(m_bitmap.get(), sizeof(size), &size);
        const MemoryDC source(dc);
        if (source.Get() != nullptr) {
            const SelectedObject selected(source.Get(), m_bitmap.get());
            BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source.Get(), 0, 0, SRCCOPY);
        }
    }
    if (m_icon) {
        DrawIconEx(dc, 0, 0, m_icon.get(), m_iconSize, m_iconSize, 0, nullptr, DI_NORMAL);
    }
    // Always while focused, as the Qt front-end does: the picture holds no
    // caret, so the frame is the only sign of where the focus is.
    if (GetFocus() == window) {
        RECT frame = client;
        InflateRect(&frame, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        DrawFocusRect(dc, &frame);
    }
    EndPaint(window, &paint);
}

void PictureBox::OnFocusChanged(HWND window, HWND) { InvalidateRect(window, nullptr, FALSE); }

void PictureBox::OnLButtonDown(HWND window, BOOL, int, int, UINT) {
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) != 0) SetFocus(window);
}

UINT PictureBox::OnGetDlgCode(HWND, LPMSG) {
    // The arrow keys do nothing here rather than move the focus on.
    return DLGC_WANTARROWS;
}

}  // namespace quendal::win32
