#include "resources.h"

#include "resourceids.h"

namespace quendal::win32 {

UniqueIcon ProgramIcon(int size) {
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUENDAL),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace quendal::win32
