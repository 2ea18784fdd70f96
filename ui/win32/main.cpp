// Quendal for Windows: the main window and the message loop, nothing else.

#include <windows.h>

#include <commctrl.h>

#include "dpi.h"
#include "form1.h"
#include "formcontrols.h"
#include "formdescription.h"

namespace {

int RunMessageLoop(const quendal::win32::Form1& form1) {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (form1.TranslateKeys(message)) continue;
        // Tab, Enter, Esc and Alt+letter as in any dialog box, for whichever
        // of the program's windows has the message's control.
        const HWND window = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (window != nullptr && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    quendal::win32::Form1 window;
    if (window.Handle() == nullptr) return 1;
    window.Show(showCommand);
    return RunMessageLoop(window);
}
