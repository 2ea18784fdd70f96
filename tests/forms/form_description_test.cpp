// The form descriptions against the layout tables of the two forms, written
// out here once more by hand: both front-ends' layout tests check their
// windows against the descriptions, so this is where a slip in them shows.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "formdescription.h"
#include "textlayout.h"

namespace quendal::forms {
namespace {

struct Expected {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* caption;
    FontFace font;
};

using enum ControlKind;
using enum FontFace;

// Form1, TabIndex 0 to 11.
const Expected kForm1Table[] = {
    {"txtVolt", TextBox, 720, 360, 615, 270, "220", Dialog},
    {"lblVolt", Label, 120, 360, 615, 255, "电压:", Song},
    {"lblFre", Label, 1440, 360, 615, 255, "频率:", Dialog},
    {"txtF", TextBox, 2040, 360, 495, 270, "50", Dialog},
    {"lblC1", Label, 2760, 360, 615, 375, "C1:", SongBold},
    {"Picture1", PictureBox, 120, 840, 3735, 3975, "", Dialog},
    {"txtC1", TextBox, 3360, 360, 735, 270, "", Dialog},
    {"Command1", Button, 3960, 960, 975, 495, "计算电容", Dialog},
    {"Command2", Button, 5040, 960, 975, 495, "计算电流", Dialog},
    {"Label1", Label, 4320, 360, 615, 255, "电流:", SongBold},
    {"txtCurrent", TextBox, 5040, 360, 855, 270, "", Dialog},
    {"lblT", Label, 3960, 1560, 2055, 3135, "", SongBold},
};

// frmAbout, in its tab order; all in the dialog font.
const Expected kAboutTable[] = {
    {"cmdOK", Button, 4125, 2625, 1500, 345, "确定", Dialog},
    {"picIcon", IconBox, 240, 240, 540, 540, "", Dialog},
    {"cmdSysInfo", Button, 4140, 3075, 1485, 345, "系统信息(&S)...", Dialog},
    {"lblDescription", Label, 1050, 1125, 3885, 1170,
     "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
     "要恰好能释放掉C1的电荷!例子是半波整流的 需要自己修改!阻容降压电路需要接入负载后在通电! "
     "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!",
     Dialog},
    {"lblDisclaimer", Label, 255, 2625, 3630, 825, "警告: ...", Dialog},
    {"lblTitle", Label, 1050, 240, 3885, 480, "应用程序标题", Dialog},
    {"lblVersion", Label, 1050, 780, 3885, 225, "版本", Dialog},
};

void ExpectControls(const Form& form, std::span<const Expected> table) {
    ASSERT_EQ(form.controls.size(), table.size()) << form.name;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Expected& row = table[i];
        const Control& control = form.controls[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(control.name, row.name) << "tab index " << i;
        EXPECT_EQ(control.kind, row.kind);
        EXPECT_EQ(control.rect.left, row.left);
        EXPECT_EQ(control.rect.top, row.top);
        EXPECT_EQ(control.rect.width, row.width);
        EXPECT_EQ(control.rect.height, row.height);
        EXPECT_EQ(control.caption, row.caption);
        EXPECT_EQ(control.font, row.font);
    }
}

std::vector<std::string> TabStops(const Form& form) {
    std::vector<std::string> names;
    for (const Control& control : form.controls) {
        if (control.tabStop) names.emplace_back(control.name);
    }
    return names;
}

TEST(Form1Description, ControlsInTabOrderWithTheirPlacesCaptionsAndFonts) {
    const Form& form = Form1();
    EXPECT_EQ(form.caption, "Quendal by Morvik");
    EXPECT_EQ(form.clientWidth, 6075);
    EXPECT_EQ(form.clientHeight, 4950);
    EXPECT_EQ(form.border, Border::Sizable);
    ExpectControls(form, kForm1Table);
}

TEST(Form1Description, FocusRunsThroughTheInputsThePictureAndTheButtons) {
    const Form& form = Form1();
    EXPECT_EQ(TabStops(form), (std::vector<std::string>{"txtVolt", "txtF", "Picture1", "txtC1",
                                                        "Command1", "Command2", "txtCurrent"}));
    EXPECT_EQ(form.initialFocus, "txtVolt");
    for (const Control& control : form.controls) {
        EXPECT_FALSE(control.isDefault || control.isCancel) << control.name;
    }
}

TEST(Form1Description, MenuBarHasExitAndAbout) {
    const Form& form = Form1();
    ASSERT_EQ(form.menu.size(), 2u);
    EXPECT_EQ(form.menu[0].name, "ex");
    EXPECT_EQ(form.menu[0].caption, "退出");
    EXPECT_EQ(form.menu[1].name, "sm");
    EXPECT_EQ(form.menu[1].caption, "说明");
}

TEST(Form1Description, EachLabelNamesTheBoxAfterIt) {
    const Form& form = Form1();
    EXPECT_EQ(form.Find("lblVolt").labelFor, "txtVolt");
    EXPECT_EQ(form.Find("lblFre").labelFor, "txtF");
    EXPECT_EQ(form.Find("lblC1").labelFor, "txtC1");
    EXPECT_EQ(form.Find("Label1").labelFor, "txtCurrent");
    EXPECT_EQ(form.Find("Picture1").picture, Picture::Circuit);
}

TEST(AboutDescription, ControlsInTabOrderWithTheirPlacesAndCaptions) {
    const Form& form = frmAbout();
    EXPECT_EQ(form.caption, "关于我的应用程序");
    EXPECT_EQ(form.clientWidth, 5730);
    EXPECT_EQ(form.clientHeight, 3555);
    EXPECT_EQ(form.border, Border::FixedDialog);
    EXPECT_TRUE(form.menu.empty());
    ExpectControls(form, kAboutTable);
}

TEST(AboutDescription, OkIsDefaultAndCancelAndTheTextColoursAreSet) {
    const Form& form = frmAbout();
    EXPECT_TRUE(form.Find("cmdOK").isDefault);
    EXPECT_TRUE(form.Find("cmdOK").isCancel);
    EXPECT_FALSE(form.Find("cmdSysInfo").isDefault || form.Find("cmdSysInfo").isCancel);
    for (const char* black : {"lblDescription", "lblTitle", "lblDisclaimer"}) {
        EXPECT_EQ(form.Find(black).colour, TextColour::Black) << black;
    }
    EXPECT_EQ(form.Find("lblVersion").colour, TextColour::SystemDefault);
    EXPECT_TRUE(form.Find("lblDescription").wordWrap);
}

TEST(AboutDescription, Line1IsAGreyLineOverATwoPixelWhiteOne) {
    const Form& form = frmAbout();
    ASSERT_EQ(form.lines.size(), 2u);
    const Line& grey = form.lines[0];
    const Line& white = form.lines[1];
    EXPECT_EQ(grey.name, "Line1");
    EXPECT_EQ(white.name, "Line1");
    EXPECT_EQ((std::vector<int>{grey.x1, grey.y, grey.x2, grey.widthPixels}),
              (std::vector<int>{90, 2445, 5654, 1}));
    EXPECT_EQ(grey.colour, (Rgb{128, 128, 128}));
    EXPECT_EQ((std::vector<int>{white.x1, white.y, white.x2, white.widthPixels}),
              (std::vector<int>{105, 2460, 5654, 2}));
    EXPECT_EQ(white.colour, (Rgb{255, 255, 255}));
}

TEST(AboutDescription, LoadWritesCaptionTitleAndVersion) {
    const AboutTexts texts = LoadAbout();
    EXPECT_EQ(texts.caption, "关于 Quendal");
    EXPECT_EQ(texts.title, "Quendal");
    EXPECT_EQ(texts.version, "版本 1.0.0");
}

struct Scaling {
    int twips;
    int dpi;
    int pixels;
};

std::ostream& operator<<(std::ostream& out, const Scaling& row) {
    return out << row.twips << " twips at " << row.dpi << " dpi";
}

class TwipsToPixelsAt : public ::testing::TestWithParam<Scaling> {};

TEST_P(TwipsToPixelsAt, RoundsToTheNearestPixel) {
    EXPECT_EQ(TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels);
}

// At 96 dpi 15 twips make a pixel; 144 dpi is the 150 % setting.
INSTANTIATE_TEST_SUITE_P(Dpi, TwipsToPixelsAt,
                         ::testing::Values(Scaling{6075, 96, 405}, Scaling{4950, 96, 330},
                                           Scaling{5654, 96, 377}, Scaling{7, 96, 0},
                                           Scaling{8, 96, 1}, Scaling{6075, 144, 608},
                                           Scaling{615, 144, 62}, Scaling{5, 144, 1},
                                           Scaling{4, 144, 0}, Scaling{1440, 120, 120}));

struct SourceChoice {
    int dpi;
    int chosen;
};

std::ostream& operator<<(std::ostream& out, const SourceChoice& row) {
    return out << row.dpi << " dpi";
}

class PictureSourceAt : public ::testing::TestWithParam<SourceChoice> {};

// Never scaled up: the DPI itself, else the nearest above, else the largest.
TEST_P(PictureSourceAt, IsTheBitmapMadeForItOrTheNearestLarger) {
    constexpr int made[] = {96, 120, 144, 168, 192, 240, 288};
    EXPECT_EQ(ChooseSourceDpi(made, GetParam().dpi), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(Dpi, PictureSourceAt,
                         ::testing::Values(SourceChoice{96, 96}, SourceChoice{144, 144},
                                           SourceChoice{72, 96}, SourceChoice{110, 120},
                                           SourceChoice{216, 240}, SourceChoice{384, 288}));

struct Wrapping {
    const char* text;
    int width;
    std::vector<std::string_view> lines;
};

std::ostream& operator<<(std::ostream& out, const Wrapping& row) {
    return out << '"' << row.text << "\" in " << row.width << " pixels";
}

// A stand-in font: 10 pixels a byte of ASCII, 20 a Chinese character.
int Measure(std::string_view utf8) {
    int width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) width += 10;
        if (byte >= 0xE0) width += 20;
    }
    return width;
}

class WrapLinesIn : public ::testing::TestWithParam<Wrapping> {};

TEST_P(WrapLinesIn, BreaksAtSpacesAndChineseAndInsideOnlyTooLongWords) {
    EXPECT_EQ(WrapLines(GetParam().text, GetParam().width, Measure), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Label, WrapLinesIn,
    ::testing::Values(
        // A number with a space before it moves to the next line whole.
        Wrapping{"ab 1234567", 80, {"ab", "1234567"}},
        Wrapping{"容抗3183098916135.7207 K欧", 230, {"容抗3183098916135.7207", "K欧"}},
        Wrapping{"容抗3183098916135.7207 K欧", 190, {"容抗", "3183098916135.7207", "K欧"}},
        // Wider than the line: broken where the edge falls.
        Wrapping{"12345678901234567", 100, {"1234567890", "1234567"}},
        Wrapping{"电压电流频率", 50, {"电压", "电流", "频率"}},
        Wrapping{"电压,电流", 60, {"电压,", "电流"}}, Wrapping{"ab   cd", 40, {"ab", "cd"}},
        Wrapping{"电", 5, {"电"}}, Wrapping{"", 100, {""}},
        Wrapping{"容抗3.1831 K欧\r\n电流:69.12 mA", 1000, {"容抗3.1831 K欧", "电流:69.12 mA"}},
        Wrapping{"a\nb", 1000, {"a", "b"}}));

struct Theme {
    Rgb text;
    Rgb window;
    bool light;
};

std::ostream& operator<<(std::ostream& out, const Theme& row) {
    return out << "text " << int{row.text.red} << ',' << int{row.text.green} << ','
               << int{row.text.blue} << " on " << int{row.window.red} << ','
               << int{row.window.green} << ',' << int{row.window.blue};
}

class ThemeOf : public ::testing::TestWithParam<Theme> {};

TEST_P(ThemeOf, IsLightWhereTheTextIsDarkerThanTheWindow) {
    EXPECT_EQ(IsLightTheme(GetParam().text, GetParam().window), GetParam().light);
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, ThemeOf,
    ::testing::Values(Theme{{0, 0, 0}, {240, 240, 240}, true},
                      Theme{{255, 255, 255}, {49, 54, 59}, false},
                      // Mid-tone text on a dark window: the theme's own colours.
                      Theme{{110, 110, 110}, {30, 30, 30}, false},
                      // Mid-tone text on a light-grey window: the designed ones.
                      Theme{{150, 150, 150}, {230, 230, 230}, true},
                      // High contrast: yellow on black; the blue of green text on blue.
                      Theme{{255, 255, 0}, {0, 0, 0}, false},
                      Theme{{0, 255, 0}, {0, 0, 255}, false},
                      Theme{{128, 128, 128}, {128, 128, 128}, false}));

}  // namespace
}  // namespace quendal::forms
