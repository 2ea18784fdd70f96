#pragma once
// The fonts of one window at one DPI: the system's dialog font, and 宋体
// 10.5 pt (GB2312) regular and bold for the labels that the form description
// sets in it. Where SimSun is missing, a CJK serif stands in.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "formdescription.h"
#include "gdiowners.h"

namespace quendal::win32 {

// In order of preference: SimSun itself (宋体), its fixed-pitch sibling, then
// the free CJK serifs that Linux systems running Wine usually have.
inline constexpr std::wstring_view kSongFaces[] = {L"SimSun", L"NSimSun", L"Noto Serif CJK SC",
                                                   L"Source Han Serif SC"};

// The first of kSongFaces for which `installed` says yes; empty when none
// is, which leaves the choice to the font mapper by character set.
std::wstring ChooseSongFace(const std::function<bool(std::wstring_view)>& installed);

// Whether a face with GB2312 characters of that name is installed.
bool HasChineseFace(std::wstring_view face);

// Font height in logical units for a size in points at `dpi` (negative: the
// character height, as LOGFONT wants it), and back.
LONG PointsToHeight(double points, UINT dpi);
double HeightToPoints(LONG height, UINT dpi);

// The largest size from `start` down in steps of `step`, not below `minimum`,
// at which `fits` says the text fits; `minimum` (or `start`, if that is
// smaller) when none does.
double LargestFittingSize(double start, double minimum, double step,
                          const std::function<bool(double)>& fits);

LOGFONTW DialogLogFont(UINT dpi);
LOGFONTW SongLogFont(bool bold, UINT dpi);

class FontSet {
public:
    explicit FontSet(UINT dpi);
    HFONT Get(forms::FontFace face) const;

private:
    UniqueFont m_dialog;
    UniqueFont m_song;
    UniqueFont m_songBold;
};

}  // namespace quendal::win32
