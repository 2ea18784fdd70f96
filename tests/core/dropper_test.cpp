#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "dropper.h"
#include "recorders.h"
#include "texts.h"

namespace quendal {
namespace {

using testing::MemoryFields;
using testing::RecordingMessenger;
using Messages = std::vector<std::string>;

// One click on a window holding 220 V and 50 Hz unless a test changes them.
struct Click {
    MemoryFields fields;
    RecordingMessenger messenger;
};

TEST(CalculateCapacitance, WorkedExampleAt50Hz) {
    Click run;
    run.fields.Set(FieldId::txtCurrent, "100");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_TRUE(run.messenger.messages.empty());
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), "1.45");
    EXPECT_EQ(run.fields.report, "容抗2.2 K欧\r\n电流:100. mA");
}

TEST(CalculateCapacitance, HigherFrequencyNeedsASmallerCapacitor) {
    Click run;
    run.fields.Set(FieldId::txtF, "60").Set(FieldId::txtCurrent, "100");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), "1.21");
}

TEST(CalculateCapacitance, IsTheInverseOfTheCurrentCalculation) {
    Click run;
    run.fields.Set(FieldId::txtCurrent, "69.12");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), "1.");

    // The other way round only the two-decimal rounding of C shows.
    run.fields.Set(FieldId::txtCurrent, "100");
    CalculateCapacitance(run.fields, run.messenger);
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), "1.45");
    EXPECT_EQ(run.fields.FieldText(FieldId::txtCurrent), "100.22");
}

TEST(CalculateCapacitance, NegativeVoltageGivesANegativeCapacitance) {
    Click run;
    run.fields.Set(FieldId::txtVolt, "-220").Set(FieldId::txtCurrent, "100");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), "-1.45");
    EXPECT_EQ(run.fields.report, "容抗-2.2 K欧\r\n电流:100. mA");
}

TEST(CalculateCapacitance, TinyCurrentRoundsToALonePoint) {
    Click run;
    run.fields.Set(FieldId::txtCurrent, "0.001");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtC1), ".");
}

TEST(CalculateCapacitance, EmptyCurrentGivesItsMessageOnly) {
    Click run;
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.messenger.messages, Messages{"请输电流大小,单位mA"});
    EXPECT_TRUE(run.fields.writes.empty());
}

TEST(CalculateCapacitance, ThreeBadFieldsGiveThreeMessagesInReadingOrder) {
    Click run;
    run.fields.Set(FieldId::txtVolt, "").Set(FieldId::txtF, "abc").Set(FieldId::txtCurrent, "1,5");
    CalculateCapacitance(run.fields, run.messenger);
    EXPECT_EQ(run.messenger.messages,
              (Messages{"请输出电压!", "请输出交流频率!", "请输电流大小,单位mA"}));
    EXPECT_TRUE(run.fields.writes.empty());
}

TEST(CalculateCurrent, ThreeBadFieldsGiveThreeMessagesInReadingOrder) {
    Click run;
    run.fields.Set(FieldId::txtVolt, "x").Set(FieldId::txtF, "").Set(FieldId::txtC1, "1e400");
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.messenger.messages,
              (Messages{"请输出电压!", "请输出交流频率!", "请输出C1大小,单位uF"}));
    EXPECT_TRUE(run.fields.writes.empty());
}

TEST(CalculateCurrent, ABadFieldDoesNotStopTheReadingOfTheNext) {
    Click run;
    run.fields.Set(FieldId::txtVolt, "abc").Set(FieldId::txtC1, "1");
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.messenger.messages, Messages{"请输出电压!"});
    EXPECT_TRUE(run.fields.writes.empty());
}

class ZeroInput : public ::testing::TestWithParam<const char*> {};

TEST_P(ZeroInput, StopsBothActionsSilently) {
    for (FieldId field : {FieldId::txtVolt, FieldId::txtF}) {
        Click run;
        run.fields.Set(field, GetParam()).Set(FieldId::txtCurrent, "100").Set(FieldId::txtC1, "1");
        CalculateCapacitance(run.fields, run.messenger);
        CalculateCurrent(run.fields, run.messenger);
        EXPECT_TRUE(run.messenger.messages.empty());
        EXPECT_TRUE(run.fields.writes.empty());
    }
    Click run;
    run.fields.Set(FieldId::txtCurrent, GetParam()).Set(FieldId::txtC1, GetParam());
    CalculateCapacitance(run.fields, run.messenger);
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_TRUE(run.messenger.messages.empty());
    EXPECT_TRUE(run.fields.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Zeros, ZeroInput, ::testing::Values("0", "0.00", "-0", "1e-400"));

TEST(CalculateCurrent, WorkedExampleAt50Hz) {
    Click run;
    run.fields.Set(FieldId::txtC1, "1");
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_TRUE(run.messenger.messages.empty());
    EXPECT_EQ(run.fields.FieldText(FieldId::txtCurrent), "69.12");
    EXPECT_EQ(run.fields.report, "容抗3.1831 K欧\r\n电流:69.12 mA");
}

TEST(CalculateCurrent, WorkedExampleAt60Hz) {
    Click run;
    run.fields.Set(FieldId::txtF, "60").Set(FieldId::txtC1, "1");
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtCurrent), "82.94");
    EXPECT_EQ(run.fields.report, "容抗2.6526 K欧\r\n电流:82.94 mA");
}

TEST(CalculateCurrent, NegativeCapacitanceGivesNegativeReactanceAndCurrent) {
    Click run;
    run.fields.Set(FieldId::txtC1, "-1");
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.fields.FieldText(FieldId::txtCurrent), "-69.12");
    EXPECT_EQ(run.fields.report, "容抗-3.1831 K欧\r\n电流:-69.12 mA");
}

TEST(CalculateCurrent, EmptyCapacitanceGivesItsMessageOnly) {
    Click run;
    CalculateCurrent(run.fields, run.messenger);
    EXPECT_EQ(run.messenger.messages, Messages{"请输出C1大小,单位uF"});
    EXPECT_TRUE(run.fields.writes.empty());
}

// Inputs at the edges of the double range: one message naming the fault,
// nothing written.
struct FaultCase {
    const char* name;
    bool capacitance;  // which action
    const char* volt;
    const char* freq;
    const char* third;
    const char* message;
};

void PrintTo(const FaultCase& row, std::ostream* out) { *out << row.name; }

class ArithmeticFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ArithmeticFaults, ShowOneMessageAndWriteNothing) {
    const FaultCase& c = GetParam();
    Click run;
    run.fields.Set(FieldId::txtVolt, c.volt).Set(FieldId::txtF, c.freq);
    run.fields.Set(c.capacitance ? FieldId::txtCurrent : FieldId::txtC1, c.third);
    if (c.capacitance) {
        CalculateCapacitance(run.fields, run.messenger);
    } else {
        CalculateCurrent(run.fields, run.messenger);
    }
    EXPECT_EQ(run.messenger.messages, Messages{c.message});
    EXPECT_TRUE(run.fields.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EdgesOfTheRange, ArithmeticFaults,
    ::testing::Values(
        FaultCase{"CapacitanceQuotientOverflows", true, "1e-300", "50", "1e300", "计算溢出"},
        FaultCase{"CapacitanceReactanceOverflows", true, "1", "50", "1e306", "计算溢出"},
        FaultCase{"CapacitanceUnderflowsToZero", true, "1e300", "50", "1e-300", "除数为零"},
        FaultCase{"CurrentProductOverflows", false, "220", "1e300", "1e300", "计算溢出"},
        FaultCase{"CurrentProductBecomesZero", false, "220", "50", "1e-323", "除数为零"},
        FaultCase{"CurrentQuotientOverflows", false, "1e308", "1e100", "1e100", "计算溢出"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CheckedArithmetic, NamesEachFaultAndKeepsTheFirst) {
    CheckedArithmetic math;
    math.Multiply(1, 2);
    EXPECT_TRUE(math.Ok());
    math.Divide(0, 0);
    EXPECT_EQ(math.Fault(), ArithmeticFault::DivisionByZero);
    math.Multiply(1e308, 10);
    EXPECT_EQ(math.Fault(), ArithmeticFault::DivisionByZero);

    CheckedArithmetic invalid;
    invalid.Multiply(std::numeric_limits<double>::quiet_NaN(), 1);
    EXPECT_EQ(invalid.Fault(), ArithmeticFault::InvalidOperation);
    EXPECT_STREQ(FaultMessage(invalid.Fault()), "无效的运算");
}

}  // namespace
}  // namespace quendal
