#include "messageboxmessenger.h"

#include "appinfo.h"
#include "utf16.h"

namespace quendal::win32 {

namespace {

// MessageBoxW runs a modal loop of its own, which gives dialog keys (Tab,
// Enter, Esc, Alt+letter) to the box alone. The program's other window stays
// enabled meanwhile (the About dialog beside the main window's box, the main
// window beside the About dialog's): this gives it its keys as the program's
// own loop would.
LRESULT CALLBACK RouteDialogKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        const HWND window =
            message->hwnd != nullptr ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
        if (window != nullptr && IsDialogMessageW(window, message)) return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook for as long as one box is open.
class DialogKeysRouted {
public:
    DialogKeysRouted()
        : m_hook(SetWindowsHookExW(WH_MSGFILTER, RouteDialogKeys, nullptr, GetCurrentThreadId())) {}
    ~DialogKeysRouted() {
        if (m_hook != nullptr) UnhookWindowsHookEx(m_hook);
    }
    DialogKeysRouted(const DialogKeysRouted&) = delete;
    DialogKeysRouted& operator=(const DialogKeysRouted&) = delete;

private:
    HHOOK m_hook;
};

}  // namespace

void MessageBoxMessenger::ShowMessage(const std::string& text) {
    // The window went while an earlier box was open (the program is ending):
    // there is no one left to tell.
    if (m_owner != nullptr && !IsWindow(m_owner)) return;
    const DialogKeysRouted routed;
    MessageBoxW(m_owner, ToUtf16(text).c_str(), ToUtf16(AppTitle).c_str(), MB_OK);
}

}  // namespace quendal::win32
