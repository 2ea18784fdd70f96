#include "colours.h"

#include "textlayout.h"

namespace quendal::win32 {

namespace {

forms::Rgb RgbOf(COLORREF colour) {
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

}  // namespace

ThemeColours ChooseColours(bool highContrast, COLORREF systemText, COLORREF systemFace,
                           COLORREF systemShadow, COLORREF systemHighlight,
                           const ThemeColours& designed) {
    if (!highContrast && forms::IsLightTheme(RgbOf(systemText), RgbOf(systemFace))) {
        return designed;
    }
    return {systemText, systemShadow, systemHighlight};
}

ThemeColours CurrentColours(const ThemeColours& designed) {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    const bool highContrast =
        SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return ChooseColours(highContrast, GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE),
                         GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), designed);
}

}  // namespace quendal::win32
