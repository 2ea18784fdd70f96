// The benchmark's baseline: the least a Win32 program of Form1's kind does
// before its window shows, a top-level window with Form1's client size
// (405 × 330 pixels at 96 DPI) and a menu bar of one item.

#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"QuendalBareWindow";
    RegisterClassExW(&windowClass);

    const HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 100, L"\u9000\u51fa");
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(GetDC(nullptr), LOGPIXELSY));
    RECT size{0, 0, MulDiv(405, static_cast<int>(dpi), 96), MulDiv(330, static_cast<int>(dpi), 96)};
    AdjustWindowRectEx(&size, WS_OVERLAPPEDWINDOW, TRUE, 0);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Bare window", WS_OVERLAPPEDWINDOW,
                        CW_USEDEFAULT, CW_USEDEFAULT, size.right - size.left,
                        size.bottom - size.top, nullptr, menu, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
