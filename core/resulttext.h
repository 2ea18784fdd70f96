#pragma once
// How results are written: numbers with a fixed number of decimals and no
// leading zero, and the two-line report shown beside the circuit picture.

#include <string>

namespace quendal {

// The two number patterns the program uses: ".##" and ".####".
enum class DecimalPattern { TwoPlaces = 2, FourPlaces = 4 };

// Rounds the magnitude half away from zero, judged on the value's shortest
// round-trip decimal form (so 2.675 gives 2.68), then writes the integer digits
// without a leading 0, always a ".", and the decimals without trailing zeros:
// 100 -> "100.", 0.5 -> ".5", 0 -> ".". A "-" only when the rounded magnitude
// is not zero. Never uses exponent notation. Meant for finite values.
std::string FormatDecimal(double value, DecimalPattern pattern);

// "容抗<reactance> K欧" CR LF "电流:<current> mA", no line break at the end.
std::string ComposeReport(double reactanceKiloOhms, double currentMilliamps);

}  // namespace quendal
