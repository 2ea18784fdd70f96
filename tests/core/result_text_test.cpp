#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "resulttext.h"

namespace quendal {
namespace {

struct FormatCase {
    const char* name;
    double value;
    const char* twoPlaces;
    const char* fourPlaces;
};

void PrintTo(const FormatCase& row, std::ostream* out) { *out << row.name; }

class FormatDecimalTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDecimalTable, WritesBothPatterns) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatDecimal(c.value, DecimalPattern::TwoPlaces), c.twoPlaces)
        << "value " << c.value << " with .##";
    EXPECT_EQ(FormatDecimal(c.value, DecimalPattern::FourPlaces), c.fourPlaces)
        << "value " << c.value << " with .####";
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatDecimalTable,
    ::testing::Values(FormatCase{"Capacitance", 1.4279954545, "1.43", "1.428"},
                      FormatCase{"BelowOne", 0.9870304582, ".99", ".987"},
                      FormatCase{"Current", 69.1150372, "69.12", "69.115"},
                      FormatCase{"Reactance", 3.1830989161, "3.18", "3.1831"},
                      FormatCase{"WholeNumberKeepsItsPoint", 100, "100.", "100."},
                      FormatCase{"OneDecimal", 2.5, "2.5", "2.5"},
                      FormatCase{"Half", 0.5, ".5", ".5"}, FormatCase{"Zero", 0, ".", "."},
                      FormatCase{"SmallRoundsAway", 0.004, ".", ".004"},
                      FormatCase{"Negative", -1.4279954545, "-1.43", "-1.428"},
                      FormatCase{"NegativeRoundingToZero", -0.004, ".", "-.004"},
                      FormatCase{"NegativeZero", -0.0, ".", "."},
                      FormatCase{"MidpointRoundsAway", 2.675, "2.68", "2.675"},
                      FormatCase{"MidpointOneHundredth", 1.005, "1.01", "1.005"},
                      FormatCase{"MidpointFourPlaces", 0.00005, ".", ".0001"},
                      FormatCase{"NegativeMidpoint", -2.675, "-2.68", "-2.675"},
                      FormatCase{"CarryIntoNewDigit", 999.995, "1000.", "999.995"},
                      FormatCase{"CarryAllNines", 9.99999, "10.", "10."},
                      FormatCase{"JustBelowMidpoint", 0.0049999, ".", ".005"},
                      FormatCase{"Quadrillion", 1e15, "1000000000000000.", "1000000000000000."},
                      FormatCase{"LargeWithDigits", 1.2345678901234568e17, "123456789012345680.",
                                 "123456789012345680."},
                      FormatCase{"Subnormal", 5e-324, ".", "."}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FormatDecimal, LargestDoubleIsWrittenInFullWithoutExponent) {
    const std::string text =
        FormatDecimal(std::numeric_limits<double>::max(), DecimalPattern::TwoPlaces);
    EXPECT_EQ(text, "17976931348623157" + std::string(292, '0') + ".");
}

TEST(ComposeReport, TwoLinesJoinedByCrLfWithoutATrailingBreak) {
    EXPECT_EQ(ComposeReport(3.1830989161, 69.1150372), "容抗3.1831 K欧\r\n电流:69.12 mA");
    EXPECT_EQ(ComposeReport(2.2, 100), "容抗2.2 K欧\r\n电流:100. mA");
}

}  // namespace
}  // namespace quendal
