// Times two programs' starts, alternately, under the same system: from just
// before CreateProcess to the moment the program's top-level window of the
// given class is first visible. Each run's window is then closed and the
// program waited for before the next start.
//   startwatch <pairs> <program A> <class A> <program B> <class B>
// Prints one line per start, then each program's median and the ratio A/B.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return static_cast<double>(value.QuadPart) * 1000.0 / frequency;
}

HWND VisibleWindowOf(DWORD process, const wchar_t* className) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Milliseconds to the window first shown; negative when it never showed.
double TimeStart(const std::wstring& program, const wchar_t* className) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    double shown = -1;
    HWND window = nullptr;
    while (Now() - start < 20000) {
        window = VisibleWindowOf(process.dwProcessId, className);
        if (window != nullptr) {
            shown = Now() - start;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT) break;
        SwitchToThread();
    }
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 6) {
        std::fwprintf(stderr,
                      L"usage: startwatch <pairs> <program A> <class A> <program B> <class B>\n");
        return 2;
    }
    const int pairs = std::max(1, _wtoi(argv[1]));
    std::vector<double> times[2];
    for (int pair = 0; pair < pairs; ++pair) {
        for (int which = 0; which < 2; ++which) {
            const double ms = TimeStart(argv[2 + 2 * which], argv[3 + 2 * which]);
            if (ms < 0) {
                std::fwprintf(stderr, L"%ls never showed its window\n", argv[2 + 2 * which]);
                return 1;
            }
            times[which].push_back(ms);
            std::wprintf(L"start %d %ls %.1f ms\n", pair + 1, which == 0 ? L"A" : L"B", ms);
        }
    }
    const double a = Median(times[0]);
    const double b = Median(times[1]);
    std::wprintf(L"median A %.1f ms, B %.1f ms, ratio %.2f (%d pairs)\n", a, b, a / b, pairs);
    return 0;
}
