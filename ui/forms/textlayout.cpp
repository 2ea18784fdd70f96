#include "textlayout.h"

namespace quendal::forms {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The code point that starts at `at`; a stray continuation byte counts as a
// character of its own (below U+2E80).
char32_t CodePointAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    char32_t value = lead;
    if (lead >= 0xF0) {
        length = 4;
        value = lead & 0x07U;
    } else if (lead >= 0xE0) {
        length = 3;
        value = lead & 0x0FU;
    } else if (lead >= 0xC0) {
        length = 2;
        value = lead & 0x1FU;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size() || !IsContinuationByte(text[at + i])) return lead;
        value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3FU);
    }
    return value;
}

// Where the character after the one at `at` starts.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
    ++at;
    while (at < text.size() && IsContinuationByte(text[at])) ++at;
    return at;
}

// Chinese characters and punctuation, between which a line may break.
bool IsWide(char32_t c) { return c >= 0x2E80; }

// Whether a line may end just before the character that starts at `at`.
bool MayBreakBefore(std::string_view text, std::size_t at) {
    if (text[at] == ' ') return true;
    std::size_t previous = at - 1;
    while (previous > 0 && IsContinuationByte(text[previous])) --previous;
    return IsWide(CodePointAt(text, previous)) || IsWide(CodePointAt(text, at));
}

// The length in bytes of the first line of `paragraph` (no line breaks in it).
std::size_t LineLength(std::string_view paragraph, int width, const MeasureText& measure) {
    if (measure(paragraph) <= width) return paragraph.size();
    // The longest start that fits, one character at the least.
    std::size_t fits = NextCharacter(paragraph, 0);
    for (std::size_t next = NextCharacter(paragraph, fits);
         fits < paragraph.size() && measure(paragraph.substr(0, next)) <= width;
         next = NextCharacter(paragraph, next)) {
        fits = next;
    }
    if (fits >= paragraph.size()) return paragraph.size();
    // Its last break opportunity; inside the word only where there is none.
    for (std::size_t at = fits; at > 0; --at) {
        if (IsContinuationByte(paragraph[at])) continue;
        if (MayBreakBefore(paragraph, at)) return at;
    }
    return fits;
}

}  // namespace

std::vector<std::string_view> WrapLines(std::string_view text, int width,
                                        const MeasureText& measure) {
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find('\n');
        std::string_view paragraph = text.substr(0, end);
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
        do {
            const std::size_t length = LineLength(paragraph, width, measure);
            std::string_view line = paragraph.substr(0, length);
            paragraph.remove_prefix(length);
            // The spaces at a break belong to neither line.
            if (!paragraph.empty()) {
                while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
            }
            lines.push_back(line);
            while (!paragraph.empty() && paragraph.front() == ' ') paragraph.remove_prefix(1);
        } while (!paragraph.empty());
        if (end == std::string_view::npos) return lines;
        text.remove_prefix(end + 1);
    }
}

bool IsLightTheme(Rgb text, Rgb window) {
    const auto luma = [](Rgb colour) {
        return 299 * colour.red + 587 * colour.green + 114 * colour.blue;
    };
    return luma(text) < luma(window);
}

}  // namespace quendal::forms
