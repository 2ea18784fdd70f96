#pragma once
// The About dialog: icon, title, version, the description with its safety
// warnings, and a button that starts the system's System Information tool.
// A dialog to the system: the dialog manager's own window, made from an empty
// template in memory and filled from the form description as it opens. So
// screen readers announce it as a dialog and read its text, and the dialog
// manager gives it Enter, Esc, its default button and the focus it had. Not
// owned by the main window and not modal; one at a time. Each opening creates
// it afresh and runs its load.

#include <windows.h>

#include <memory>

#include "colours.h"
#include "formcontrols.h"

namespace quendal::win32 {

class frmAbout {
public:
    frmAbout() = default;
    ~frmAbout() { Close(); }
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    // Opens the dialog centred on `centreOn`; when it is open already, brings
    // it (or the message box it shows) to the front instead.
    void Open(HWND centreOn);
    void Close();
    bool IsOpen() const { return m_hwnd != nullptr; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnInitDialog();
    void OnCommand(int id);
    void OnPaint();
    INT_PTR OnCtlColorStatic(HDC dc, HWND control);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    void Load();
    void StartSystemInformation();

    HWND m_hwnd = nullptr;
    HWND m_centreOn = nullptr;
    std::unique_ptr<FormControls> m_controls;
    ThemeColours m_colours{};
    bool m_busy = false;
};

}  // namespace quendal::win32
