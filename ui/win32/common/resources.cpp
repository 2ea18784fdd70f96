#include "resources.h"

#include "resourceids.h"

namespace quendal::win32 {

std::span<const std::byte> ResourceBytes(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
    if (found == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return {static_cast<const std::byte*>(bytes), size};
}

UniqueIcon ProgramIcon(int size) {
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUENDAL),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

}  // namespace quendal::win32
