#pragma once
// What screen readers (Narrator, NVDA, JAWS) learn of a control beyond the
// name and role of the standard accessible object: a description (a text
// box's unit), and that a control is a polite live region, whose changes
// they speak when the program says so even though the focus is elsewhere
// (the report, read out after a click on a calculate button). Both are
// annotations of oleacc's standard objects (IAccPropServices, Windows 7 and
// later; the live region is heard from Windows 8 on). oleacc and COM load on
// the first annotation, which the windows make once they have shown.

#include <windows.h>

#include <string_view>

namespace quendal::win32 {

// Gives the control's standard object this description; false when oleacc
// cannot annotate here.
bool SetAccessibleDescription(HWND control, std::wstring_view description);

// Makes the control a polite live region.
bool MakeLiveRegion(HWND control);

// Tells screen readers that the live region `control` has changed.
void AnnounceLiveRegionChange(HWND control);

}  // namespace quendal::win32
