#pragma once
// Drives the real quendal.exe from outside, as a user would: starts it, finds
// its windows and controls (by their automation ids, never by visible text),
// types into text boxes, clicks, presses keys, and reads and answers the
// message boxes it shows.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quendal::testing {

using namespace std::chrono_literals;

// Polls `done` until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);

std::string WindowText(HWND window);
std::string ClassOf(HWND window);

// What a message box showed: caption, text, the texts of its buttons, and
// whether it showed an icon.
struct SeenMessageBox {
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    bool icon = false;
};

// One run of the program, ended (killed if need be) with the object.
class Program {
public:
    // Starts the program and waits for its main window. A start whose window
    // never shows is tried once more, since Wine now and then fails one.
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Form1() const { return m_form1; }
    // The About dialog when it is open, else null.
    HWND About() const;
    DWORD ThreadId() const { return m_thread; }
    DWORD ProcessId() const { return m_process.dwProcessId; }

    // A control of Form1 or of the About dialog by its name in the form description.
    HWND Control(std::string_view name) const;
    HWND AboutControl(std::string_view name) const;

    void SetText(std::string_view control, std::string_view text) const;
    std::string Text(std::string_view control) const;

    // Presses a button and answers every message box the click opens with its
    // only button, returning what they showed, in order. Returns once the
    // click's handler has finished.
    std::vector<SeenMessageBox> Click(HWND button) const;
    // Just the texts.
    std::vector<std::string> MessagesOf(HWND button) const;

    // A menu item of Form1, by name ("ex", "sm"), as the menu sends it.
    void ChooseMenuItem(std::string_view name) const;

    // The control that has the keyboard focus in the program.
    HWND Focus() const;
    // The name of that control in its form description, or "" for none.
    std::string FocusName() const;

    bool WaitForExit(std::chrono::milliseconds timeout = 10s) const;
    DWORD ExitCode() const;
    // Every visible top-level window of the process with that class.
    std::vector<HWND> TopLevelWindows(const wchar_t* className) const;
    // Its open About dialogs, and its message boxes: dialogs both.
    std::vector<HWND> AboutDialogs() const;
    std::vector<HWND> MessageBoxes() const;
    // The first visible message box of the process, if one shows within the time.
    HWND WaitForMessageBox(std::chrono::milliseconds timeout = 5s) const;

private:
    bool Start();
    void Stop();

    PROCESS_INFORMATION m_process{};
    DWORD m_thread = 0;
    HWND m_form1 = nullptr;
};

// A click whose handler stays busy while it shows a message box: sent from a
// thread of its own, so that the test can act meanwhile. Finished() tells
// when the handler has returned; the object waits for that when it goes.
class PendingClick {
public:
    explicit PendingClick(HWND button);
    ~PendingClick();
    PendingClick(const PendingClick&) = delete;
    PendingClick& operator=(const PendingClick&) = delete;
    bool Finished() const { return m_finished; }

private:
    std::atomic<bool> m_finished = false;
    std::thread m_thread;
};

SeenMessageBox ReadMessageBox(HWND box);
// Presses the box's only button and waits until the box is gone.
void Dismiss(HWND box);

// What a screen reader learns of a window through Microsoft Active
// Accessibility (oleacc, here Wine's): the role and name of one of its
// objects, OBJID_CLIENT or OBJID_WINDOW. Role 0 when none answers.
struct AccessibleObject {
    long role = 0;
    std::string name;
    std::string description;
};
AccessibleObject AccessibleOf(HWND window, LONG object);

// A left click with the real mouse in the middle of the control, which
// takes the focus as a user's click does.
void ClickWithMouse(HWND control);

// The windows whose client object raised one WinEvent (EVENT_OBJECT_*), as a
// screen reader's out-of-context hook sees them; one recorder at a time.
class WinEventRecorder {
public:
    WinEventRecorder(DWORD event, DWORD process);
    ~WinEventRecorder();
    WinEventRecorder(const WinEventRecorder&) = delete;
    WinEventRecorder& operator=(const WinEventRecorder&) = delete;
    bool Hooked() const { return m_hook != nullptr; }
    // Takes the events that have come, until one for `window` has.
    bool WaitFor(HWND window, std::chrono::milliseconds timeout = 5s);

private:
    HWINEVENTHOOK m_hook = nullptr;
    std::vector<HWND> m_windows;
};

// Keys as a user types them, to whatever window has the focus.
void PressKey(WORD key, bool alt = false, bool shift = false);

// The files of the build under test (the build writes their paths in).
inline const std::wstring kProgramPath = L"" QUENDAL_TEST_PROGRAM;
inline const std::wstring kStandInPath = L"" QUENDAL_TEST_STAND_IN;
inline const std::wstring kAssetsPath = L"" QUENDAL_TEST_ASSETS;

}  // namespace quendal::testing
