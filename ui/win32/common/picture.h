#pragma once
// The circuit picture, drawn pixel for pixel at every DPI: the program
// carries the part of it that the picture box shows as a bitmap for each
// common scale (assets/circuit/, made from the drawing's source; at 96 DPI
// the JPEG's own pixels), compressed with RLE8, which GDI reads itself: no
// image decoder, no COM, nothing loaded for it at start.

#include <windows.h>

#include <vector>

#include "gdiowners.h"

namespace quendal::win32 {

// The DPIs the program carries the picture for, ascending.
std::vector<int> CircuitDpis();

// The picture for a box of boxWidth × boxHeight device pixels at `dpi`: the
// bitmap made for that DPI, or the nearest larger one scaled down to the box;
// empty when the resources lack it.
UniqueBitmap CircuitPicture(int boxWidth, int boxHeight, UINT dpi);

}  // namespace quendal::win32
