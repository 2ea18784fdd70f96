#pragma once
// The main window: four input boxes, the circuit picture, the two calculate
// buttons, the report label and the menu bar 退出 / 说明, all built from the
// form description. It is the calculator's field set: the buttons hand it to
// the core, which reads and writes it.

#include <memory>

#include "fieldset.h"
#include "focusmemory.h"
#include "formcontrols.h"
#include "frmabout.h"
#include "gdiowners.h"
#include "messenger.h"
#include "window.h"

namespace quendal::win32 {

class Form1 final : public Window, public FieldSet {
public:
    static constexpr wchar_t kClassName[] = L"QuendalForm1";

    // Creates the window, hidden; Handle() is null when that failed.
    Form1();
    // Shows it and then makes what its first paint does not need.
    void Show(int showCommand);

    std::string FieldText(FieldId field) const override;
    void SetFieldText(FieldId field, const std::string& text) override;
    void SetReportText(const std::string& text) override;

    // The window's keyboard shortcuts (F1 for 说明): true when `message` was
    // one, and has been sent as its command.
    bool TranslateKeys(MSG& message) const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCommand(HWND window, int id, HWND control, UINT code);
    void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
    void OnClose(HWND window);
    void OnDestroy(HWND window);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    UINT Dpi() const;
    void SetIcon(WPARAM which);  // ICON_SMALL or ICON_BIG, for Dpi()
    void SizeToDesign();
    // The outer size of the present client area scaled to `dpi`.
    SIZE ScaledSize(UINT dpi) const;
    void Calculate(void (*calculation)(FieldSet&, Messenger&));
    void PressFocusedButton();
    HWND Box(FieldId field) const;
    void Write(HWND control, const std::string& text);

    std::unique_ptr<FormControls> m_controls;
    UniqueIcon m_bigIcon;
    UniqueIcon m_smallIcon;
    UniqueAccelerators m_keys;
    FocusMemory m_focus;
    frmAbout m_about;
    bool m_calculating = false;
};

}  // namespace quendal::win32
