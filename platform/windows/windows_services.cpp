// The platform services on Windows: the registry through the ANSI calls
// RegOpenKeyExA, RegQueryValueExA and RegCloseKey, and files and programs
// through the wide-character API, after converting the 8-bit text from the
// system code page (so that a folder with Chinese characters works on a
// Chinese Windows).
//
// The 32-bit build sees what the 64-bit build sees. A 32-bit program on
// 64-bit Windows would read the 32-bit registry view and have every path
// into System32 sent to SysWOW64; System Information records itself in the
// 64-bit view and lives in the 64-bit System32. So keys are opened in the
// 64-bit view (KEY_WOW64_64KEY, which 32-bit Windows ignores), and a path
// into System32 is tested and started through its "Sysnative" alias, which
// names the real folder to a 32-bit program.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "platform.h"

namespace quendal::platform {
namespace {

HKEY RootHandle(RootKey root) {
    switch (root) {
        case RootKey::LocalMachine:
            return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

HKEY KeyOf(KeyHandle handle) { return reinterpret_cast<HKEY>(handle); }

// Text in the system code page as UTF-16; nothing when it does not convert or
// holds a NUL, which no file name can contain.
std::optional<std::wstring> FromSystemCodePage(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX) ||
        text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const int inputLength = static_cast<int>(text.size());
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), inputLength, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), inputLength, wide.data(),
                            length) != length) {
        return std::nullopt;
    }
    return wide;
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// CreateProcess hands a batch file to cmd.exe, and Windows opens "tool.bat.",
// "tool.bat " and "tool.bat::$DATA" as tool.bat: refusing suffixes misses
// some. So only a name that ends in ".exe" as Windows resolves it (trailing
// dots and spaces dropped) is started; a ':' other than the drive letter's
// names a stream, never the program file itself.
bool NamesAProgramFile(const std::wstring& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == L':' && !(i == 1 && IsAsciiLetter(path[0]))) {
            return false;
        }
    }
    const std::size_t kept = path.find_last_not_of(L". ");
    if (kept == std::wstring::npos) {
        return false;
    }
    const std::wstring name = path.substr(0, kept + 1);
    const std::wstring suffix = L".exe";
    if (name.size() < suffix.size()) {
        return false;
    }
    const std::size_t start = name.size() - suffix.size();
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (AsciiLower(name[start + i]) != suffix[i]) {
            return false;
        }
    }
    return true;
}

#ifndef _WIN64
// A 32-bit program on 64-bit Windows (x64 or ARM64).
bool UnderWow64() {
    static const bool wow64 = [] {
        BOOL answer = FALSE;
        return IsWow64Process(GetCurrentProcess(), &answer) && answer;
    }();
    return wow64;
}

bool StartsWithFolder(std::wstring_view path, std::wstring_view folder) {
    return path.size() >= folder.size() &&
           (path.size() == folder.size() || path[folder.size()] == L'\\') &&
           CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

// The path itself, or, for a 32-bit program on 64-bit Windows and a path into
// the Windows folder's System32, the same file through Sysnative: redirection
// would otherwise substitute the file of that name in SysWOW64.
std::wstring WithoutRedirection(const std::wstring& path) {
    if (!UnderWow64()) {
        return path;
    }
    wchar_t windows[MAX_PATH];
    // The system's own folder: on a Remote Desktop host a program that is not
    // terminal-server aware gets a per-user one from GetWindowsDirectoryW.
    const UINT windowsLength = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    // "C:/Windows/./System32" and "C:\Windows\Temp\..\System32" are System32 too.
    std::wstring full(32768, L'\0');
    const DWORD fullLength =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (windowsLength == 0 || windowsLength >= MAX_PATH || fullLength == 0 ||
        fullLength >= full.size()) {
        return path;
    }
    full.resize(fullLength);
    const std::wstring windowsFolder(windows, windowsLength);
    const std::wstring system32 = windowsFolder + L"\\System32";
    if (!StartsWithFolder(full, system32)) {
        return path;
    }
    return windowsFolder + L"\\Sysnative" + full.substr(system32.size());
}
#else
// A 64-bit program sees every folder as it is.
const std::wstring& WithoutRedirection(const std::wstring& path) { return path; }
#endif

class RegistryKeyStore final : public KeyStore {
public:
    long OpenKey(RootKey root, const std::string& path, std::uint32_t options,
                 std::uint32_t accessMask, KeyHandle& handle) override {
        HKEY key = nullptr;
        const LONG status = RegOpenKeyExA(RootHandle(root), path.c_str(), options,
                                          accessMask | KEY_WOW64_64KEY, &key);
        handle = status == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(key) : 0;
        return status;
    }

    QueryResult QueryValue(KeyHandle handle, const std::string& valueName, char* buffer,
                           std::uint32_t size) override {
        DWORD type = 0;
        DWORD bytes = size;
        const LONG status = RegQueryValueExA(KeyOf(handle), valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer), &bytes);
        return {status, type, bytes};
    }

    void CloseKey(KeyHandle handle) override { RegCloseKey(KeyOf(handle)); }
};

class WindowsFileProbe final : public FileProbe {
public:
    bool FileExists(const std::string& path) override {
        const auto wide = FromSystemCodePage(path);
        if (!wide) {
            return false;
        }
        const DWORD attributes = GetFileAttributesW(WithoutRedirection(*wide).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    }
};

class ProcessLauncher final : public ProgramLauncher {
public:
    bool Launch(const std::string& path) override {
        const auto named = FromSystemCodePage(path);
        // A quote cannot be part of a Windows file name.
        if (!named || named->find(L'"') != std::wstring::npos || !NamesAProgramFile(*named)) {
            return false;
        }
        const std::wstring program = WithoutRedirection(*named);
        if (!NamesAProgramFile(program)) {
            return false;
        }
        // The program is named explicitly, so the command line (its argv[0],
        // quoted for the spaces) is never searched for it.
        std::wstring commandLine = L"\"" + program + L"\"";

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &process)) {
            return false;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
};

}  // namespace

Services& SystemServices() {
    static RegistryKeyStore keys;
    static WindowsFileProbe files;
    static ProcessLauncher launcher;
    static Services services{keys, files, launcher};
    return services;
}

}  // namespace quendal::platform
