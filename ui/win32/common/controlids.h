#pragma once
// Control and menu item numbers, derived from the form description: a
// control's number is 100 plus its tab index, a menu item's 200 plus its place
// in the menu bar. They are the controls' automation ids, which is how the
// tests (and UI automation tools) find a control without reading its text.
// Never 1 or 2: IsDialogMessage sends IDOK and IDCANCEL for Enter and Esc.

#include <cstddef>
#include <string_view>

#include "formdescription.h"

namespace quendal::win32 {

inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstMenuItemId = 200;

constexpr int ControlIdAt(std::size_t tabIndex) {
    return kFirstControlId + static_cast<int>(tabIndex);
}

// The number of the control of that name; the form's Find stops the program
// for a name it lacks.
inline int ControlId(const forms::Form& form, std::string_view name) {
    const forms::Control& control = form.Find(name);
    return ControlIdAt(static_cast<std::size_t>(&control - form.controls.data()));
}

// The number of the menu item of that name, or 0 when the form has none.
inline int MenuItemId(const forms::Form& form, std::string_view name) {
    for (std::size_t i = 0; i < form.menu.size(); ++i) {
        if (form.menu[i].name == name) return kFirstMenuItemId + static_cast<int>(i);
    }
    return 0;
}

}  // namespace quendal::win32
