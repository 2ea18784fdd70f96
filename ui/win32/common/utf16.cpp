#include "utf16.h"

#include <windows.h>

#include <climits>

namespace quendal::win32 {

namespace {

// The API counts in int; longer text than that is cut, not overrun.
int ApiLength(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

std::wstring ToUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int inputLength = ApiLength(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputLength, wide.data(), length);
    return wide;
}

std::wstring WindowText(HWND window) {
    const int length = window != nullptr ? GetWindowTextLengthW(window) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string ToUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int inputLength = ApiLength(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inputLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inputLength, narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace quendal::win32
