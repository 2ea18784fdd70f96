#include "picture.h"

#include <algorithm>

#include "formdescription.h"
#include "resourceids.h"

namespace quendal::win32 {

namespace {

BOOL CALLBACK NoteCircuitDpi(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    if (IS_INTRESOURCE(name)) {
        const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
        if (id > IDB_CIRCUIT_AT_DPI && id < IDB_CIRCUIT_AT_DPI + 1000) {
            reinterpret_cast<std::vector<int>*>(found)->push_back(id - IDB_CIRCUIT_AT_DPI);
        }
    }
    return TRUE;
}

}  // namespace

std::vector<int> CircuitDpis() {
    std::vector<int> dpis;
    EnumResourceNamesW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(2) /* RT_BITMAP */,
                       NoteCircuitDpi, reinterpret_cast<LONG_PTR>(&dpis));
    std::sort(dpis.begin(), dpis.end());
    return dpis;
}

UniqueBitmap CircuitPicture(int boxWidth, int boxHeight, UINT dpi) {
    static const std::vector<int> dpis = CircuitDpis();
    const int source = forms::ChooseSourceDpi(dpis, static_cast<int>(dpi));
    // Decompressed by GDI into a bitmap for the screen.
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CIRCUIT_AT_DPI + source),
                   IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (!bitmap || source == static_cast<int>(dpi)) return bitmap;

    // Made for a larger scale: the same part of the drawing, down to the box.
    BITMAP made{};
    GetObjectW(bitmap.get(), sizeof(made), &made);
    const ScreenDC screen;
    UniqueBitmap scaled(CreateCompatibleBitmap(screen.Get(), boxWidth, boxHeight));
    const MemoryDC from(screen.Get());
    const MemoryDC to(screen.Get());
    if (scaled && from.Get() != nullptr && to.Get() != nullptr) {
        const SelectedObject readFrom(from.Get(), bitmap.get());
        const SelectedObject writeTo(to.Get(), scaled.get());
        SetStretchBltMode(to.Get(), HALFTONE);
        SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        StretchBlt(to.Get(), 0, 0, boxWidth, boxHeight, from.Get(), 0, 0, made.bmWidth,
                   made.bmHeight, SRCCOPY);
    }
    return scaled;
}

}  // namespace quendal::win32
