#pragma once
// What the program carries in its resources (quendal.rc): the icon and the
// circuit picture. Nothing is read from files at run time.

#include <windows.h>

#include <cstddef>
#include <span>

#include "gdiowners.h"

namespace quendal::win32 {

// The bytes of an RCDATA resource of the executable; empty when it is missing.
// They stay valid for the life of the process.
std::span<const std::byte> ResourceBytes(int id);

// The program's icon at size × size pixels (the icon file's image, scaled).
UniqueIcon ProgramIcon(int size);

}  // namespace quendal::win32
