#pragma once
// Layouts are given in twips (1/1440 inch). At 96 dpi that is 15 twips to a
// pixel; Qt's device-independent pixels then scale with the screen.

#include <QRect>

namespace quendal::ui {

constexpr int Twips(int twips) { return (twips + 7) / 15; }

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

}  // namespace quendal::ui
