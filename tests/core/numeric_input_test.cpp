#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <ostream>
#include <string>

#include "localeguard.h"
#include "numericinput.h"
#include "recorders.h"
#include "texts.h"

namespace quendal {
namespace {

struct AcceptedCase {
    const char* name;
    const char* text;
    double value;
};

void PrintTo(const AcceptedCase& row, std::ostream* out) { *out << row.name; }

class AcceptedText : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedText, PassesTheTestAndReadsItsValue) {
    const AcceptedCase& c = GetParam();
    EXPECT_TRUE(IsNumericText(c.text)) << "text: [" << c.text << "]";
    EXPECT_EQ(ParseLeadingNumber(c.text), c.value) << "text: [" << c.text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, AcceptedText,
    ::testing::Values(
        AcceptedCase{"Integer", "220", 220}, AcceptedCase{"Negative", "-220", -220},
        AcceptedCase{"PlusSign", "+50", 50}, AcceptedCase{"NoIntegerDigits", ".5", 0.5},
        AcceptedCase{"TrailingPoint", "5.", 5}, AcceptedCase{"Exponent", "1e3", 1000},
        AcceptedCase{"CapitalExponentWithSign", "2.5E-2", 0.025},
        AcceptedCase{"ExponentPlus", "1e+2", 100}, AcceptedCase{"SpacesAround", "  220  ", 220},
        AcceptedCase{"TabsAround", "\t220\t", 220},
        AcceptedCase{"PastedWithLineBreaks", "220\r\n", 220},
        AcceptedCase{"NoBreakSpaces", "\u00a0220\u00a0", 220},
        AcceptedCase{"IdeographicSpaces", "\u3000220\u3000", 220}, AcceptedCase{"Zero", "0", 0},
        AcceptedCase{"ZeroWithDecimals", "0.00", 0}, AcceptedCase{"LeadingZeros", "007.50", 7.5},
        AcceptedCase{"Subnormal", "1e-323", 1e-323},
        AcceptedCase{"UnderflowReadsAsZero", "1e-400", 0},
        AcceptedCase{"HugeNegativeExponent", "1e-99999999999999999999", 0},
        AcceptedCase{"LargestDouble", "1.7976931348623157e308", 1.7976931348623157e308},
        AcceptedCase{"ManyDigits", "123456789012345678901234567890", 1.2345678901234568e29}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AcceptedText, NegativeZeroIsAZero) {
    EXPECT_TRUE(IsNumericText("-0"));
    EXPECT_EQ(ParseLeadingNumber("-0"), 0.0);
    EXPECT_TRUE(std::signbit(ParseLeadingNumber("-0")));
}

struct RejectedCase {
    const char* name;
    const char* text;
};

void PrintTo(const RejectedCase& row, std::ostream* out) { *out << row.name; }

class RejectedText : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedText, FailsTheTest) {
    EXPECT_FALSE(IsNumericText(GetParam().text)) << "text: [" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    NotNumbers, RejectedText,
    ::testing::Values(RejectedCase{"Empty", ""}, RejectedCase{"Blanks", "  \t\u3000"},
                      RejectedCase{"Letters", "abc"}, RejectedCase{"TrailingLetters", "12abc"},
                      RejectedCase{"TwoPoints", "1.2.3"}, RejectedCase{"PointOnly", "."},
                      RejectedCase{"SignOnly", "-"}, RejectedCase{"ExponentWithoutDigits", "1e"},
                      RejectedCase{"ExponentSignOnly", "1e+"},
                      RejectedCase{"ExponentWithoutMantissa", "e5"},
                      RejectedCase{"DoubleSign", "+-5"}, RejectedCase{"InnerBlank", "2 20"},
                      RejectedCase{"DigitGrouping", "1,000"}, RejectedCase{"CommaDecimal", "2,5"},
                      RejectedCase{"TrailingSign", "5-"}, RejectedCase{"Parentheses", "(5)"},
                      RejectedCase{"Hexadecimal", "0x10"}, RejectedCase{"Currency", "$5"},
                      RejectedCase{"Infinity", "inf"}, RejectedCase{"NotANumber", "nan"},
                      RejectedCase{"FullWidthDigits", "\uff12\uff12\uff10"},
                      RejectedCase{"DExponent", "1d3"}, RejectedCase{"Overflow", "1e400"},
                      RejectedCase{"NegativeOverflow", "-1e400"},
                      RejectedCase{"OverflowJustPastMax", "1.8e308"},
                      RejectedCase{"OverflowByLongMantissa", "99999999999999999999e300"},
                      RejectedCase{"HugeExponent", "1e99999999999999999999"},
                      RejectedCase{"InvalidUtf8",
                                   "\xff"
                                   "5"},
                      RejectedCase{"LineBreakInside", "2\r\n20"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RejectedText, NulInsideTheText) {
    EXPECT_FALSE(
        IsNumericText(std::string_view("1\0"
                                       "2",
                                       3)));
}

TEST(ParseLeadingNumber, ReadsOnlyTheLeadingNumber) {
    EXPECT_EQ(ParseLeadingNumber("12abc"), 12);
    EXPECT_EQ(ParseLeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(ParseLeadingNumber("1e"), 1);
    EXPECT_EQ(ParseLeadingNumber("1,000"), 1);
    EXPECT_EQ(ParseLeadingNumber("abc"), 0);
    EXPECT_EQ(ParseLeadingNumber(""), 0);
    EXPECT_EQ(ParseLeadingNumber("\u3000 -7.5e1xyz"), -75);
}

TEST(NumericText, IgnoresACommaDecimalLocale) {
    testing::LocaleGuard guard("de_DE.UTF-8");
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_TRUE(IsNumericText("2.5"));
    EXPECT_EQ(ParseLeadingNumber("2.5"), 2.5);
    EXPECT_FALSE(IsNumericText("2,5"));
}

TEST(ReadNumericField, ReturnsTheValueWithoutAMessage) {
    testing::MemoryFields fields;
    testing::RecordingMessenger messenger;
    fields.Set(FieldId::txtVolt, " 220 ");
    EXPECT_EQ(ReadNumericField(fields, FieldId::txtVolt, texts::MsgVoltage, messenger), 220);
    EXPECT_TRUE(messenger.messages.empty());
}

TEST(ReadNumericField, ShowsTheMessageAndReturnsZeroForABadField) {
    testing::MemoryFields fields;
    testing::RecordingMessenger messenger;
    fields.Set(FieldId::txtCurrent, "");
    EXPECT_EQ(ReadNumericField(fields, FieldId::txtCurrent, texts::MsgCurrent, messenger), 0);
    ASSERT_EQ(messenger.messages.size(), 1u);
    EXPECT_EQ(messenger.messages[0], "请输电流大小,单位mA");
    EXPECT_EQ(fields.FieldText(FieldId::txtCurrent), "") << "the field is never corrected";
}

}  // namespace
}  // namespace quendal
