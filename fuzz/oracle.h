#pragma once
// What the fuzz targets check the core against, written apart from the core:
// the input syntax as a small state machine, values from the C library's
// strtod in the "C" locale, and the shape of a written number.

#include <locale.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// Fuzz checks stay on in every build type, so a broken property is a finding.
#define FUZZ_CHECK(condition, ...)                                                             \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                                 \
            std::fputc('\n', stderr);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace quendal::fuzz {

// Printable form of a text for failure reports: bytes outside ASCII in hex.
inline std::string Escaped(std::string_view text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out.push_back(ch);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

// The longest prefix of `text` that has the number syntax: sign, digits with
// at most one ".", at least one digit, and an exponent only when a digit
// follows its letter and optional sign. 0 when there is none.
inline std::size_t NumberPrefixLength(std::string_view text) {
    enum State { Start, Sign, IntDigits, PointFirst, FracDigits, ExpLetter, ExpSign, ExpDigits };
    State state = Start;
    std::size_t accepted = 0;  // length at the last accepting state
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        const bool sign = c == '+' || c == '-';
        const bool point = c == '.';
        const bool letter = c == 'e' || c == 'E';
        switch (state) {
            case Start:
                if (digit)
                    state = IntDigits;
                else if (sign)
                    state = Sign;
                else if (point)
                    state = PointFirst;
                else
                    return accepted;
                break;
            case Sign:
                if (digit)
                    state = IntDigits;
                else if (point)
                    state = PointFirst;
                else
                    return accepted;
                break;
            case IntDigits:
                if (point)
                    state = FracDigits;  // "5." is a number
                else if (letter)
                    state = ExpLetter;
                else if (!digit)
                    return accepted;
                break;
            case PointFirst:  // "." or "-." so far: needs a digit
                if (digit)
                    state = FracDigits;
                else
                    return accepted;
                break;
            case FracDigits:
                if (letter)
                    state = ExpLetter;
                else if (!digit)
                    return accepted;
                break;
            case ExpLetter:
                if (digit)
                    state = ExpDigits;
                else if (sign)
                    state = ExpSign;
                else
                    return accepted;
                break;
            case ExpSign:
                if (digit)
                    state = ExpDigits;
                else
                    return accepted;
                break;
            case ExpDigits:
                if (!digit) return accepted;
                break;
        }
        if (state == IntDigits || state == FracDigits || state == ExpDigits) accepted = i + 1;
    }
    return accepted;
}

// strtod in the "C" locale, whatever the process locale is. `consumed` gets
// the number of characters it read.
inline double StrtodC(std::string_view text, std::size_t* consumed = nullptr) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string copy(text);  // strtod needs the terminating NUL
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale);
    if (consumed != nullptr) *consumed = static_cast<std::size_t>(end - copy.c_str());
    return value;
}

// Same value, same sign of zero: a bit-for-bit comparison.
inline bool SameDouble(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// A written number: optional "-", digits, exactly one ".", digits; nothing
// else (no exponent, no "nan" or "inf"), not "-." and no leading zero.
inline bool IsWrittenNumber(std::string_view text) {
    if (text.starts_with('-')) {
        text.remove_prefix(1);
        if (text == ".") return false;  // a zero magnitude is written without sign
    }
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || text.find('.', point + 1) != std::string_view::npos) {
        return false;
    }
    for (char c : text) {
        if (c != '.' && (c < '0' || c > '9')) return false;
    }
    if (point > 0 && text[0] == '0') return false;                    // "0.5"
    if (point + 1 < text.size() && text.back() == '0') return false;  // ".50"
    return true;
}

// How far a written number may be from the value it was computed from: half
// a unit of the last place, plus the double spacing near the value for the
// read-back.
inline bool WrittenNear(std::string_view written, double value, int places) {
    const double back = StrtodC(written);
    const double halfUnit = 0.5 * std::pow(10.0, -places);
    const double slack = std::ldexp(std::fmax(std::fabs(value), std::fabs(back)), -50);
    return std::fabs(back - value) <= halfUnit * (1 + 1e-12) + slack;
}

}  // namespace quendal::fuzz
