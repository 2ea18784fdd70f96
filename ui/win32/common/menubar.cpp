#include "menubar.h"

#include "controlids.h"
#include "utf16.h"

namespace quendal::win32 {

HMENU BuildMenuBar(const forms::Form& form) {
    const HMENU bar = CreateMenu();
    if (bar == nullptr) return nullptr;
    for (const forms::MenuItem& item : form.menu) {
        const std::wstring caption = ToUtf16(item.caption);
        AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(MenuItemId(form, item.name)),
                    caption.c_str());
    }
    return bar;
}

}  // namespace quendal::win32
