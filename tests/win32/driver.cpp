#include "driver.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "controlids.h"
#include "formdescription.h"
#include "utf16.h"

namespace quendal::testing {

namespace {

using win32::ToUtf16;
using win32::ToUtf8;

constexpr wchar_t kForm1Class[] = L"QuendalForm1";
// The dialog manager's class: the About dialog's and every message box's.
constexpr wchar_t kDialogClass[] = L"#32770";
// Long enough for a slow start under Wine; a hung program still fails.
constexpr auto kReplyTimeout = 20s;

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The desktop's top-level windows, listed by the window manager in one step.
// Not FindWindowExW from the window found last: when that window is being
// destroyed at that moment (a message box just answered), Wine 10's server
// walks a list that never ends and every Wine program hangs with it.
std::vector<HWND> DesktopWindows() {
    std::vector<HWND> windows;
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        found.push_back(child);
    }
    return found;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL,
                        static_cast<UINT>(std::chrono::milliseconds(kReplyTimeout).count()),
                        &result);
    return static_cast<LRESULT>(result);
}

// The About dialog is the dialog that has 确定 by its number in the form
// description; a message box's button is IDOK.
bool IsAboutDialog(HWND window) {
    return ClassOf(window) == ToUtf8(kDialogClass) &&
           GetDlgItem(window, win32::ControlId(forms::frmAbout(), "cmdOK")) != nullptr;
}

const forms::Form* FormOf(HWND window) {
    if (window == nullptr) return nullptr;
    if (ClassOf(window) == ToUtf8(kForm1Class)) return &forms::Form1();
    if (IsAboutDialog(window)) return &forms::frmAbout();
    return nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(10);
    }
    return true;
}

std::string WindowText(HWND window) {
    const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied < length ? copied : length);
    return ToUtf8(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return ToUtf8(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

Program::Program() {
    if (!Start()) {
        Stop();
        Start();
    }
}

Program::~Program() { Stop(); }

bool Program::Start() {
    const std::wstring& path = kProgramPath;
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &m_process)) {
        m_process = {};
        return false;
    }
    const bool shown = WaitUntil(
        [this] {
            const auto windows = TopLevelWindows(kForm1Class);
            if (windows.empty()) return WaitForSingleObject(m_process.hProcess, 0) != WAIT_TIMEOUT;
            m_form1 = windows.front();
            return true;
        },
        20s);
    if (!shown || m_form1 == nullptr) return false;
    m_thread = GetWindowThreadProcessId(m_form1, nullptr);
    // Started when its first control has the focus.
    return WaitUntil([this] { return Focus() != nullptr; }, 10s);
}

void Program::Stop() {
    if (m_process.hProcess != nullptr) {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 10000);
        }
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    m_process = {};
    m_form1 = nullptr;
    m_thread = 0;
}

std::vector<HWND> Program::TopLevelWindows(const wchar_t* className) const {
    const std::string wanted = ToUtf8(className);
    std::vector<HWND> found = DesktopWindows();
    std::erase_if(found, [this, &wanted](HWND window) {
        return ProcessOf(window) != m_process.dwProcessId || !IsWindowVisible(window) ||
               ClassOf(window) != wanted;
    });
    return found;
}

std::vector<HWND> Program::AboutDialogs() const {
    std::vector<HWND> dialogs = TopLevelWindows(kDialogClass);
    std::erase_if(dialogs, [](HWND window) { return !IsAboutDialog(window); });
    return dialogs;
}

std::vector<HWND> Program::MessageBoxes() const {
    std::vector<HWND> boxes = TopLevelWindows(kDialogClass);
    std::erase_if(boxes, IsAboutDialog);
    return boxes;
}

HWND Program::About() const {
    const auto dialogs = AboutDialogs();
    return dialogs.empty() ? nullptr : dialogs.front();
}

HWND Program::Control(std::string_view name) const {
    return GetDlgItem(m_form1, win32::ControlId(forms::Form1(), name));
}

HWND Program::AboutControl(std::string_view name) const {
    return GetDlgItem(About(), win32::ControlId(forms::frmAbout(), name));
}

void Program::SetText(std::string_view control, std::string_view text) const {
    const std::wstring wide = ToUtf16(text);
    Send(Control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string Program::Text(std::string_view control) const { return WindowText(Control(control)); }

HWND Program::WaitForMessageBox(std::chrono::milliseconds timeout) const {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            const auto boxes = MessageBoxes();
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        },
        timeout);
    return box;
}

std::vector<SeenMessageBox> Program::Click(HWND button) const {
    // The click runs on a thread of its own and returns when the program's
    // handler has; meanwhile this thread answers the boxes it opens.
    std::atomic<bool> finished = false;
    std::thread click([&] {
        Send(button, BM_CLICK, 0, 0);
        finished = true;
    });
    std::vector<SeenMessageBox> seen;
    while (!finished) {
        const auto boxes = MessageBoxes();
        if (boxes.empty()) {
            Sleep(5);
            continue;
        }
        // Wait for the box to have its text before reading it.
        Sleep(20);
        seen.push_back(ReadMessageBox(boxes.front()));
        Dismiss(boxes.front());
    }
    click.join();
    return seen;
}

std::vector<std::string> Program::MessagesOf(HWND button) const {
    std::vector<std::string> texts;
    for (const SeenMessageBox& box : Click(button)) texts.push_back(box.text);
    return texts;
}

void Program::ChooseMenuItem(std::string_view name) const {
    PostMessageW(m_form1, WM_COMMAND, MAKEWPARAM(win32::MenuItemId(forms::Form1(), name), 0), 0);
}

HWND Program::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (m_thread == 0 || !GetGUIThreadInfo(m_thread, &info)) return nullptr;
    return info.hwndFocus;
}

std::string Program::FocusName() const {
    const HWND focus = Focus();
    const forms::Form* form = FormOf(focus != nullptr ? GetParent(focus) : nullptr);
    if (form == nullptr) return {};
    const int index = GetDlgCtrlID(focus) - win32::kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= form->controls.size()) return {};
    return std::string(form->controls[static_cast<std::size_t>(index)].name);
}

bool Program::WaitForExit(std::chrono::milliseconds timeout) const {
    return WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(timeout.count())) ==
           WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

PendingClick::PendingClick(HWND button)
    : m_thread([this, button] {
          DWORD_PTR ignored = 0;
          SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL,
                              static_cast<UINT>(std::chrono::milliseconds(kReplyTimeout).count()),
                              &ignored);
          m_finished = true;
      }) {}

PendingClick::~PendingClick() { m_thread.join(); }

SeenMessageBox ReadMessageBox(HWND box) {
    SeenMessageBox seen;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.caption = WindowText(box);
    for (const HWND child : Children(box)) {
        if (!IsWindowVisible(child)) continue;
        const std::string className = ClassOf(child);
        if (className == "Button") {
            seen.buttons.push_back(WindowText(child));
        } else if (className == "Static") {
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_ICON) {
                seen.icon = seen.icon || Send(child, STM_GETICON, 0, 0) != 0;
            } else if (const std::string text = WindowText(child); !text.empty()) {
                seen.text = text;
            }
        }
    }
    return seen;
}

void Dismiss(HWND box) {
    for (const HWND child : Children(box)) {
        if (IsWindowVisible(child) && ClassOf(child) == "Button") {
            PostMessageW(child, BM_CLICK, 0, 0);
            break;
        }
    }
    WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

AccessibleObject AccessibleOf(HWND window, LONG object) {
    // The object comes from the program's process, through COM.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    AccessibleObject found;
    {
        Microsoft::WRL::ComPtr<IAccessible> accessible;
        if (SUCCEEDED(AccessibleObjectFromWindow(
                window, static_cast<DWORD>(object), __uuidof(IAccessible),
                reinterpret_cast<void**>(accessible.GetAddressOf())))) {
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            VARIANT role{};
            if (SUCCEEDED(accessible->get_accRole(self, &role)) && role.vt == VT_I4) {
                found.role = role.lVal;
            }
            BSTR name = nullptr;
            if (SUCCEEDED(accessible->get_accName(self, &name)) && name != nullptr) {
                found.name = ToUtf8(std::wstring_view(name, SysStringLen(name)));
                SysFreeString(name);
            }
            BSTR description = nullptr;
            if (SUCCEEDED(accessible->get_accDescription(self, &description)) &&
                description != nullptr) {
                found.description =
                    ToUtf8(std::wstring_view(description, SysStringLen(description)));
                SysFreeString(description);
            }
        }
    }
    if (com) CoUninitialize();
    return found;
}

void PressKey(WORD key, bool alt, bool shift) {
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD virtualKey, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (alt) add(VK_MENU, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    if (alt) add(VK_MENU, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace quendal::testing

namespace quendal::testing {

void ClickWithMouse(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

namespace {
std::vector<HWND>* g_recording = nullptr;

void CALLBACK NoteEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (g_recording != nullptr && object == OBJID_CLIENT && child == CHILDID_SELF) {
        g_recording->push_back(window);
    }
}
}  // namespace

WinEventRecorder::WinEventRecorder(DWORD event, DWORD process) {
    g_recording = &m_windows;
    m_hook = SetWinEventHook(event, event, nullptr, NoteEvent, process, 0, WINEVENT_OUTOFCONTEXT);
}

WinEventRecorder::~WinEventRecorder() {
    if (m_hook != nullptr) UnhookWinEvent(m_hook);
    g_recording = nullptr;
}

bool WinEventRecorder::WaitFor(HWND window, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
        },
        timeout);
}

}  // namespace quendal::testing
