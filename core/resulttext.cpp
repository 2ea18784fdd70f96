#include "resulttext.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "texts.h"

namespace quendal {

namespace {

// The shortest decimal digits that read back as the value, and the power of
// ten of the first of them: 2.675 -> {"2675", 0}, 0.004 -> {"4", -3}.
struct ShortestDecimal {
    std::string digits;
    int exponent = 0;
};

ShortestDecimal ToShortestDecimal(double magnitude) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    ShortestDecimal decimal;
    for (char c : text.substr(0, e)) {
        if (c != '.') decimal.digits.push_back(c);
    }
    std::string_view exponent = text.substr(e + 1);  // "+300" or "-05"
    if (exponent.front() == '+') exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), decimal.exponent);
    return decimal;
}

}  // namespace

std::string FormatDecimal(double value, DecimalPattern pattern) {
    if (!std::isfinite(value)) {
        char buffer[8];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return {buffer, result.ptr};
    }
    const int places = static_cast<int>(pattern);
    if (value == 0.0) return ".";

    ShortestDecimal decimal = ToShortestDecimal(std::fabs(value));
    // Digits of the rounded magnitude in units of 10^-places; "kept" digits of
    // the shortest form reach down to that unit.
    const int kept = decimal.exponent + 1 + places;
    std::string units;  // the rounded magnitude times 10^places, in decimal
    if (kept < 0) {
        units = "0";
    } else {
        const auto keptDigits = static_cast<std::size_t>(kept);
        units = decimal.digits.substr(0, keptDigits);
        if (units.size() < keptDigits) units.append(keptDigits - units.size(), '0');
        const bool roundUp =
            keptDigits < decimal.digits.size() && decimal.digits[keptDigits] >= '5';
        if (roundUp) {
            std::size_t i = units.size();
            while (i > 0 && units[i - 1] == '9') units[--i] = '0';
            if (i == 0) {
                units.insert(units.begin(), '1');
            } else {
                ++units[i - 1];
            }
        }
        // assign, not = "0": GCC 12 with fortified string functions warns
        // wrongly of an overlap there (-Wrestrict).
        if (units.empty()) units.assign(1, '0');
    }

    const auto placeCount = static_cast<std::size_t>(places);
    if (units.size() < placeCount) units.insert(0, placeCount - units.size(), '0');
    std::string integerPart = units.substr(0, units.size() - placeCount);
    std::string fraction = units.substr(units.size() - placeCount);

    const std::size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart = firstNonZero == std::string::npos ? "" : integerPart.substr(firstNonZero);
    const std::size_t lastNonZero = fraction.find_last_not_of('0');
    fraction = lastNonZero == std::string::npos ? "" : fraction.substr(0, lastNonZero + 1);

    const bool roundedToZero = integerPart.empty() && fraction.empty();
    std::string text = (value < 0 && !roundedToZero) ? "-" : "";
    text += integerPart;
    text += '.';
    text += fraction;
    return text;
}

std::string ComposeReport(double reactanceKiloOhms, double currentMilliamps) {
    std::string report = texts::ReactanceCaption;
    report += FormatDecimal(reactanceKiloOhms, DecimalPattern::FourPlaces);
    report += texts::ReactanceUnit;
    report += texts::LineBreak;
    report += texts::CurrentCaption;
    report += FormatDecimal(currentMilliamps, DecimalPattern::TwoPlaces);
    report += texts::CurrentUnit;
    return report;
}

}  // namespace quendal
