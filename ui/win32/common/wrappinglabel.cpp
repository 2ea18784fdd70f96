#include "wrappinglabel.h"

#include <commctrl.h>

#include <string>

#include "gdiowners.h"

namespace quendal::win32 {

namespace {

// Chinese characters and punctuation, between which a line may break.
bool IsWide(wchar_t c) { return c >= 0x2E80; }

// The longest start of `text` that fits `width`, broken as WrapLines says.
std::size_t LineLength(std::wstring_view text, int width,
                       const std::function<int(std::wstring_view)>& measure) {
    if (measure(text) <= width) return text.size();
    std::size_t fits = 1;  // a line holds one character, however wide
    while (fits < text.size() && measure(text.substr(0, fits + 1)) <= width) ++fits;
    for (std::size_t at = fits; at > 0; --at) {
        if (text[at] == L' ' || IsWide(text[at - 1]) || IsWide(text[at])) return at;
    }
    return fits;
}

LRESULT CALLBACK PaintWrapped(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    if (message != WM_PAINT) return DefSubclassProc(label, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(label, &paint);
    RECT client{};
    GetClientRect(label, &client);
    // The parent sets the text colour and gives the background, as it does
    // for any static control.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(label), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(label)));
    FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    const SelectedObject selected(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
    const auto measure = [dc](std::wstring_view piece) {
        SIZE size{};
        GetTextExtentPoint32W(dc, piece.data(), static_cast<int>(piece.size()), &size);
        return static_cast<int>(size.cx);
    };
    int y = 0;
    for (const std::wstring_view line : WrapLines(text, client.right, measure)) {
        TextOutW(dc, 0, y, line.data(), static_cast<int>(line.size()));
        y += metrics.tmHeight;
    }
    EndPaint(label, &paint);
    return 0;
}

}  // namespace

std::vector<std::wstring_view> WrapLines(std::wstring_view text, int width,
                                         const std::function<int(std::wstring_view)>& measure) {
    std::vector<std::wstring_view> lines;
    for (;;) {
        const std::size_t end = text.find(L"\r\n");
        std::wstring_view paragraph = text.substr(0, end);
        do {
            const std::size_t length = LineLength(paragraph, width, measure);
            lines.push_back(paragraph.substr(0, length));
            paragraph.remove_prefix(length);
            while (!paragraph.empty() && paragraph.front() == L' ') paragraph.remove_prefix(1);
        } while (!paragraph.empty());
        if (end == std::wstring_view::npos) return lines;
        text.remove_prefix(end + 2);
    }
}

void WrapAnywhere(HWND label) { SetWindowSubclass(label, PaintWrapped, 0, 0); }

}  // namespace quendal::win32
