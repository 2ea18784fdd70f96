#pragma once
// The menu bar of a form, built from its description: one item for each
// entry, with no sub-menus, numbered by MenuItemId.

#include <windows.h>

#include "formdescription.h"

namespace quendal::win32 {

// A new menu bar; the window that SetMenu gives it to destroys it.
HMENU BuildMenuBar(const forms::Form& form);

}  // namespace quendal::win32
