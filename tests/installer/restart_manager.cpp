// Stands in for the system's rstrtmgr.dll in scripts/installer-test.sh, where
// Wine's own closes nothing and lists no process. Records each call the
// installer makes, one line each, in the file that QUENDAL_RM_LOG names. In
// RmShutdown it ends every process that runs a registered file, as the real
// one does, when QUENDAL_RM_MODE is "close"; with "leave" it ends none, as the
// real one cannot for a process it is not allowed to reach.
// Built as a 32-bit DLL, the installer's own architecture, with undecorated
// export names (-Wl,--kill-at).

#include <windows.h>

#include <psapi.h>
#include <restartmanager.h>

#include <cwctype>
#include <string>
#include <vector>

namespace {

// "Some applications could not be shut down" (winerror.h of newer SDKs).
constexpr DWORD kFailShutdown = 351;

std::vector<std::wstring> registered;

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

void Log(const std::wstring& line) {
    const std::wstring file = Environment(L"QUENDAL_RM_LOG");
    if (file.empty()) return;
    const std::wstring text = line + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    const HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(handle);
}

std::wstring LongLower(const std::wstring& path) {
    wchar_t longer[MAX_PATH * 4];
    const DWORD length = GetLongPathNameW(path.c_str(), longer, MAX_PATH * 4);
    std::wstring text = length > 0 && length < MAX_PATH * 4 ? std::wstring(longer, length) : path;
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Ends the processes that run a registered file; how many it ended.
int EndRegisteredPrograms() {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
        return 0;
    }
    ids.resize(bytes / sizeof(DWORD));
    int ended = 0;
    for (const DWORD id : ids) {
        const HANDLE process = OpenProcess(
            PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 4];
        DWORD size = MAX_PATH * 4;
        if (QueryFullProcessImageNameW(process, 0, image, &size)) {
            const std::wstring program = LongLower(std::wstring(image, size));
            for (const std::wstring& file : registered) {
                if (program == LongLower(file) && TerminateProcess(process, 0)) {
                    WaitForSingleObject(process, 10000);
                    ++ended;
                    break;
                }
            }
        }
        CloseHandle(process);
    }
    return ended;
}

}  // namespace

// The four functions the installer calls, exported under their own names.
#define RESTART_MANAGER_API __declspec(dllexport) DWORD WINAPI

extern "C" {

RESTART_MANAGER_API RmStartSession(DWORD* session, DWORD flags, WCHAR key[]) {
    Log(L"RmStartSession flags=" + std::to_wstring(flags));
    registered.clear();
    *session = 1;
    lstrcpyW(key, L"quendal-test-session");
    return ERROR_SUCCESS;
}

RESTART_MANAGER_API RmRegisterResources(DWORD session, UINT files, LPCWSTR fileNames[],
                                        UINT applications, RM_UNIQUE_PROCESS[], UINT services,
                                        LPCWSTR[]) {
    std::wstring line = L"RmRegisterResources session=" + std::to_wstring(session) + L" files=";
    for (UINT i = 0; i < files; ++i) {
        registered.emplace_back(fileNames[i]);
        line += (i > 0 ? L"|" : L"") + registered.back();
    }
    Log(line + L" applications=" + std::to_wstring(applications) + L" services=" +
        std::to_wstring(services));
    return ERROR_SUCCESS;
}

RESTART_MANAGER_API RmShutdown(DWORD session, ULONG flags, RM_WRITE_STATUS_CALLBACK callback) {
    const bool close = Environment(L"QUENDAL_RM_MODE") == L"close";
    const int ended = close ? EndRegisteredPrograms() : 0;
    Log(L"RmShutdown session=" + std::to_wstring(session) + L" flags=" + std::to_wstring(flags) +
        L" callback=" + (callback != nullptr ? L"yes" : L"no") + L" ended=" +
        std::to_wstring(ended));
    return close ? ERROR_SUCCESS : kFailShutdown;
}

RESTART_MANAGER_API RmEndSession(DWORD session) {
    Log(L"RmEndSession session=" + std::to_wstring(session));
    return ERROR_SUCCESS;
}

}  // extern "C"
