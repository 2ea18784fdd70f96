#pragma once
// The About dialog: icon, title, version, the description with its safety
// warnings, and a button that starts the system's System Information tool.
// Not owned by the main window and not modal; one at a time. Each opening
// creates the window afresh from the form description and runs its load.

#include <memory>

#include "focusmemory.h"
#include "fonts.h"
#include "formcontrols.h"
#include "gdiowners.h"
#include "window.h"

namespace quendal::win32 {

class frmAbout final : public Window {
public:
    static constexpr wchar_t kClassName[] = L"QuendalAbout";

    frmAbout() = default;

    // Opens the dialog centred on `centreOn`; when it is open already, brings
    // it (or the message box it shows) to the front instead.
    void Open(HWND centreOn);
    void Close();
    bool IsOpen() const { return m_hwnd != nullptr; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCommand(HWND window, int id, HWND control, UINT code);
    void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
    void OnClose(HWND window);
    void OnPaint(HWND window);
    HBRUSH OnCtlColorStatic(HWND window, HDC dc, HWND control, int type);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    LRESULT DefaultButton() const;

    void Load();
    void Layout(UINT dpi);
    void FitDescription();
    void StartSystemInformation();

    UINT m_dpi = 96;
    std::unique_ptr<FormControls> m_controls;
    std::unique_ptr<FontSet> m_fonts;
    UniqueFont m_descriptionFont;  // only when the dialog font is too large for it
    FocusMemory m_focus;
    bool m_busy = false;
};

}  // namespace quendal::win32
