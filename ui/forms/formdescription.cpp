#include "formdescription.h"

#include <cstdio>
#include <cstdlib>

#include "appinfo.h"

namespace quendal::forms {

namespace {

using enum ControlKind;

// Form1, in tab order. Each text box tells its unit in a tooltip; each label
// names the text box after it, which is how screen readers announce the box.
constexpr Control kForm1Controls[] = {
    {.name = "txtVolt",
     .kind = TextBox,
     .rect = {720, 360, 615, 270},
     .caption = "220",
     .tabStop = true,
     .hint = "单位: V (伏)"},
    {.name = "lblVolt",
     .kind = Label,
     .rect = {120, 360, 615, 255},
     .caption = "电压:",
     .font = FontFace::Song,
     .labelFor = "txtVolt"},
    {.name = "lblFre",
     .kind = Label,
     .rect = {1440, 360, 615, 255},
     .caption = "频率:",
     .labelFor = "txtF"},
    {.name = "txtF",
     .kind = TextBox,
     .rect = {2040, 360, 495, 270},
     .caption = "50",
     .tabStop = true,
     .hint = "单位: Hz (赫兹)"},
    {.name = "lblC1",
     .kind = Label,
     .rect = {2760, 360, 615, 375},
     .caption = "C1:",
     .font = FontFace::SongBold,
     .labelFor = "txtC1"},
    {.name = "Picture1",
     .kind = PictureBox,
     .rect = {120, 840, 3735, 3975},
     .tabStop = true,
     .accessibleName = "电路图",
     .picture = Picture::Circuit},
    {.name = "txtC1",
     .kind = TextBox,
     .rect = {3360, 360, 735, 270},
     .tabStop = true,
     .hint = "单位: µF (微法)"},
    {.name = "Command1",
     .kind = Button,
     .rect = {3960, 960, 975, 495},
     .caption = "计算电容",
     .tabStop = true},
    {.name = "Command2",
     .kind = Button,
     .rect = {5040, 960, 975, 495},
     .caption = "计算电流",
     .tabStop = true},
    {.name = "Label1",
     .kind = Label,
     .rect = {4320, 360, 615, 255},
     .caption = "电流:",
     .font = FontFace::SongBold,
     .labelFor = "txtCurrent"},
    {.name = "txtCurrent",
     .kind = TextBox,
     .rect = {5040, 360, 855, 270},
     .tabStop = true,
     .hint = "单位: mA (毫安)"},
    // A line too long for the report's width wraps rather than being cut.
    {.name = "lblT",
     .kind = Label,
     .rect = {3960, 1560, 2055, 3135},
     .font = FontFace::SongBold,
     .wordWrap = true},
};

constexpr MenuItem kForm1Menu[] = {
    {"ex", "退出"},
    {"sm", "说明"},
};

constexpr char kDescription[] =
    "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
    "要恰好能释放掉C1的电荷!例子是半波整流的 需要自己修改!阻容降压电路需要接入负载后在通电! "
    "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!";

// frmAbout, in tab order: 确定 is both the default and the cancel button.
constexpr Control kAboutControls[] = {
    {.name = "cmdOK",
     .kind = Button,
     .rect = {4125, 2625, 1500, 345},
     .caption = "确定",
     .tabStop = true,
     .isDefault = true,
     .isCancel = true},
    {.name = "picIcon",
     .kind = IconBox,
     .rect = {240, 240, 540, 540},
     .accessibleName = AppTitle,
     .picture = Picture::AppIcon},
    {.name = "cmdSysInfo",
     .kind = Button,
     .rect = {4140, 3075, 1485, 345},
     .caption = "系统信息(&S)...",
     .tabStop = true},
    {.name = "lblDescription",
     .kind = Label,
     .rect = {1050, 1125, 3885, 1170},
     .caption = kDescription,
     .colour = TextColour::Black,
     .wordWrap = true},
    {.name = "lblDisclaimer",
     .kind = Label,
     .rect = {255, 2625, 3630, 825},
     .caption = "警告: ...",
     .colour = TextColour::Black},
    {.name = "lblTitle",
     .kind = Label,
     .rect = {1050, 240, 3885, 480},
     .caption = "应用程序标题",
     .colour = TextColour::Black},
    {.name = "lblVersion", .kind = Label, .rect = {1050, 780, 3885, 225}, .caption = "版本"},
};

// An etched separator above the buttons: grey, with a two-pixel white line
// just below and one pixel to the right.
constexpr Line kAboutLines[] = {
    {.name = "Line1", .x1 = 90, .x2 = 5654, .y = 2445, .colour = {128, 128, 128}},
    {.name = "Line1",
     .x1 = 105,
     .x2 = 5654,
     .y = 2460,
     .colour = {255, 255, 255},
     .widthPixels = 2},
};

}  // namespace

const Control& Form::Find(std::string_view controlName) const {
    for (const Control& control : controls) {
        if (control.name == controlName) return control;
    }
    std::fprintf(stderr, "%.*s has no control %.*s\n", static_cast<int>(name.size()), name.data(),
                 static_cast<int>(controlName.size()), controlName.data());
    std::abort();
}

const Form& Form1() {
    static const Form form{
        .name = "Form1",
        .caption = std::string(AppTitle) + " by " + MakerName,
        .clientWidth = 6075,
        .clientHeight = 4950,
        .border = Border::Sizable,
        .controls = kForm1Controls,
        .menu = kForm1Menu,
        .initialFocus = "txtVolt",
    };
    return form;
}

const Form& frmAbout() {
    static const Form form{
        .name = "frmAbout",
        .caption = "关于我的应用程序",
        .clientWidth = 5730,
        .clientHeight = 3555,
        .border = Border::FixedDialog,
        .controls = kAboutControls,
        .lines = kAboutLines,
        .initialFocus = "cmdOK",
    };
    return form;
}

int ChooseSourceDpi(std::span<const int> available, int dpi) {
    for (const int made : available) {
        if (made >= dpi) return made;
    }
    return available.empty() ? dpi : available.back();
}

AboutTexts LoadAbout() {
    return {
        .caption = std::string("关于 ") + AppTitle,
        .title = AppTitle,
        .version = "版本 " + std::to_string(VersionMajor) + "." + std::to_string(VersionMinor) +
                   "." + std::to_string(VersionRevision),
    };
}

}  // namespace quendal::forms
