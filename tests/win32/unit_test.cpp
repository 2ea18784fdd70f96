// The front-end's pure pieces, and what a test from outside cannot read under
// Wine: the menu bar's texts, the tooltips, and whether the About dialog's
// description fits its box. These build the windows in this process.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "colours.h"
#include "controlids.h"
#include "dpi.h"
#include "fonts.h"
#include "form1.h"
#include "formdescription.h"
#include "gdiowners.h"
#include "picture.h"
#include "textlayout.h"
#include "utf16.h"

namespace quendal::win32 {
namespace {

struct Conversion {
    const char* name;
    std::string utf8;
    std::wstring utf16;
};

std::ostream& operator<<(std::ostream& out, const Conversion& row) { return out << row.name; }

class Utf16 : public ::testing::TestWithParam<Conversion> {};

TEST_P(Utf16, ConvertsBothWays) {
    EXPECT_EQ(ToUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(ToUtf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Utf16,
    ::testing::Values(Conversion{"Empty", "", L""}, Conversion{"Ascii", "220", L"220"},
                      Conversion{"Chinese", "容抗3.1831 K欧\r\n电流:69.12 mA",
                                 L"\u5bb9\u6297"
                                 L"3.1831 K\u6b27\r\n\u7535\u6d41:69.12 mA"},
                      Conversion{"MicroSign", "µF", L"\u00b5F"},
                      Conversion{"OutsideTheBasicPlane", "\xf0\x9f\x94\x8c", L"\xd83d\xdd0c"},
                      Conversion{"EmbeddedNul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Utf16Invalid, BadBytesBecomeReplacementCharacters) {
    EXPECT_EQ(ToUtf16("1\xff"
                      "2"),
              L"1\ufffd"
              L"2");
    EXPECT_EQ(ToUtf8(std::wstring(L"a\xd800"
                                  L"b")),
              "a\xef\xbf\xbd"
              "b");
}

// The picture the program carries for each DPI: the box's size at that DPI,
// so that it is drawn pixel for pixel.
TEST(CircuitPicture, MadeForEachScaleAtTheBoxsSizeThere) {
    const std::vector<int> dpis = CircuitDpis();
    EXPECT_EQ(dpis, (std::vector<int>{96, 120, 144, 168, 192, 240, 288}));
    const forms::TwipsRect box = forms::Form1().Find("Picture1").rect;
    for (const int dpi : dpis) {
        SCOPED_TRACE(dpi);
        const forms::PixelRect place = forms::ToPixels(box, dpi);
        const UniqueBitmap bitmap =
            CircuitPicture(place.width, place.height, static_cast<UINT>(dpi));
        ASSERT_TRUE(bitmap);
        BITMAP size{};
        GetObjectW(bitmap.get(), sizeof(size), &size);
        EXPECT_EQ((std::vector<LONG>{size.bmWidth, size.bmHeight}),
                  (std::vector<LONG>{place.width, place.height}));
    }
}

struct Theme {
    const char* name;
    bool highContrast;
    COLORREF text;
    COLORREF face;
    bool designed;  // else the system's own
};

std::ostream& operator<<(std::ostream& out, const Theme& row) { return out << row.name; }

class AboutColours : public ::testing::TestWithParam<Theme> {};

// Black text and a grey-over-white line only where the system's text is dark
// and no high-contrast theme is on.
TEST_P(AboutColours, AreTheDesignsOnALightThemeOnly) {
    const Theme& row = GetParam();
    const ThemeColours designed{RGB(0, 0, 0), RGB(128, 128, 128), RGB(255, 255, 255)};
    const ThemeColours system{row.text, RGB(1, 2, 3), RGB(4, 5, 6)};
    EXPECT_EQ(ChooseColours(row.highContrast, system.text, row.face, system.shadow,
                            system.highlight, designed),
              row.designed ? designed : system);
}

INSTANTIATE_TEST_SUITE_P(
    Themes, AboutColours,
    ::testing::Values(
        Theme{"Classic", false, RGB(0, 0, 0), RGB(240, 240, 240), true},
        Theme{"DarkGreyText", false, RGB(30, 30, 30), RGB(240, 240, 240), true},
        Theme{"HighContrastBlackOnWhite", true, RGB(0, 0, 0), RGB(255, 255, 255), false},
        Theme{"HighContrastBlack", true, RGB(255, 255, 255), RGB(0, 0, 0), false},
        Theme{"NightSky", true, RGB(255, 255, 0), RGB(0, 0, 0), false},
        Theme{"LightTextOnADarkFace", false, RGB(230, 230, 230), RGB(32, 32, 32), false},
        // Dark by its face, though its text is darker than mid-grey.
        Theme{"MidToneTextOnADarkFace", false, RGB(110, 110, 110), RGB(20, 20, 20), false}),
    [](const auto& row) { return std::string(row.param.name); });

// Form1 and its About dialog in this process.
class InProcess : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }
    static void TearDownTestSuite() { CoUninitialize(); }

    // 说明 chosen in `window`'s menu: the About dialog it opened, or null.
    static HWND OpenAbout(const Form1& window);
    static void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
};

TEST_F(InProcess, MenuBarHasExitAndAboutWithoutSubMenus) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    const HMENU bar = GetMenu(window.Handle());
    ASSERT_NE(bar, nullptr);
    const forms::Form& form = forms::Form1();
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(form.menu.size()));
    std::vector<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t caption[64] = {};
        GetMenuStringW(bar, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        captions.push_back(ToUtf8(caption));
        EXPECT_EQ(GetSubMenu(bar, i), nullptr) << captions.back();
        EXPECT_EQ(GetMenuItemID(bar, i),
                  static_cast<UINT>(MenuItemId(form, form.menu[static_cast<std::size_t>(i)].name)));
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"退出", "说明"}));
}

// An enumeration callback (a named function: 32-bit Windows calls it with
// the stdcall convention, which a lambda cannot have) that keeps the owned
// tooltip window among a thread's windows.
BOOL CALLBACK NoteOwnedTooltips(HWND candidate, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(candidate, name, 64);
    if (std::wstring_view(name) == TOOLTIPS_CLASSW && GetWindow(candidate, GW_OWNER) != nullptr) {
        *reinterpret_cast<HWND*>(found) = candidate;
    }
    return TRUE;
}

TEST_F(InProcess, EachTextBoxTellsItsUnitInATooltip) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    window.Show(SW_SHOWNA);  // the tooltips come once it shows
    HWND tooltips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), NoteOwnedTooltips, reinterpret_cast<LPARAM>(&tooltips));
    ASSERT_NE(tooltips, nullptr);
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"txtVolt", "V"}, {"txtF", "Hz"}, {"txtC1", "µF"}, {"txtCurrent", "mA"}};
    EXPECT_EQ(SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0),
              static_cast<LRESULT>(expected.size()));
    for (const auto& [box, unit] : expected) {
        wchar_t text[80] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = window.Handle();
        tool.uId =
            reinterpret_cast<UINT_PTR>(GetDlgItem(window.Handle(), ControlId(forms::Form1(), box)));
        tool.lpszText = text;
        SendMessageW(tooltips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        EXPECT_NE(ToUtf8(text).find(unit), std::string::npos) << box << ": " << ToUtf8(text);
    }
}

TEST_F(InProcess, SongLabelsUseAChineseSerifOfTenAndAHalfPoints) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    const forms::Form& form = forms::Form1();
    for (const forms::Control& control : form.controls) {
        if (control.font == forms::FontFace::Dialog) continue;
        SCOPED_TRACE(std::string(control.name));
        const HWND label = GetDlgItem(window.Handle(), ControlId(form, control.name));
        const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW described{};
        GetObjectW(font, sizeof(described), &described);
        EXPECT_EQ(described.lfCharSet, GB2312_CHARSET);
        EXPECT_EQ(described.lfWeight,
                  control.font == forms::FontFace::SongBold ? FW_BOLD : FW_NORMAL);
        const HDC dc = GetDC(label);
        const HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        WORD glyph = 0;
        GetGlyphIndicesW(dc, L"\u7535", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        const double points = static_cast<double>(metrics.tmHeight - metrics.tmInternalLeading) *
                              72.0 / static_cast<double>(WindowDpi(window.Handle()));
        EXPECT_NEAR(points, 10.5, 0.5) << ToUtf8(face);
        EXPECT_NE(glyph, 0xFFFF) << ToUtf8(face) << " has no 电";
    }
}

// What Windows sends when the window moves to a screen of another DPI: the
// window lays itself out again from the description, fonts included, and
// takes the rectangle the system suggests, whatever its size.
TEST_F(InProcess, ADpiChangeLaysTheWindowOutAgain) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    const forms::Form& form = forms::Form1();
    const HWND label = GetDlgItem(window.Handle(), ControlId(form, "lblT"));
    // 10.5 pt is 14 pixels at 96 DPI, 21 at 144, 28 at 192.
    for (const auto& [dpi, songHeight] :
         {std::pair{144, -21}, std::pair{192, -28}, std::pair{96, -14}}) {
        SCOPED_TRACE(dpi);
        RECT suggested{10, 10, 10 + 700, 10 + 600};
        SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT taken{};
        GetWindowRect(window.Handle(), &taken);
        EXPECT_TRUE(EqualRect(&taken, &suggested))
            << taken.right - taken.left << "x" << taken.bottom - taken.top;
        for (const forms::Control& control : form.controls) {
            RECT place{};
            GetWindowRect(GetDlgItem(window.Handle(), ControlId(form, control.name)), &place);
            MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&place), 2);
            const forms::PixelRect expected = forms::ToPixels(control.rect, dpi);
            EXPECT_EQ(
                (std::vector<LONG>{place.left, place.top, place.right - place.left,
                                   place.bottom - place.top}),
                (std::vector<LONG>{expected.left, expected.top, expected.width, expected.height}))
                << control.name;
        }
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        EXPECT_EQ(font.lfHeight, songHeight);
    }
}

// A maximised window stays maximised, at the system's rectangle; a size the
// user gave the window is scaled to the new DPI, not reset to the design's.
TEST_F(InProcess, ADpiChangeKeepsTheMaximisedStateAndTheUsersSize) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    window.Show(SW_SHOWMAXIMIZED);
    Pump();
    RECT maximised{};
    GetWindowRect(window.Handle(), &maximised);
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&maximised));
    RECT after{};
    GetWindowRect(window.Handle(), &after);
    EXPECT_TRUE(IsZoomed(window.Handle()));
    EXPECT_TRUE(EqualRect(&after, &maximised))
        << after.right - after.left << "x" << after.bottom - after.top;

    window.Show(SW_RESTORE);
    RECT restored{0, 0, 420, 320};
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&restored));
    RECT client{};
    GetClientRect(window.Handle(), &client);
    SIZE size{};
    ASSERT_TRUE(SendMessageW(window.Handle(), WM_GETDPISCALEDSIZE, MAKEWPARAM(192, 192),
                             reinterpret_cast<LPARAM>(&size)));
    // The frame and the menu bar at 192 dpi, around twice the client area.
    RECT frame{0, 0, 2 * client.right, 2 * client.bottom};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window.Handle(), GWL_STYLE));
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjust = reinterpret_cast<AdjustForDpi>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    ASSERT_NE(adjust, nullptr) << "Wine 8 has it";
    adjust(&frame, style, TRUE, 0, 192);
    EXPECT_EQ((std::vector<LONG>{size.cx, size.cy}),
              (std::vector<LONG>{frame.right - frame.left, frame.bottom - frame.top}));
}

// Why a control's whole text does not show in it, measured with the font it
// draws with: a text box's line within its formatting rectangle, a label's
// text (wrapped where it wraps), a button's caption within its edges.
std::string WhyTextDoesNotFit(HWND control, const forms::Control& described, UINT dpi) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT client{};
    GetClientRect(control, &client);
    const std::wstring text = WindowText(control);
    std::string problem;
    const auto check = [&](const char* what, long needed, long room) {
        if (problem.empty() && needed > room) {
            problem = std::string(described.name) + ": " + what + " needs " +
                      std::to_string(needed) + " px, has " + std::to_string(room) + " (" +
                      std::to_string(metrics.tmHeight) + "-pixel font)";
        }
    };
    switch (described.kind) {
        case forms::ControlKind::TextBox: {
            RECT lines{};
            SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&lines));
            check("its line", metrics.tmHeight, std::min(lines.bottom, client.bottom) - lines.top);
            break;
        }
        case forms::ControlKind::Label: {
            RECT needed{0, 0, client.right, 0};
            if (described.wordWrap) {  // as DrawWrappingLabel draws it
                const auto width = [dc](std::string_view piece) {
                    const std::wstring wide = ToUtf16(piece);
                    SIZE size{};
                    GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
                    return static_cast<int>(size.cx);
                };
                const std::string utf8 = ToUtf8(text);
                const auto lines = forms::WrapLines(utf8, client.right, width);
                for (const std::string_view line : lines) {
                    needed.right = std::max(needed.right, static_cast<LONG>(width(line)));
                }
                needed.bottom = static_cast<LONG>(lines.size()) * metrics.tmHeight;
            } else {
                DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                          DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
            }
            check("the width of its text", needed.right, client.right);
            check("the height of its text", needed.bottom, client.bottom);
            break;
        }
        case forms::ControlKind::Button: {
            RECT needed{};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                      DT_CALCRECT | DT_SINGLELINE);
            // Within the button's edges and focus frame: 3 pixels a side at 96 dpi.
            const int margin = 2 * MulDiv(3, static_cast<int>(dpi), 96);
            check("its caption", needed.right + margin, client.right);
            check("the height of its caption", needed.bottom + margin, client.bottom);
            break;
        }
        case forms::ControlKind::PictureBox:
        case forms::ControlKind::IconBox:
            break;
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return problem;
}

BOOL CALLBACK NoteAboutDialog(HWND candidate, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(candidate, name, 16);
    if (std::wstring_view(name) == L"#32770" &&
        GetDlgItem(candidate, ControlId(forms::frmAbout(), "cmdOK")) != nullptr) {
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
    }
    return TRUE;
}

// This thread's About dialog: the dialog with 确定 by its form number.
HWND AboutDialogOfThisThread() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), NoteAboutDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

HWND InProcess::OpenAbout(const Form1& window) {
    SendMessageW(window.Handle(), WM_COMMAND, static_cast<WPARAM>(MenuItemId(forms::Form1(), "sm")),
                 0);
    Pump();
    return AboutDialogOfThisThread();
}

// How often each control heard of a system colour change.
std::vector<std::pair<HWND, int>> g_colourChanges;

LRESULT CALLBACK CountColourChanges(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
    if (message == WM_SYSCOLORCHANGE) {
        for (auto& [window, count] : g_colourChanges) count += window == control ? 1 : 0;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

// Windows tells only top-level windows that the system's colours changed;
// both windows pass it on to each of their controls, whose common-control
// classes keep copies of the colours.
TEST_F(InProcess, EveryControlOfBothWindowsHearsOfAColourChange) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    const HWND about = OpenAbout(window);
    ASSERT_NE(about, nullptr);
    g_colourChanges.clear();
    for (const auto& [form, handle] :
         {std::pair{&forms::Form1(), window.Handle()}, std::pair{&forms::frmAbout(), about}}) {
        for (const forms::Control& control : form->controls) {
            const HWND child = GetDlgItem(handle, ControlId(*form, control.name));
            ASSERT_NE(child, nullptr) << control.name;
            g_colourChanges.emplace_back(child, 0);
            SetWindowSubclass(child, CountColourChanges, 1, 0);
        }
        SendMessageW(handle, WM_SYSCOLORCHANGE, 0, 0);
    }
    for (const auto& [child, count] : g_colourChanges) {
        EXPECT_EQ(count, 1) << ToUtf8(WindowText(child)) << " (id " << GetDlgCtrlID(child) << ")";
        RemoveWindowSubclass(child, CountColourChanges, 1);
    }
}

class TextsFit : public InProcess, public ::testing::WithParamInterface<UINT> {};

// In the fonts Chinese Windows has (scripts/windows-tests.sh gives Wine
// stand-ins with SimSun's and Microsoft YaHei UI's vertical metrics), at
// 100 %, 125 %, 150 % and 200 %, every text of both windows shows whole: the
// report's longest lines too, wrapped.
TEST_P(TextsFit, InEveryControlOfBothWindows) {
    const UINT dpi = GetParam();
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    window.SetReportText("容抗3183098861837.9067 K欧\r\n电流:-6911503.72 mA");
    const HWND about = OpenAbout(window);
    ASSERT_NE(about, nullptr);
    std::vector<std::string> problems;
    for (const auto& [form, handle] :
         {std::pair{&forms::Form1(), window.Handle()}, std::pair{&forms::frmAbout(), about}}) {
        RECT where{};
        GetWindowRect(handle, &where);
        SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&where));
        for (const forms::Control& control : form->controls) {
            const std::string problem =
                WhyTextDoesNotFit(GetDlgItem(handle, ControlId(*form, control.name)), control, dpi);
            if (!problem.empty()) problems.push_back(problem);
        }
    }
    EXPECT_EQ(problems, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Dpi, TextsFit, ::testing::Values(96u, 120u, 144u, 192u),
                         [](const auto& row) { return std::to_string(row.param) + "dpi"; });

}  // namespace
}  // namespace quendal::win32
