#pragma once
// DPI on every Windows the program runs on. The calls that arrived after
// Windows 7 (GetDpiForWindow, AdjustWindowRectExForDpi, ...) are looked up at
// run time; where a system lacks them, the system DPI stands in, which is what
// such a system uses for every window anyway.

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace quendal::win32 {

inline constexpr UINT kDefaultDpi = 96;

// The DPI the system gives the whole process (Windows 7, or a window that
// does not exist yet).
UINT SystemDpi();

// The DPI of the monitor the window is on, as the system scales it.
UINT WindowDpi(HWND window);

// The outer size of a window whose client area is clientWidth × clientHeight
// pixels at `dpi`, as {0, 0, width, height}.
RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                         bool hasMenu, UINT dpi);

// A dialog that lays itself out again on WM_DPICHANGED, as the About dialog
// does from the form description: Windows 10 1703 and later would otherwise
// rescale its controls and fonts themselves as well.
void KeepOwnLayoutOnDpiChange(HWND dialog);

// GetSystemMetrics at `dpi` (icon sizes, for example).
int SystemMetric(int index, UINT dpi);

}  // namespace quendal::win32
