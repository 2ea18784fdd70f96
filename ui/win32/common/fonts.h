#pragma once
// The fonts of one window at one DPI, all 宋体 (SimSun, GB2312): the dialog
// font at 9 pt, and 10.5 pt regular and bold for the labels that the form
// description sets in 宋体. Where SimSun is missing, a CJK serif stands in.
//
// The dialog font is not the system's message font. The form's controls keep
// the places of its design, and their texts must fit them: the text boxes are
// 18 pixels high at 96 dpi, 14 inside their sunken border. 宋体 9 pt, the
// dialog font of Chinese Windows (what "MS Shell Dlg" stands for there), is
// 12 pixels from ascent to descent; the message font of Windows 8 to 11,
// Microsoft YaHei UI 9 pt, is 15 (Microsoft YaHei, Windows 7's, 16).

#include <windows.h>

#include "formdescription.h"
#include "gdiowners.h"

namespace quendal::win32 {

// 宋体 is SimSun itself where it is installed, else its fixed-pitch sibling,
// else a free CJK serif of those Linux systems running Wine usually have.
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
