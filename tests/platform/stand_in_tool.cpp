// Stands in for MSINFO32.EXE in the Windows tests. When started it proves it
// ran by leaving a marker file beside itself, named after itself plus ".ran",
// that holds its own full path in UTF-8. Built like the real program (GUI
// subsystem, version record), so the version tests read it as well. The
// 32-bit one may be started from the 64-bit System32, through its Sysnative
// alias: it writes its marker there too, not into SysWOW64.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

int main() {
    std::wstring self(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0 || length >= self.size()) {
        return 1;
    }
    self.resize(length);
    // Wine names a program started from \\server\share\... "UNC\server\share\...".
    if (self.rfind(L"UNC\\", 0) == 0) {
        self.replace(0, 3, L"\\");
    }
    BOOL wow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        // With redirection off, System32 is the folder this program came from.
        const std::wstring alias = L"\\Sysnative\\";
        for (std::size_t i = 0; i + alias.size() <= self.size(); ++i) {
            if (CompareStringOrdinal(self.data() + i, static_cast<int>(alias.size()), alias.data(),
                                     static_cast<int>(alias.size()), TRUE) == CSTR_EQUAL) {
                self.replace(i, alias.size(), L"\\System32\\");
                break;
            }
        }
        PVOID redirection = nullptr;
        Wow64DisableWow64FsRedirection(&redirection);
    }

    const int bytes = WideCharToMultiByte(CP_UTF8, 0, self.data(), static_cast<int>(self.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, self.data(), static_cast<int>(self.size()), text.data(), bytes,
                        nullptr, nullptr);

    // Written under another name and renamed, so a reader never sees half of it.
    const std::wstring part = self + L".part";
    const HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || !MoveFileExW(part.c_str(), (self + L".ran").c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    return 0;
}
