// The front-end's pure pieces, and what a test from outside cannot read under
// Wine: the menu bar's texts, the tooltips, and whether the About dialog's
// description fits its box. These build the windows in this process.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "controlids.h"
#include "dpi.h"
#include "fonts.h"
#include "form1.h"
#include "formdescription.h"
#include "picture.h"
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

struct Scaling {
    const char* name;
    int boxWidth, boxHeight, imageWidth, imageHeight;
    UINT dpi;
    PictureScale expected;
};

std::ostream& operator<<(std::ostream& out, const Scaling& row) { return out << row.name; }

class PictureScaling : public ::testing::TestWithParam<Scaling> {};

TEST_P(PictureScaling, ShowsTheSamePartAtEveryDpi) {
    const Scaling& row = GetParam();
    EXPECT_EQ(ScaleForBox(row.boxWidth, row.boxHeight, row.imageWidth, row.imageHeight, row.dpi),
              row.expected);
}

// Picture1 is 3735 × 3975 twips: 249 × 265 pixels at 96 dpi, 374 × 398 at 144.
INSTANTIATE_TEST_SUITE_P(
    Picture, PictureScaling,
    ::testing::Values(Scaling{"NaturalSizeAt96", 249, 265, 836, 1137, 96, {249, 265, 249, 265}},
                      Scaling{"HalfAgainAt144", 374, 398, 836, 1137, 144, {250, 266, 375, 399}},
                      Scaling{"DoubleAt192", 498, 530, 836, 1137, 192, {249, 265, 498, 530}},
                      Scaling{"At120", 311, 331, 836, 1137, 120, {249, 265, 311, 331}},
                      Scaling{"SmallerThanTheBox", 300, 300, 100, 50, 96, {100, 50, 100, 50}},
                      Scaling{
                          "SmallerThanTheBoxAt144", 450, 450, 100, 50, 144, {100, 50, 150, 75}}),
    [](const auto& row) { return std::string(row.param.name); });

struct Fit {
    const char* name;
    double start;
    double largestThatFits;  // 0: nothing fits
    double expected;
};

std::ostream& operator<<(std::ostream& out, const Fit& row) { return out << row.name; }

class FittingSize : public ::testing::TestWithParam<Fit> {};

TEST_P(FittingSize, StepsDownByHalfPointsNotBelowSix) {
    const Fit& row = GetParam();
    EXPECT_EQ(LargestFittingSize(row.start, 6.0, 0.5,
                                 [&](double size) { return size <= row.largestThatFits; }),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(Fonts, FittingSize,
                         ::testing::Values(Fit{"FitsAsItIs", 9.0, 12.0, 9.0},
                                           Fit{"OneStepDown", 9.0, 8.5, 8.5},
                                           Fit{"SeveralStepsDown", 9.0, 7.2, 7.0},
                                           Fit{"StopsAtSix", 9.0, 0.0, 6.0},
                                           Fit{"StartBelowSixStays", 5.0, 0.0, 5.0}),
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

    static std::wstring TextOf(HWND window) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }
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
// window lays itself out again from the description, fonts included.
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
        RECT client{};
        GetClientRect(window.Handle(), &client);
        EXPECT_EQ(client.right, forms::TwipsToPixels(form.clientWidth, dpi));
        EXPECT_EQ(client.bottom, forms::TwipsToPixels(form.clientHeight, dpi));
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

TEST_F(InProcess, AboutDescriptionFitsItsBoxWholeInNoLessThanSixPoints) {
    Form1 window;
    ASSERT_NE(window.Handle(), nullptr);
    SendMessageW(window.Handle(), WM_COMMAND, static_cast<WPARAM>(MenuItemId(forms::Form1(), "sm")),
                 0);
    Pump();
    const HWND about = FindWindowW(L"QuendalAbout", nullptr);
    ASSERT_NE(about, nullptr);
    const HWND label = GetDlgItem(about, ControlId(forms::frmAbout(), "lblDescription"));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_NE(GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);

    RECT box{};
    GetClientRect(label, &box);
    const std::wstring text = TextOf(label);
    const HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, font);
    RECT needed{0, 0, box.right, 0};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(needed.bottom, box.bottom) << "the text needs more height than the label has";
    EXPECT_LE(needed.right, box.right);
    const double points = static_cast<double>(metrics.tmHeight - metrics.tmInternalLeading) * 72.0 /
                          static_cast<double>(WindowDpi(about));
    EXPECT_GE(points, 6.0 - 0.5);
}

}  // namespace
}  // namespace quendal::win32
