#include "dpi.h"

#include "gdiowners.h"
#include "systemlibrary.h"

namespace quendal::win32 {

namespace {

HMODULE User32() {
    static const HMODULE module = GetModuleHandleW(L"user32.dll");
    return module;
}

// shcore.dll is Windows 8.1's.
HMODULE ShCore() {
    static const HMODULE module = LoadSystemLibrary(L"shcore.dll");
    return module;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

UINT SystemDpi() {
    static const UINT dpi = [] {
        const ScreenDC screen;
        const int found = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
        return found > 0 ? static_cast<UINT>(found) : kDefaultDpi;
    }();
    return dpi;
}

UINT WindowDpi(HWND window) {
    // Windows 10 1607 and later.
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    // Windows 8.1: per-monitor DPI, asked of the monitor.
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>(ShCore(), "GetDpiForMonitor");
    if (getDpiForMonitor != nullptr && window != nullptr) {
        UINT x = 0;
        UINT y = 0;
        if (SUCCEEDED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                       kEffectiveDpi, &x, &y)) &&
            y != 0) {
            return y;
        }
    }
    return SystemDpi();
}

RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                         bool hasMenu, UINT dpi) {
    RECT rect{0, 0, clientWidth, clientHeight};
    static const auto adjustForDpi =
        Lookup<AdjustWindowRectExForDpiFn>(User32(), "AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, hasMenu, exStyle, dpi)) {
        rect = {0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    }
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

void KeepOwnLayoutOnDpiChange(HWND dialog) {
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    static const auto setBehavior =
        Lookup<SetDialogDpiChangeBehaviorFn>(User32(), "SetDialogDpiChangeBehavior");
    if (setBehavior != nullptr) setBehavior(dialog, kDisableAll, kDisableAll);
}

int SystemMetric(int index, UINT dpi) {
    static const auto metricsForDpi =
        Lookup<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
    if (metricsForDpi != nullptr) return metricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace quendal::win32
