#pragma once
// A label whose text wraps within its width as forms::WrapLines breaks it: at
// a space or beside a Chinese character, inside a word only where the word is
// wider than the label (a long number in the report), so that no line is cut
// off at its edge and it breaks where the Qt program's does.
// The label is an owner-drawn static control (SS_OWNERDRAW). It stays a static
// control, which screen readers read as text, and it draws one way only: a
// static paints itself not just on WM_PAINT but also from inside WM_SETTEXT,
// WM_ENABLE and others, and an owner-drawn one sends each of those paintings
// to its parent as WM_DRAWITEM, which the parent passes to DrawWrappingLabel.

#include <windows.h>

namespace quendal::win32 {

// The window style of such a label, beside WS_CHILD and WS_VISIBLE.
inline constexpr DWORD kWrappingLabelStyle = SS_OWNERDRAW | SS_NOPREFIX;

// Draws the wrapping label that `item` names, in its font and in the colours
// and background its parent gives it through WM_CTLCOLORSTATIC, as for any
// static control. False when `item` is not a static control's.
bool DrawWrappingLabel(const DRAWITEMSTRUCT& item);

}  // namespace quendal::win32
