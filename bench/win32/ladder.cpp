// The ladder from a bare window up to Quendal's main window, one piece of the
// program's start at a time, so that scripts/bench-windows.sh can time every
// rung against the others in one run and show where the time between the
// bare window and quendal.exe goes. The rungs (LADDER_RUNG), each with what
// the one below has:
//   0  the bare window: a top-level window of Form1's size with a one-item
//      menu, shown; the least a program of Form1's kind does
//   1  the common controls 6, initialised as the program does
//   2  the form's fonts (宋体 looked up, three fonts made)
//   3  the form's twelve controls, made by the program's own code, the
//      circuit picture and the icon box among them
//   4  the window's small icon
// quendal.exe itself is the rung above: Form1, the same pieces in one class.
// All rungs carry the program's resources (manifest, icon, pictures).

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "dpi.h"
#include "fonts.h"
#include "formcontrols.h"
#include "formdescription.h"
#include "resources.h"

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
    using namespace quendal;
#if LADDER_RUNG >= 1
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
#endif
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = L"QuendalLadder";
    RegisterClassExW(&windowClass);

    const HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 100, L"\u9000\u51fa");
    const UINT dpi = win32::SystemDpi();
    const forms::Form& form = forms::Form1();
    const RECT size =
        win32::WindowRectForClient(forms::TwipsToPixels(form.clientWidth, static_cast<int>(dpi)),
                                   forms::TwipsToPixels(form.clientHeight, static_cast<int>(dpi)),
                                   WS_OVERLAPPEDWINDOW, 0, true, dpi);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Ladder", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, size.right, size.bottom, nullptr, menu, instance, nullptr);
    if (window == nullptr) return 1;
#if LADDER_RUNG == 2
    const auto fonts = std::make_unique<win32::FontSet>(dpi);
#endif
#if LADDER_RUNG >= 3  // with the fonts of its own
    const auto formControls = std::make_unique<win32::FormControls>(window, form, dpi);
#endif
#if LADDER_RUNG >= 4
    const win32::UniqueIcon icon = win32::ProgramIcon(win32::SystemMetric(SM_CXSMICON, dpi));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
#endif
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
