#pragma once
// How both front-ends lay out the texts of their forms, without a toolkit:
// where a word-wrapping label breaks its lines, and when a form's designed
// colours (black text, grey and white separator lines) suit the desktop's
// theme. The Qt and the Win32 labels draw the lines WrapLines gives, so the
// same text breaks at the same places on both systems.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace quendal::forms {

// The width in pixels of a piece of the text as the label's font draws it.
using MeasureText = std::function<int(std::string_view utf8)>;

// The lines of a UTF-8 `text` in a label `width` pixels wide. A line ends at
// each line break of the text (CR LF or LF); within a paragraph, the longest
// start that fits the width is broken at its last break opportunity:
//  - at a space (the spaces at the break belong to neither line), or
//  - between two characters of which one is a Chinese character or
//    punctuation mark (U+2E80 and above).
// Only a word that is wider than the whole line is broken inside, after its
// last character that fits; a line holds at least one character, however
// wide. So "容抗3183098916135.7207 K欧" breaks at its space, never inside the
// number, while a number wider than the label breaks where the edge falls.
// The lines are views into `text`, without their line breaks.
std::vector<std::string_view> WrapLines(std::string_view text, int width,
                                        const MeasureText& measure);

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Whether the desktop's theme is light: its text is darker than its windows,
// compared by luma (0.299 R + 0.587 G + 0.114 B). Only then are a form's
// designed colours shown; on a dark or high-contrast theme the labels and
// lines take the theme's own colours. Mid-tone text on a dark window counts
// as dark, so such a theme gets its own light labels, not black ones.
bool IsLightTheme(Rgb text, Rgb window);

}  // namespace quendal::forms
