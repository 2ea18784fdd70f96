#include "fonts.h"

#include <cmath>
#include <string>
#include <string_view>

namespace quendal::win32 {

namespace {

// In order of preference.
constexpr std::wstring_view kSongFaces[] = {L"SimSun", L"NSimSun", L"Noto Serif CJK SC",
                                            L"Source Han Serif SC"};

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

// Whether a face with GB2312 characters of that name is installed.
bool HasChineseFace(std::wstring_view face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = GB2312_CHARSET;
    if (face.size() >= LF_FACESIZE) return false;
    face.copy(wanted.lfFaceName, face.size());
    const ScreenDC screen;
    bool found = false;
    EnumFontFamiliesExW(screen.Get(), &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The first of kSongFaces that is installed; empty when none is, which
// leaves the choice to the font mapper by character set.
const std::wstring& SongFace() {
    static const std::wstring face = [] {
        for (const std::wstring_view candidate : kSongFaces) {
            if (HasChineseFace(candidate)) return std::wstring(candidate);
        }
        return std::wstring();
    }();
    return face;
}

// Font height in logical units for a size in points at `dpi` (negative: the
// character height, as LOGFONT wants it).
LONG PointsToHeight(double points, UINT dpi) {
    return -static_cast<LONG>(std::lround(points * static_cast<double>(dpi) / 72.0));
}

// 宋体 of that size and weight at `dpi`.
LOGFONTW SongLogFont(double points, bool bold, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = PointsToHeight(points, dpi);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    SongFace().copy(font.lfFaceName, LF_FACESIZE - 1);
    return font;
}

}  // namespace

FontSet::FontSet(UINT dpi) {
    const LOGFONTW dialog = SongLogFont(forms::kDialogPointSize, false, dpi);
    const LOGFONTW song = SongLogFont(forms::kSongPointSize, false, dpi);
    const LOGFONTW songBold = SongLogFont(forms::kSongPointSize, true, dpi);
    m_dialog.reset(CreateFontIndirectW(&dialog));
    m_song.reset(CreateFontIndirectW(&song));
    m_songBold.reset(CreateFontIndirectW(&songBold));
}

HFONT FontSet::Get(forms::FontFace face) const {
    switch (face) {
        case forms::FontFace::Song:
            return m_song.get();
        case forms::FontFace::SongBold:
            return m_songBold.get();
        case forms::FontFace::Dialog:
            break;
    }
    return m_dialog.get();
}

}  // namespace quendal::win32
