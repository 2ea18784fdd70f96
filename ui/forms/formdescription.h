#pragma once
// The two forms of the program, Form1 and frmAbout, as data: every control's
// name, kind, place in twips, caption, font and colour, in tab order; the
// form's client size, caption, border and menu. Both front-ends (Qt and
// Win32) build their windows from these descriptions and nothing else, so a
// control is moved by changing one line here. No toolkit in this library.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fieldset.h"
#include "textlayout.h"

namespace quendal::forms {

// 1440 twips to the inch: 15 to a pixel at 96 dpi.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel (halves
// up), so that at 96 dpi it is exactly twips / 15.
constexpr int TwipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

constexpr PixelRect ToPixels(const TwipsRect& rect, int dpi) {
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
            TwipsToPixels(rect.width, dpi), TwipsToPixels(rect.height, dpi)};
}

enum class ControlKind {
    TextBox,     // single line, no length limit
    Label,       // plain text from the top-left corner, lines broken at CR LF
    Button,      // push button
    PictureBox,  // a picture drawn at natural size from the top-left, clipped
    IconBox,     // the program's icon
};

enum class FontFace {
    Dialog,    // the dialog font, 9 pt
    Song,      // 宋体 10.5 pt, GB2312 character set
    SongBold,  // the same, bold
};

inline constexpr std::string_view kSongFamily = "宋体";
inline constexpr double kSongPointSize = 10.5;
// The controls keep the places of the form's design whatever the desktop's
// font, so their texts are set in the size that design fits: the dialog font
// of Chinese Windows, 宋体 9 pt, whose lines (12 pixels at 96 dpi) fit the
// 18-pixel text boxes; the message fonts of newer Windows (Microsoft YaHei
// UI 9 pt, 15 pixels) and Linux desktops (11 pt) do not.
inline constexpr double kDialogPointSize = 9.0;

// Rgb and the theme rule that decides when the designed colours are shown:
// textlayout.h.
enum class TextColour { SystemDefault, Black };

// Pictures built into the program.
enum class Picture { None, Circuit, AppIcon };

// The program's icon is 32 × 32 pixels at 96 dpi.
inline constexpr int kAppIconPixels = 32;

// A picture is drawn pixel for pixel from a bitmap made for the screen's
// scale, never blown up from a smaller one. Of the DPIs it was made at
// (`available`, ascending), the one to draw from at `dpi`: that DPI itself,
// else the nearest above it (scaled down a little), else the largest.
int ChooseSourceDpi(std::span<const int> available, int dpi);

struct Control {
    std::string_view name;  // as the code and the tests call it, e.g. "txtVolt"
    ControlKind kind;
    TwipsRect rect;                 // outer size, from the client area's top-left corner
    std::string_view caption = {};  // UTF-8; a "&" marks the access key
    FontFace font = FontFace::Dialog;
    TextColour colour = TextColour::SystemDefault;
    bool tabStop = false;            // takes focus with Tab
    bool isDefault = false;          // Enter presses it
    bool isCancel = false;           // Esc presses it
    std::string_view labelFor = {};  // a label: the text box it names
    // A text box's unit, "单位: V (伏)": shown as its tooltip and given to
    // screen readers as its accessible description. A tooltip alone is not
    // read as the description (Windows' standard proxy reads none), so each
    // front-end sets the description itself.
    std::string_view hint = {};
    std::string_view accessibleName = {};  // for controls without a label of their own
    bool wordWrap = false;                 // a label that wraps within its width, as WrapLines says
    Picture picture = Picture::None;
};

// One straight line of a separator, from (x1, y) to (x2, y), in twips.
struct Line {
    std::string_view name;
    int x1 = 0;
    int x2 = 0;
    int y = 0;
    Rgb colour;
    int widthPixels = 1;
};

struct MenuItem {
    std::string_view name;
    std::string_view caption;
};

enum class Border {
    Sizable,      // resizable, with minimise and maximise boxes
    FixedDialog,  // fixed size, close box only
};

struct Form {
    std::string_view name;
    std::string caption;   // as the window opens
    int clientWidth = 0;   // twips
    int clientHeight = 0;  // twips
    Border border = Border::Sizable;
    std::span<const Control> controls = {};  // in tab order
    std::span<const Line> lines = {};
    std::span<const MenuItem> menu = {};
    std::string_view initialFocus = {};

    // The control of that name; the program stops when there is none, since
    // a name missing here is a fault of the program, not of the user.
    const Control& Find(std::string_view controlName) const;
};

const Form& Form1();
const Form& frmAbout();

// Form1's controls that make the calculator's field set.
constexpr std::string_view ControlName(FieldId field) {
    switch (field) {
        case FieldId::txtVolt:
            return "txtVolt";
        case FieldId::txtF:
            return "txtF";
        case FieldId::txtC1:
            return "txtC1";
        case FieldId::txtCurrent:
            break;
    }
    return "txtCurrent";
}
inline constexpr std::string_view kReportLabel = "lblT";
// What frmAbout's load writes: "关于 Quendal", the title, "版本 1.0.0".
struct AboutTexts {
    std::string caption;
    std::string title;
    std::string version;
};
AboutTexts LoadAbout();

}  // namespace quendal::forms
