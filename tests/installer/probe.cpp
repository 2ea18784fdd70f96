// What scripts/installer-test.sh cannot see from Linux: uninstall entries in
// every registry view, what a shortcut points at, windows and processes. Runs
// under Wine, prints "key=value" lines in UTF-8. Paths may hold %VARIABLES%.
// A 32-bit program, so that it runs in 64-bit and 32-bit prefixes alike.
//   probe entries <name>              entries whose key or DisplayName holds <name>
//   probe shortcut <file.lnk>         its target, arguments, icon and description
//   probe window <title> <ms>         waits for a visible window; prints its program
//   probe count <program>             how many processes run <program>
//   probe wait-none <folder> <ms>     waits until no program from <folder> runs
//   probe stubborn <title>            shows a window that refuses to close
//   probe run <program> [argument]    runs it to its end; prints its whole exit
//                                     code (Linux sees only the low 8 bits)
//   probe hold <file>                 keeps the file open as a virus scanner
//                                     would, without sharing its deletion;
//                                     prints "held", then waits to be ended
// Exit status 0, or 1 when what was asked for did not happen, 2 on misuse.

#include <windows.h>

#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

void Write(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

void Line(const std::wstring& key, const std::wstring& value) { Write(key + L"=" + value + L"\n"); }

std::wstring Expand(const wchar_t* text) {
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ExpandEnvironmentStringsW(text, out.data(), static_cast<DWORD>(out.size()));
        if (length == 0) return text;
        if (length <= out.size()) {
            out.resize(length - 1);
            return out;
        }
        out.resize(length);
    }
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return Lower(text).find(Lower(part)) != std::wstring::npos;
}

// The full, long form of a path: with Lower, two spellings of one file compare equal.
std::wstring Canonical(const std::wstring& path) {
    wchar_t full[MAX_PATH * 4];
    if (GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr) == 0) return path;
    wchar_t longer[MAX_PATH * 4];
    if (GetLongPathNameW(full, longer, MAX_PATH * 4) == 0) return full;
    return longer;
}

std::wstring ProgramOf(DWORD pid) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return {};
    wchar_t path[MAX_PATH * 4];
    DWORD size = MAX_PATH * 4;
    const bool ok = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    return ok ? Canonical(std::wstring(path, size)) : std::wstring();
}

std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
            return {};
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

// Processes (other than this one) whose program is <program>, or lies in
// <folder> when <prefix> is true.
int CountPrograms(const std::wstring& path, bool prefix) {
    const std::wstring wanted = Lower(Canonical(path));
    int count = 0;
    for (const DWORD pid : ProcessIds()) {
        if (pid == GetCurrentProcessId()) continue;
        const std::wstring program = Lower(ProgramOf(pid));
        if (program.empty()) continue;
        if (prefix ? program.rfind(wanted + L"\\", 0) == 0 : program == wanted) ++count;
    }
    return count;
}

std::wstring RegistryString(DWORD type, const BYTE* data, DWORD size) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            return text;
        }
        case REG_DWORD: {
            DWORD value = 0;
            std::memcpy(&value, data, sizeof(value));
            return std::to_wstring(value);
        }
        default:
            return L"(type " + std::to_wstring(type) + L")";
    }
}

bool SystemIs64Bit() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

// Every uninstall entry that names <name>, in the machine's 64-bit and 32-bit
// views (on 32-bit Windows its only view, "machine") and the user's:
// "<view>\<key>\<value>=<data>".
int Entries(const std::wstring& name) {
    struct View {
        const wchar_t* label;
        HKEY root;
        REGSAM extra;
    };
    const View views64[] = {{L"machine64", HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                            {L"machine32", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                            {L"user", HKEY_CURRENT_USER, 0}};
    const View views32[] = {{L"machine", HKEY_LOCAL_MACHINE, 0}, {L"user", HKEY_CURRENT_USER, 0}};
    const auto views = SystemIs64Bit() ? std::vector<View>(std::begin(views64), std::end(views64))
                                       : std::vector<View>(std::begin(views32), std::end(views32));
    const wchar_t* uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    for (const View& view : views) {
        HKEY list = nullptr;
        if (RegOpenKeyExW(view.root, uninstall, 0, KEY_READ | view.extra, &list) != ERROR_SUCCESS)
            continue;
        wchar_t keyName[256];
        for (DWORD i = 0;; ++i) {
            DWORD keyLength = 256;
            if (RegEnumKeyExW(list, i, keyName, &keyLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            HKEY entry = nullptr;
            if (RegOpenKeyExW(list, keyName, 0, KEY_READ | view.extra, &entry) != ERROR_SUCCESS)
                continue;
            std::vector<std::pair<std::wstring, std::wstring>> values;
            bool names = Contains(keyName, name);
            // Room for the longest name and value, so that none is skipped.
            DWORD count = 0, longestName = 0, longestData = 0;
            RegQueryInfoKeyW(entry, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                             &longestName, &longestData, nullptr, nullptr);
            std::vector<wchar_t> valueName(longestName + 1);
            std::vector<BYTE> data(longestData + sizeof(wchar_t));
            for (DWORD j = 0; j < count; ++j) {
                DWORD valueLength = static_cast<DWORD>(valueName.size());
                DWORD dataSize = static_cast<DWORD>(data.size());
                DWORD type = 0;
                if (RegEnumValueW(entry, j, valueName.data(), &valueLength, nullptr, &type,
                                  data.data(), &dataSize) != ERROR_SUCCESS) {
                    values.emplace_back(L"(unreadable value)", std::to_wstring(j));
                    continue;
                }
                const std::wstring valueText(valueName.data(), valueLength);
                std::wstring text = RegistryString(type, data.data(), dataSize);
                if (valueText == L"DisplayName" && Contains(text, name)) names = true;
                values.emplace_back(valueText, std::move(text));
            }
            RegCloseKey(entry);
            if (!names) continue;
            const std::wstring prefix = std::wstring(view.label) + L"\\" + keyName + L"\\";
            Line(prefix, L"");
            for (const auto& [valueName, text] : values) Line(prefix + valueName, text);
        }
        RegCloseKey(list);
    }
    return 0;
}

int Shortcut(const std::wstring& file) {
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Line(L"error", L"no file " + file);
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    int status = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        wchar_t text[MAX_PATH * 4];
        int index = 0;
        if (SUCCEEDED(link->GetPath(text, MAX_PATH * 4, nullptr, SLGP_RAWPATH)))
            Line(L"target", text);
        if (SUCCEEDED(link->GetArguments(text, MAX_PATH * 4))) Line(L"arguments", text);
        if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH * 4))) Line(L"workdir", text);
        if (SUCCEEDED(link->GetDescription(text, MAX_PATH * 4))) Line(L"description", text);
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH * 4, &index))) {
            Line(L"icon", text);
            Line(L"iconindex", std::to_wstring(index));
            // How many icons the file holds: none means a blank shortcut.
            Line(L"icons", std::to_wstring(ExtractIconExW(text, -1, nullptr, nullptr, 0)));
        }
        status = 0;
    }
    if (persist != nullptr) persist->Release();
    if (link != nullptr) link->Release();
    CoUninitialize();
    return status;
}

int Window(const std::wstring& title, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const HWND window = FindWindowW(nullptr, title.c_str());
        if (window != nullptr && IsWindowVisible(window)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            Line(L"pid", std::to_wstring(pid));
            Line(L"program", ProgramOf(pid));
            return 0;
        }
        if (GetTickCount64() >= end) return 1;
        Sleep(50);
    }
}

int WaitNone(const std::wstring& folder, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const int count = CountPrograms(folder, true);
        if (count == 0) return 0;
        if (GetTickCount64() >= end) {
            Line(L"running", std::to_wstring(count));
            return 1;
        }
        Sleep(50);
    }
}

LRESULT CALLBACK StubbornProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;  // the whole point: it will not close
    return DefWindowProcW(window, message, wParam, lParam);
}

int Stubborn(const std::wstring& title) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = StubbornProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuendalInstallerTestStubborn";
    if (RegisterClassW(&windowClass) == 0) return 1;
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(),
                                        WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320, 200,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int Hold(const std::wstring& file) {
    // Reading only, and sharing reads and writes: the installer can still
    // write the file, but not delete or rename it.
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 1;
    Line(L"held", file);
    Sleep(INFINITE);
    return 0;
}

int Run(const std::wstring& program, const std::wstring& argument) {
    std::wstring commandLine = L"\"" + program + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Line(L"exit", std::to_wstring(code));
    return 0;
}

int Usage() {
    Write(L"usage: probe entries|shortcut|window|count|wait-none|stubborn|run|hold ...\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring command = argv[1];
    const std::wstring argument = Expand(argv[2]);
    const DWORD milliseconds =
        argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 0;
    if (command == L"entries") return Entries(argument);
    if (command == L"shortcut") return Shortcut(argument);
    if (command == L"window" && argc == 4) return Window(argument, milliseconds);
    if (command == L"count") {
        Line(L"count", std::to_wstring(CountPrograms(argument, false)));
        return 0;
    }
    if (command == L"wait-none" && argc == 4) return WaitNone(argument, milliseconds);
    if (command == L"stubborn") return Stubborn(argument);
    if (command == L"hold") return Hold(argument);
    if (command == L"run") return Run(argument, argc > 3 ? argv[3] : L"");
    return Usage();
}
