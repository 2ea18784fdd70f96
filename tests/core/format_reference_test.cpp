// FormatDecimal against a reference written another way, over more than a
// million values from the whole double range and both patterns.
//
// The reference reads the shortest round-trip form as a decimal integer and a
// power of ten, adds half a unit of the last kept place to that integer with
// schoolbook string addition, and cuts the digits below it. It is checked
// itself by hand-worked values and against printf's rounding of the exact
// binary value: the two may differ only where a rounding midpoint between
// them reads back as the same double.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "resulttext.h"

namespace quendal {
namespace {

constexpr DecimalPattern kPatterns[] = {DecimalPattern::TwoPlaces, DecimalPattern::FourPlaces};

int Places(DecimalPattern pattern) { return pattern == DecimalPattern::TwoPlaces ? 2 : 4; }

// value = digits × 10^scale, from the shortest round-trip form.
struct DecimalInteger {
    std::string digits;
    long scale = 0;
};

DecimalInteger ShortestForm(double magnitude) {
    char text[64];
    char* const end =
        std::to_chars(text, text + sizeof text - 1, magnitude, std::chars_format::scientific).ptr;
    *end = '\0';  // for strtol below
    const char* const letter = std::find(text, end, 'e');
    DecimalInteger number;
    number.scale = std::strtol(letter + 1, nullptr, 10);
    for (const char* c = text; c != letter; ++c) {
        if (*c == '.') {
            number.scale -= static_cast<long>(letter - c - 1);  // the digits after the point
        } else {
            number.digits.push_back(*c);
        }
    }
    return number;
}

// digits + addend × 10^position, digits taken as a decimal integer.
std::string AddAt(std::string digits, std::size_t position, int addend) {
    if (digits.size() <= position) digits.insert(0, position + 1 - digits.size(), '0');
    std::size_t i = digits.size() - 1 - position;
    int carry = addend;
    while (carry != 0) {
        const int sum = (digits[i] - '0') + carry;
        digits[i] = static_cast<char>('0' + sum % 10);
        carry = sum / 10;
        if (carry != 0) {
            if (i == 0) {
                digits.insert(0, 1, '0');
            } else {
                --i;
            }
        }
    }
    return digits;
}

// digits - 1, for digits above zero.
std::string SubtractOne(std::string digits) {
    std::size_t i = digits.size();
    while (digits[--i] == '0') digits[i] = '9';
    --digits[i];
    return digits;
}

std::string StripLeadingZeros(const std::string& digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "" : digits.substr(first);
}

// The magnitude in units of the last kept place, rounded half away from zero.
std::string RoundedUnits(double magnitude, int places) {
    const DecimalInteger number = ShortestForm(magnitude);
    const long shift = number.scale + places;
    if (shift >= 0) return number.digits + std::string(static_cast<std::size_t>(shift), '0');
    const auto cut = static_cast<std::size_t>(-shift);
    const std::string sum = AddAt(number.digits, cut - 1, 5);
    return sum.size() > cut ? sum.substr(0, sum.size() - cut) : "0";
}

std::string ReferenceFormat(double value, int places) {
    std::string units = StripLeadingZeros(RoundedUnits(std::fabs(value), places));
    if (units.empty()) return ".";
    const auto placeCount = static_cast<std::size_t>(places);
    if (units.size() < placeCount) units.insert(0, placeCount - units.size(), '0');
    const std::string whole = units.substr(0, units.size() - placeCount);
    std::string fraction = units.substr(units.size() - placeCount);
    fraction.erase(fraction.find_last_not_of('0') + 1);  // npos + 1 clears all
    return (value < 0 ? "-" : "") + whole + "." + fraction;
}

// Checks FormatDecimal on every value of a group, both patterns, and returns
// how many values it saw. Reports the first few differences in full.
std::size_t CheckAll(const std::function<void(const std::function<void(double)>&)>& generate) {
    std::size_t count = 0;
    int failures = 0;
    generate([&](double value) {
        ++count;
        for (DecimalPattern pattern : kPatterns) {
            const std::string expected = ReferenceFormat(value, Places(pattern));
            const std::string actual = FormatDecimal(value, pattern);
            if (actual != expected && ++failures <= 10) {
                char shown[40];
                std::snprintf(shown, sizeof shown, "%.17g", value);
                ADD_FAILURE() << "FormatDecimal(" << shown << ", " << Places(pattern)
                              << " places) gave \"" << actual << "\", expected \"" << expected
                              << "\"";
            }
        }
    });
    EXPECT_EQ(failures, 0) << "among " << count << " values, each in both patterns";
    ::testing::Test::RecordProperty("values", std::to_string(count));
    return count;
}

// A fixed seed for every group: a failure names a value that stays the same
// from run to run.
constexpr std::uint64_t kSeed = 0x51E7'2024'C0DE'0001;

double FromBits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Each of the value and its neighbours one to `steps` doubles away, both signs.
void WithNeighbours(double value, int steps, const std::function<void(double)>& emit) {
    double up = value;
    double down = value;
    emit(value);
    emit(-value);
    for (int i = 0; i < steps; ++i) {
        up = std::nextafter(up, std::numeric_limits<double>::infinity());
        down = std::nextafter(down, 0.0);
        for (double v : {up, down}) {
            if (std::isfinite(v)) {
                emit(v);
                emit(-v);
            }
        }
    }
}

// Values whose shortest form is k + half a unit of the given place, such as
// 2.675 or 1.00005, read from their decimal text.
void MidpointsOfPlace(int places, std::size_t count, const std::function<void(double)>& emit) {
    std::mt19937_64 random(kSeed + static_cast<std::uint64_t>(places));
    const auto unitsPerOne = static_cast<std::uint64_t>(std::pow(10, places));
    for (std::size_t i = 0; i < count; ++i) {
        // At most 15 significant digits in all, so that the decimal text is
        // the shortest form of the double read from it.
        const int wholeDigits = static_cast<int>(random() % static_cast<unsigned>(15 - places));
        const auto wholeLimit = static_cast<std::uint64_t>(std::pow(10, wholeDigits));
        const std::uint64_t whole = random() % wholeLimit;
        const std::uint64_t fraction = random() % unitsPerOne;
        char text[64];
        std::snprintf(text, sizeof text, "%llu.%0*llu5", static_cast<unsigned long long>(whole),
                      places, static_cast<unsigned long long>(fraction));
        WithNeighbours(std::strtod(text, nullptr), 2, emit);
    }
}

TEST(FormatReference, AgreesWithHandWorkedValues) {
    struct Row {
        double value;
        const char* two;
        const char* four;
    };
    const Row rows[] = {
        {2.675, "2.68", "2.675"},
        {1.005, "1.01", "1.005"},
        {0.125, ".13", ".125"},
        {2.665, "2.67", "2.665"},
        {-2.675, "-2.68", "-2.675"},
        {100, "100.", "100."},
        {0.5, ".5", ".5"},
        {0, ".", "."},
        {-0.0, ".", "."},
        {-0.004, ".", "-.004"},
        {0.00005, ".", ".0001"},
        {0.000049999, ".", "."},
        {999.995, "1000.", "999.995"},
        {9.99999, "10.", "10."},
        {5e-324, ".", "."},
        {1e15, "1000000000000000.", "1000000000000000."},
        {1.2345678901234568e17, "123456789012345680.", "123456789012345680."},
        {557166222011417984.0, "557166222011418000.", "557166222011418000."},
        {1e23, "100000000000000000000000.", "100000000000000000000000."},
        {0.1 + 0.2, ".3", ".3"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReferenceFormat(row.value, 2), row.two) << row.value;
        EXPECT_EQ(ReferenceFormat(row.value, 4), row.four) << row.value;
    }
    EXPECT_EQ(ReferenceFormat(std::numeric_limits<double>::max(), 2),
              "17976931348623157" + std::string(292, '0') + ".");
}

// printf rounds the exact binary value. Where the reference differs from it,
// the midpoint next to the reference's answer, on printf's side, must read
// back as the very same double: both saw one double through two decimals.
TEST(FormatReference, DiffersFromExactRoundingOnlyAtShortestFormMidpoints) {
    std::mt19937_64 random(kSeed);
    std::size_t differences = 0;
    auto check = [&](double value) {
        for (int places : {2, 4}) {
            const std::string reference = StripLeadingZeros(RoundedUnits(std::fabs(value), places));
            char exact[400];
            std::snprintf(exact, sizeof exact, "%.*f", places, std::fabs(value));
            std::string exactUnits(exact);
            exactUnits.erase(std::remove(exactUnits.begin(), exactUnits.end(), '.'),
                             exactUnits.end());
            exactUnits = StripLeadingZeros(exactUnits);
            if (reference == exactUnits) continue;
            ++differences;
            // The midpoint next to the reference's answer, on printf's side,
            // as the decimal text "<units ± 1/2>e-<places + 1>".
            const bool referenceAbove = reference.size() != exactUnits.size()
                                            ? reference.size() > exactUnits.size()
                                            : reference > exactUnits;
            const std::string midpoint =
                (referenceAbove ? SubtractOne(reference) : (reference.empty() ? "0" : reference)) +
                "5e-" + std::to_string(places + 1);
            ASSERT_EQ(std::strtod(midpoint.c_str(), nullptr), std::fabs(value))
                << value << " rounds to " << reference << " but printf gives " << exactUnits;
        }
    };
    for (int i = 0; i < 100'000; ++i) {
        // Magnitudes up to about 1e18, where the places matter.
        const std::uint64_t exponent = 1023 - 40 + random() % 100;
        check(FromBits((exponent << 52) | (random() >> 12)));
    }
    MidpointsOfPlace(2, 20'000, check);
    MidpointsOfPlace(4, 20'000, check);
    EXPECT_GT(differences, 1000u) << "the midpoints should show where the two roundings part";
}

// About 1.9 million values in all, each in both patterns.

TEST(FormatDecimalAgainstReference, RandomBitPatterns) {
    const std::size_t count = CheckAll([](const auto& emit) {
        std::mt19937_64 random(kSeed);
        for (int i = 0; i < 400'000; ++i) {
            const double value = FromBits(random());
            if (std::isfinite(value)) emit(value);
        }
    });
    EXPECT_GT(count, 390'000u);
}

TEST(FormatDecimalAgainstReference, RandomValuesWhereThePlacesMatter) {
    // Every binary exponent from 2^-40 to 2^60, random mantissas and signs.
    CheckAll([](const auto& emit) {
        std::mt19937_64 random(kSeed + 1);
        for (int i = 0; i < 300'000; ++i) {
            const std::uint64_t exponent = 1023 - 40 + random() % 101;
            const std::uint64_t sign = random() & 1;
            emit(FromBits((sign << 63) | (exponent << 52) | (random() >> 12)));
        }
    });
}

TEST(FormatDecimalAgainstReference, NearTwoPlaceMidpoints) {
    CheckAll([](const auto& emit) { MidpointsOfPlace(2, 40'000, emit); });
}

TEST(FormatDecimalAgainstReference, NearFourPlaceMidpoints) {
    CheckAll([](const auto& emit) { MidpointsOfPlace(4, 40'000, emit); });
}

TEST(FormatDecimalAgainstReference, PowersOfTenTheirMultiplesAndCarries) {
    CheckAll([](const auto& emit) {
        for (int exponent = -324; exponent <= 308; ++exponent) {
            for (const char* mantissa : {"1", "2", "4.5", "5", "9", "9.5", "9.95", "9.995",
                                         "9.99995", "9.999999999999999", "4.9999999999999"}) {
                const std::string text = std::string(mantissa) + "e" + std::to_string(exponent);
                const double value = std::strtod(text.c_str(), nullptr);
                if (value != 0 && std::isfinite(value)) WithNeighbours(value, 3, emit);
            }
        }
    });
}

TEST(FormatDecimalAgainstReference, Subnormals) {
    CheckAll([](const auto& emit) {
        std::mt19937_64 random(kSeed + 2);
        constexpr double smallestNormal = std::numeric_limits<double>::min();
        WithNeighbours(std::numeric_limits<double>::denorm_min(), 3, emit);
        WithNeighbours(smallestNormal, 3, emit);
        for (int i = 0; i < 50'000; ++i) {
            const std::uint64_t sign = random() & 1;
            emit(FromBits((sign << 63) | (random() >> 12)));
        }
    });
}

TEST(FormatDecimalAgainstReference, FromOneQuadrillionUp) {
    CheckAll([](const auto& emit) {
        std::mt19937_64 random(kSeed + 3);
        WithNeighbours(1e15, 3, emit);
        WithNeighbours(std::ldexp(1.0, 53), 3, emit);
        WithNeighbours(std::numeric_limits<double>::max(), 3, emit);
        for (int i = 0; i < 100'000; ++i) {
            // Whole numbers of 16 to 23 digits, then any magnitude above.
            const double whole =
                std::floor(std::ldexp(static_cast<double>(random() >> 11), -53) * 9e22) + 1e15;
            emit(whole);
            emit(-whole);
            const std::uint64_t exponent = 1023 + 50 + random() % (2047 - 1023 - 50);
            const std::uint64_t sign = random() & 1;
            emit(FromBits((sign << 63) | (exponent << 52) | (random() >> 12)));
        }
    });
}

}  // namespace
}  // namespace quendal
