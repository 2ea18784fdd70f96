// Times programs' starts in turn under the same system: from just before
// CreateProcess to the moment the program's top-level window of the given
// class is first visible. Each run's window is then closed and the program
// waited for before the next start. Every round starts each program once, the
// order turning by one from round to round.
//   startwatch <rounds> <program> <class> [<program> <class>]...
// Prints one line per start, then for each program its median, the median
// and quartiles of its ratio to the last program of the same rounds (the
// baseline), and the median difference to it.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
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

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM search) {
    auto& wanted = *reinterpret_cast<WindowSearch*>(search);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner != wanted.process || !IsWindowVisible(window) ||
        std::wstring_view(name) != wanted.className) {
        return TRUE;
    }
    wanted.found = window;
    return FALSE;
}

// By EnumWindows, not FindWindowExW from the window found last, which Wine's
// server can loop on forever (docs/windows.md, on Wine 10).
HWND VisibleWindowOf(DWORD process, const wchar_t* className) {
    WindowSearch search{process, className};
    EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

// The value at fraction `at` (0.5: the median) of the sorted values.
double Quantile(std::vector<double> values, double at) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double place = at * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(place);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (place - static_cast<double>(below));
}

std::wstring NameOf(const std::wstring& program) {
    const std::size_t slash = program.find_last_of(L"\\/");
    return slash == std::wstring::npos ? program : program.substr(slash + 1);
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    if (argc < 4 || argc % 2 != 0) {
        std::fwprintf(stderr,
                      L"usage: startwatch <rounds> <program> <class> [<program> <class>]...\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const std::size_t count = static_cast<std::size_t>(argc - 2) / 2;
    std::vector<std::vector<double>> times(count);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t turn = 0; turn < count; ++turn) {
            const std::size_t which = (turn + static_cast<std::size_t>(round)) % count;
            const wchar_t* program = argv[2 + 2 * which];
            const double ms = TimeStart(program, argv[3 + 2 * which]);
            if (ms < 0) {
                std::fwprintf(stderr, L"%ls never showed its window\n", program);
                return 1;
            }
            times[which].push_back(ms);
            std::wprintf(L"start %d %ls %.1f ms\n", round + 1, NameOf(program).c_str(), ms);
        }
    }
    const std::vector<double>& baseline = times.back();
    std::wprintf(L"\n%-16ls %9ls %22ls %12ls\n", L"program", L"median", L"ratio (quartiles)",
                 L"difference");
    for (std::size_t which = 0; which < count; ++which) {
        std::vector<double> ratios;
        std::vector<double> differences;
        for (std::size_t round = 0; round < times[which].size(); ++round) {
            ratios.push_back(times[which][round] / baseline[round]);
            differences.push_back(times[which][round] - baseline[round]);
        }
        std::wprintf(L"%-16ls %6.1f ms %6.3f (%.3f to %.3f) %+9.1f ms\n",
                     NameOf(argv[2 + 2 * which]).c_str(), Quantile(times[which], 0.5),
                     Quantile(ratios, 0.5), Quantile(ratios, 0.25), Quantile(ratios, 0.75),
                     Quantile(differences, 0.5));
    }
    std::wprintf(L"%d rounds; ratios and differences to %ls in the same round\n", rounds,
                 NameOf(argv[argc - 2]).c_str());
    return 0;
}
