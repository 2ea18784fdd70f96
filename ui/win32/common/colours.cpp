#include "colours.h"

namespace quendal::win32 {

namespace {

bool IsDark(COLORREF colour) {
    // Rec. 601 luma, 0 to 255.
    const int luma =
        (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
    return luma < 128;
}

}  // namespace

ThemeColours ChooseColours(bool highContrast, COLORREF systemText, COLORREF systemShadow,
                           COLORREF systemHighlight, const ThemeColours& designed) {
    if (!highContrast && IsDark(systemText)) return designed;
    return {systemText, systemShadow, systemHighlight};
}

ThemeColours CurrentColours(const ThemeColours& designed) {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    const bool highContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return ChooseColours(highContrast, GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNSHADOW),
                         GetSysColor(COLOR_BTNHIGHLIGHT), designed);
}

}  // namespace quendal::win32
