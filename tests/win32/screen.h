#pragma once
// Pixels as the user sees them: a window's client area copied from the
// screen, and a JPEG decoded at its natural size to compare it with.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quendal::testing {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows from the top

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Brightness 0 to 255 of a 0x00RRGGBB pixel.
int Grey(std::uint32_t pixel);

// The client area of the window as it shows on the screen now.
Image CaptureClient(HWND window);

// The whole image of a picture file, decoded with WIC; empty on failure.
Image DecodeFile(const std::wstring& path);

}  // namespace quendal::testing
