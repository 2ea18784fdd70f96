// The calculator core at the speed of a button press: reading a field,
// writing a number, and each whole action over fields held in memory.
// Goals: each action under 1 µs, FormatDecimal under 200 ns.

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string>

#include "dropper.h"
#include "numericinput.h"
#include "resulttext.h"
#include "texts.h"

namespace {

using quendal::DecimalPattern;
using quendal::FieldId;

// The window's four boxes and report label, without a window. Writes reuse
// the strings' storage, as a long-lived QLineEdit reuses its own.
class BenchFields : public quendal::FieldSet {
public:
    BenchFields(const char* volt, const char* frequency, const char* c1, const char* current)
        : m_texts{volt, frequency, c1, current} {}

    std::string FieldText(FieldId field) const override { return m_texts[Index(field)]; }
    void SetFieldText(FieldId field, const std::string& text) override {
        m_texts[Index(field)] = text;
    }
    void SetReportText(const std::string& text) override { m_report = text; }

    const std::string& Report() const { return m_report; }

private:
    static std::size_t Index(FieldId field) { return static_cast<std::size_t>(field); }

    std::array<std::string, 4> m_texts;
    std::string m_report;
};

class CountingMessenger : public quendal::Messenger {
public:
    void ShowMessage(const std::string&) override { ++shown; }
    int shown = 0;
};

void BM_ReadNumericField(benchmark::State& state, const char* text) {
    BenchFields fields(text, "50", "", "");
    CountingMessenger messenger;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quendal::ReadNumericField(fields, FieldId::txtVolt,
                                                           quendal::texts::MsgVoltage, messenger));
    }
}
BENCHMARK_CAPTURE(BM_ReadNumericField, integer, "220");
BENCHMARK_CAPTURE(BM_ReadNumericField, exponent, " 2.2e+2 ");
BENCHMARK_CAPTURE(BM_ReadNumericField, rejected, "220V");

// Results the actions really write: capacitances, currents and reactances.
constexpr std::array<double, 8> kResults = {0.29,  0.4822,     10.61033, 1.234567e-5,
                                            2.675, 123456.789, 0.005,    -33.333333};

void BM_FormatDecimal(benchmark::State& state, DecimalPattern pattern) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quendal::FormatDecimal(kResults[i], pattern));
        i = (i + 1) % kResults.size();
    }
}
BENCHMARK_CAPTURE(BM_FormatDecimal, TwoPlaces, DecimalPattern::TwoPlaces);
BENCHMARK_CAPTURE(BM_FormatDecimal, FourPlaces, DecimalPattern::FourPlaces);

void BM_CalculateCapacitance(benchmark::State& state) {
    BenchFields fields("220", "50", "", "20");
    CountingMessenger messenger;
    for (auto _ : state) {
        quendal::CalculateCapacitance(fields, messenger);
        benchmark::DoNotOptimize(fields.Report().data());
    }
    if (messenger.shown != 0) state.SkipWithError("the action showed a message");
}
BENCHMARK(BM_CalculateCapacitance);

void BM_CalculateCurrent(benchmark::State& state) {
    BenchFields fields("220", "50", "0.47", "");
    CountingMessenger messenger;
    for (auto _ : state) {
        quendal::CalculateCurrent(fields, messenger);
        benchmark::DoNotOptimize(fields.Report().data());
    }
    if (messenger.shown != 0) state.SkipWithError("the action showed a message");
}
BENCHMARK(BM_CalculateCurrent);

// A rejected field: the action reads all three, shows one message, writes nothing.
void BM_CalculateCurrent_rejected(benchmark::State& state) {
    BenchFields fields("220", "50", "abc", "");
    CountingMessenger messenger;
    for (auto _ : state) {
        quendal::CalculateCurrent(fields, messenger);
    }
    benchmark::DoNotOptimize(messenger.shown);
}
BENCHMARK(BM_CalculateCurrent_rejected);

}  // namespace

BENCHMARK_MAIN();
