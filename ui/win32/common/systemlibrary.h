#pragma once
// Functions looked up at run time: those newer than Windows 7 (the DPI
// functions), and those of DLLs loaded only when first needed (oleacc for a
// screen reader).

#include <windows.h>

namespace quendal::win32 {

// A DLL of the system's, loaded from the system folder only, never from the
// program's folder or the current one; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function `name` of `module` as a pointer of type Function; null when
// either is missing. Casting through a function type without arguments keeps
// compilers from warning about the cast from FARPROC.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace quendal::win32
