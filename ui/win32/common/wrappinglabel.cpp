#include "wrappinglabel.h"

#include <string>

#include "gdiowners.h"
#include "textlayout.h"
#include "utf16.h"

namespace quendal::win32 {

namespace {

int WidthOf(HDC dc, std::wstring_view text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
}

}  // namespace

bool DrawWrappingLabel(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_STATIC || item.hwndItem == nullptr) return false;
    const HDC dc = item.hDC;
    const HWND label = item.hwndItem;
    const RECT& area = item.rcItem;
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(label), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(label)));
    FillRect(dc, &area, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    const SelectedObject selected(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(label)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const std::string text = ToUtf8(WindowText(label));
    const auto measure = [dc](std::string_view piece) { return WidthOf(dc, ToUtf16(piece)); };
    int y = area.top;
    for (const std::string_view line : forms::WrapLines(text, area.right - area.left, measure)) {
        if (y >= area.bottom) break;
        const std::wstring wide = ToUtf16(line);
        TextOutW(dc, area.left, y, wide.data(), static_cast<int>(wide.size()));
        y += metrics.tmHeight;
    }
    return true;
}

}  // namespace quendal::win32
