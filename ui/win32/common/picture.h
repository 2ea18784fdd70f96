#pragma once
// The circuit picture: decoded from the JPEG in the resources with WIC, only
// the part that its box shows, and scaled with the DPI as the Qt front-end
// scales it: at 144 DPI the picture is drawn 1.5 times its natural size, so
// the same part of it shows at every DPI.

#include <windows.h>

#include <cstddef>
#include <span>

#include "gdiowners.h"

namespace quendal::win32 {

struct PictureScale {
    int sourceWidth = 0;  // of the picture, from its top-left corner
    int sourceHeight = 0;
    int width = 0;  // what that part is drawn as, in device pixels
    int height = 0;
    bool operator==(const PictureScale&) const = default;
};

// The part of an image of imageWidth × imageHeight pixels that a box of
// boxWidth × boxHeight device pixels shows at `dpi`, and its drawn size (it
// may overhang the box by a pixel; the box clips it).
PictureScale ScaleForBox(int boxWidth, int boxHeight, int imageWidth, int imageHeight, UINT dpi);

// That part of the JPEG, scaled, as a top-down 32-bit DIB section; empty when
// the image cannot be decoded. Any thread; it sees to COM itself.
UniqueBitmap DecodePicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight, UINT dpi);

// Decoding the picture (loading WIC with it) is the largest part of the start:
// started first thing on a second thread, it runs while the window and its
// controls are made. Then PreparedPicture hands over that bitmap when it was
// decoded for the same box and DPI, and otherwise decodes now.
void StartPreparingPicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight, UINT dpi);
UniqueBitmap PreparedPicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight,
                             UINT dpi);

}  // namespace quendal::win32
