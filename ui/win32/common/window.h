#pragma once
// The base of the program's window classes: one static window procedure that
// finds the C++ object in GWLP_USERDATA and forwards each message to its
// HandleMessage, where the message crackers of <windowsx.h> take over.

#include <windows.h>

namespace quendal::win32 {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return m_hwnd; }

protected:
    Window() = default;
    // The window is destroyed with its object, if it still exists.
    virtual ~Window();

    // Registers the class once per process, with Procedure as its procedure.
    static void RegisterClassOnce(const wchar_t* className);

    // CreateWindowExW with this object as the window's own; the object gets
    // every message from WM_NCCREATE on.
    HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace quendal::win32
