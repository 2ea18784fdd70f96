// Both windows of the real quendal.exe against their form descriptions, at
// 96 DPI and at 144 DPI (Wine's LogPixels, the 150 % setting): every control
// within a pixel of its place, the client areas, the circuit picture really
// drawn (and drawn larger at 144 DPI, showing the same part), and Line1.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "controlids.h"
#include "driver.h"
#include "formdescription.h"
#include "registryguard.h"
#include "screen.h"

namespace quendal::testing {
namespace {

class Layout : public ::testing::TestWithParam<int> {
protected:
    // Read by each program as it starts; the guard puts the old value back.
    RegistryValue m_logPixels{HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"};
    void SetUp() override { m_logPixels.SetNumber(static_cast<DWORD>(GetParam())); }
    int Dpi() const { return GetParam(); }
};

RECT ClientRectOf(HWND control, HWND window) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

::testing::AssertionResult Near(const char* what, long actual, long expected) {
    if (std::labs(actual - expected) <= 1) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << what << " is " << actual << " px, the description says " << expected << " px";
}

void ExpectForm(HWND window, const forms::Form& form, int dpi) {
    SCOPED_TRACE(std::string(form.name) + " at " + std::to_string(dpi) + " dpi");
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_TRUE(Near("client width", client.right, forms::TwipsToPixels(form.clientWidth, dpi)));
    EXPECT_TRUE(Near("client height", client.bottom, forms::TwipsToPixels(form.clientHeight, dpi)));
    for (const forms::Control& control : form.controls) {
        SCOPED_TRACE(std::string(control.name));
        const HWND child = GetDlgItem(window, win32::ControlId(form, control.name));
        ASSERT_NE(child, nullptr);
        const forms::PixelRect expected = forms::ToPixels(control.rect, dpi);
        const RECT actual = ClientRectOf(child, window);
        EXPECT_TRUE(Near("left", actual.left, expected.left));
        EXPECT_TRUE(Near("top", actual.top, expected.top));
        EXPECT_TRUE(Near("width", actual.right - actual.left, expected.width));
        EXPECT_TRUE(Near("height", actual.bottom - actual.top, expected.height));
    }
    // IsDialogMessage sends IDOK and IDCANCEL for Enter and Esc.
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        EXPECT_TRUE(id != IDOK && id != IDCANCEL) << ClassOf(child) << " has id " << id;
    }
}

TEST_P(Layout, Form1FollowsItsDescription) {
    const Program program;
    ExpectForm(program.Form1(), forms::Form1(), Dpi());
}

TEST_P(Layout, AboutFollowsItsDescription) {
    const Program program;
    program.ChooseMenuItem("sm");
    ASSERT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
    ExpectForm(program.About(), forms::frmAbout(), Dpi());
}

// Drawn pixel for pixel, sharp: at 96 DPI the JPEG's own top-left part, at
// 144 DPI the bitmap made for it from the drawing (never the JPEG blown up).
TEST_P(Layout, TheCircuitIsDrawnFromTheBitmapMadeForItsDpi) {
    const Image source = DecodeFile(Dpi() == 96 ? kAssetsPath + L"/circuit.jpg"
                                                : kAssetsPath + L"/circuit/circuit-" +
                                                      std::to_wstring(Dpi()) + L".png");
    ASSERT_GT(source.width, 0);
    const Program program;
    Sleep(300);  // drawn
    const Image shown = CaptureClient(program.Control("Picture1"));
    ASSERT_GT(shown.width, 0);
    ASSERT_LE(shown.width, source.width);
    ASSERT_LE(shown.height, source.height);
    // JPEG decoders may round a level apart; the focus frame is not there
    // (the focus is in txtVolt).
    int differing = 0;
    for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
            differing += std::abs(Grey(shown.At(x, y)) - Grey(source.At(x, y))) > 2 ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0) << "of " << shown.width * shown.height << " pixels";
}

// The report is drawn one way only: as it shows right after a calculation
// (the label paints itself from inside WM_SETTEXT) and after a repaint it did
// not ask for, pixel for pixel; and it has really been drawn, in more than
// one line, since its first line is wider than the label.
TEST_P(Layout, TheReportLooksTheSameAfterACalculationAndARepaint) {
    const Program program;
    program.SetText("txtC1", "0.000000000001");
    ASSERT_EQ(program.MessagesOf(program.Control("Command2")), std::vector<std::string>{});
    const HWND report = program.Control("lblT");
    Sleep(300);  // on the screen
    const Image calculated = CaptureClient(report);
    RedrawWindow(report, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Sleep(300);
    const Image repainted = CaptureClient(report);
    ASSERT_GT(calculated.width, 0);
    ASSERT_EQ(calculated.pixels.size(), repainted.pixels.size());
    int differing = 0;
    std::vector<bool> inkedRows(static_cast<std::size_t>(calculated.height), false);
    for (int y = 0; y < calculated.height; ++y) {
        for (int x = 0; x < calculated.width; ++x) {
            differing += calculated.At(x, y) != repainted.At(x, y) ? 1 : 0;
            if (Grey(calculated.At(x, y)) < 96) inkedRows[static_cast<std::size_t>(y)] = true;
        }
    }
    EXPECT_EQ(differing, 0) << "of " << calculated.pixels.size() << " pixels";
    // Rows of text separated by blank rows: at least three lines of text.
    int lines = 0;
    for (std::size_t y = 0; y < inkedRows.size(); ++y) {
        lines += inkedRows[y] && (y == 0 || !inkedRows[y - 1]) ? 1 : 0;
    }
    EXPECT_GE(lines, 3);
}

TEST_P(Layout, Line1IsAGreyLineOverAWhiteOne) {
    const Program program;
    program.ChooseMenuItem("sm");
    ASSERT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
    Sleep(300);
    const Image shown = CaptureClient(program.About());
    ASSERT_GT(shown.width, 0);
    const forms::Form& form = forms::frmAbout();
    const forms::Line& grey = form.lines[0];
    const forms::Line& white = form.lines[1];
    const int x = forms::TwipsToPixels((grey.x1 + grey.x2) / 2, Dpi());
    EXPECT_EQ(shown.At(x, forms::TwipsToPixels(grey.y, Dpi())), 0x808080u);
    EXPECT_EQ(shown.At(x, forms::TwipsToPixels(white.y, Dpi())), 0xFFFFFFu);
    EXPECT_EQ(shown.At(x, forms::TwipsToPixels(white.y, Dpi()) + 1), 0xFFFFFFu);
}

// The system's colours changed for the guard's life (for every program of
// the Wine session, as the Control Panel changes them), then put back.
class SystemColours {
public:
    explicit SystemColours(std::vector<std::pair<int, COLORREF>> colours) {
        std::vector<int> indices;
        std::vector<COLORREF> values;
        for (const auto& [index, colour] : colours) {
            indices.push_back(index);
            values.push_back(colour);
            m_before.emplace_back(index, GetSysColor(index));
        }
        SetSysColors(static_cast<int>(indices.size()), indices.data(), values.data());
    }
    ~SystemColours() {
        std::vector<int> indices;
        std::vector<COLORREF> values;
        for (const auto& [index, colour] : m_before) {
            indices.push_back(index);
            values.push_back(colour);
        }
        SetSysColors(static_cast<int>(indices.size()), indices.data(), values.data());
    }
    SystemColours(const SystemColours&) = delete;
    SystemColours& operator=(const SystemColours&) = delete;

private:
    std::vector<std::pair<int, COLORREF>> m_before;
};

std::uint32_t Pixel(COLORREF colour) {
    return static_cast<std::uint32_t>(GetRValue(colour)) << 16 |
           static_cast<std::uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
}

// A dark theme (light text on a dark face, as high-contrast ones are): the
// safety warning in the system's text colour, not black on the dark face,
// and Line1 in its shadow and highlight colours, not a glaring white. Also
// when the theme changes while the dialog is open.
TEST(AboutColours, FollowADarkSystemTheme) {
    const COLORREF face = RGB(32, 32, 40);
    const COLORREF text = RGB(240, 240, 200);
    const COLORREF shadow = RGB(10, 10, 10);
    const COLORREF highlight = RGB(90, 90, 100);
    const SystemColours theme({{COLOR_BTNFACE, face},
                               {COLOR_BTNTEXT, text},
                               {COLOR_WINDOWTEXT, text},
                               {COLOR_BTNSHADOW, shadow},
                               {COLOR_BTNHIGHLIGHT, highlight}});
    const Program program;
    program.ChooseMenuItem("sm");
    ASSERT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
    Sleep(300);  // drawn
    const Image shown = CaptureClient(program.About());
    ASSERT_GT(shown.width, 0);
    const forms::Form& form = forms::frmAbout();
    const int x = forms::TwipsToPixels((form.lines[0].x1 + form.lines[0].x2) / 2, 96);
    EXPECT_EQ(shown.At(x, forms::TwipsToPixels(form.lines[0].y, 96)), Pixel(shadow));
    EXPECT_EQ(shown.At(x, forms::TwipsToPixels(form.lines[1].y, 96)), Pixel(highlight));

    // The description's ink is the text colour: no black, some light.
    const forms::PixelRect label = forms::ToPixels(form.Find("lblDescription").rect, 96);
    int light = 0;
    int dark = 0;
    for (int y = label.top; y < label.top + label.height; ++y) {
        for (int px = label.left; px < label.left + label.width; ++px) {
            const int grey = Grey(shown.At(px, y));
            light += grey > 160 ? 1 : 0;
            dark += grey < 16 ? 1 : 0;
        }
    }
    EXPECT_GT(light, 200) << "no text in the system's light text colour";
    EXPECT_EQ(dark, 0) << "black text on the dark face";
}

// The designed places at 96 DPI, in pixels (twips / 15), written out once
// more: a slip in the description itself shows here too, not only in the
// description's own test.
struct Placed {
    const char* name;
    long left, top, width, height;
};

const Placed kForm1At96[] = {
    {"txtVolt", 48, 24, 41, 18}, {"lblVolt", 8, 24, 41, 17},      {"lblFre", 96, 24, 41, 17},
    {"txtF", 136, 24, 33, 18},   {"lblC1", 184, 24, 41, 25},      {"Picture1", 8, 56, 249, 265},
    {"txtC1", 224, 24, 49, 18},  {"Command1", 264, 64, 65, 33},   {"Command2", 336, 64, 65, 33},
    {"Label1", 288, 24, 41, 17}, {"txtCurrent", 336, 24, 57, 18}, {"lblT", 264, 104, 137, 209},
};
const Placed kAboutAt96[] = {
    {"cmdOK", 275, 175, 100, 23},        {"picIcon", 16, 16, 36, 36},
    {"cmdSysInfo", 276, 205, 99, 23},    {"lblDescription", 70, 75, 259, 78},
    {"lblDisclaimer", 17, 175, 242, 55}, {"lblTitle", 70, 16, 259, 32},
    {"lblVersion", 70, 52, 259, 15},
};

void ExpectPlaces(HWND window, const forms::Form& form, SIZE client,
                  std::span<const Placed> table) {
    RECT actual{};
    GetClientRect(window, &actual);
    EXPECT_EQ(actual.right, client.cx) << form.name;
    EXPECT_EQ(actual.bottom, client.cy) << form.name;
    for (const Placed& row : table) {
        const RECT place =
            ClientRectOf(GetDlgItem(window, win32::ControlId(form, row.name)), window);
        EXPECT_EQ((std::vector<long>{place.left, place.top, place.right - place.left,
                                     place.bottom - place.top}),
                  (std::vector<long>{row.left, row.top, row.width, row.height}))
            << row.name;
    }
}

TEST(LayoutAt96Dpi, ControlsStandAtTheirDesignedPixels) {
    const RegistryValue logPixels{HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"};
    logPixels.SetNumber(96);
    const Program program;
    ExpectPlaces(program.Form1(), forms::Form1(), {405, 330}, kForm1At96);
    program.ChooseMenuItem("sm");
    ASSERT_TRUE(WaitUntil([&] { return program.About() != nullptr; }));
    ExpectPlaces(program.About(), forms::frmAbout(), {382, 237}, kAboutAt96);
}

INSTANTIATE_TEST_SUITE_P(Dpi, Layout, ::testing::Values(96, 144),
                         [](const auto& row) { return std::to_string(row.param) + "dpi"; });

}  // namespace
}  // namespace quendal::testing
