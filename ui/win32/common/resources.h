#pragma once
// What the program carries in its resources (quendal.rc): the icon, made at
// every size Windows asks for, and the circuit picture (picture.h). Nothing
// is read from files at run time.

#include <windows.h>

#include "gdiowners.h"

namespace quendal::win32 {

// The program's icon at size × size pixels: the icon file's image of that
// size, or the nearest, scaled.
UniqueIcon ProgramIcon(int size);

}  // namespace quendal::win32
