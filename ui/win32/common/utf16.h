#pragma once
// The one place where text crosses between the core's UTF-8 and the UTF-16 of
// the Windows API. Invalid input never fails: each bad sequence becomes
// U+FFFD, so a user's text is never dropped on the way.

#include <windows.h>

#include <string>
#include <string_view>

namespace quendal::win32 {

std::wstring ToUtf16(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

// A window's whole text (GetWindowTextW); empty for no window.
std::wstring WindowText(HWND window);

}  // namespace quendal::win32
