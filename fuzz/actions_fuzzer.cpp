// Both actions over three arbitrary field texts (voltage, frequency, and the
// third field of each direction), split from the input at its first two line
// breaks: a one-line text box never holds one. Every outcome is checked
// against a recomputation from strtod's values of the texts:
// - a bad field shows its own message, in reading order, and nothing is
//   written; a zero stops the action silently;
// - otherwise a fault of the formulas shows exactly one message naming it, and
//   nothing is written;
// - otherwise exactly the result field and the report are written, each
//   number with exactly one ".", no exponent, no "nan" or "inf", within
//   rounding of the recomputed value, and the report has exactly two lines.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dropper.h"
#include "fieldset.h"
#include "messenger.h"
#include "numericinput.h"
#include "oracle.h"
#include "texts.h"

namespace {

using quendal::FieldId;
using quendal::fuzz::Escaped;
using quendal::fuzz::IsWrittenNumber;
using quendal::fuzz::WrittenNear;
namespace texts = quendal::texts;

// 2π as the calculator documents it; written out here so that a changed
// constant in the core is caught.
constexpr double kTwoPi = 6.2831852;

class Window : public quendal::FieldSet {
public:
    std::string FieldText(FieldId field) const override { return texts[Index(field)]; }
    void SetFieldText(FieldId field, const std::string& text) override {
        texts[Index(field)] = text;
        fieldWrites.push_back(field);
    }
    void SetReportText(const std::string& text) override {
        report = text;
        ++reportWrites;
    }

    static std::size_t Index(FieldId field) { return static_cast<std::size_t>(field); }

    std::array<std::string, 4> texts;
    std::string report;
    std::vector<FieldId> fieldWrites;
    int reportWrites = 0;
};

class Messages : public quendal::Messenger {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

struct Read {
    bool accepted;
    double value;
};

Read ReadLikeTheRule(std::string_view text) {
    const std::string_view trimmed = quendal::TrimBlanks(text);
    const std::size_t prefix = quendal::fuzz::NumberPrefixLength(trimmed);
    if (prefix == 0 || prefix != trimmed.size()) return {false, 0.0};
    const double value = quendal::fuzz::StrtodC(trimmed);
    if (std::isinf(value)) return {false, 0.0};
    return {true, value};
}

// The formulas' operations, keeping the first fault met.
class Steps {
public:
    double Mul(double a, double b) { return Note(a * b); }
    double Div(double a, double b) {
        if (b == 0.0) {
            if (fault == nullptr) fault = texts::MsgDivisionByZero;
            return NAN;
        }
        return Note(a / b);
    }
    const char* fault = nullptr;

private:
    double Note(double result) {
        if (fault == nullptr && std::isnan(result)) fault = texts::MsgInvalidOperation;
        if (fault == nullptr && std::isinf(result)) fault = texts::MsgOverflow;
        return result;
    }
};

double Reactance(double frequency, double microfarads, Steps& steps) {
    double product = steps.Mul(frequency, kTwoPi);
    product = steps.Mul(product, microfarads);
    product = steps.Mul(product, 1e-6);
    return steps.Div(steps.Div(1.0, product), 1000.0);
}

// "容抗<X> K欧" CR LF "电流:<Y> mA" with X and Y written numbers.
struct ReportNumbers {
    bool ok = false;
    std::string reactance;
    std::string current;
};

ReportNumbers SplitReport(std::string_view report) {
    ReportNumbers numbers;
    constexpr std::string_view head = "容抗";
    constexpr std::string_view middle = " K欧\r\n电流:";
    constexpr std::string_view tail = " mA";
    if (!report.starts_with(head) || !report.ends_with(tail)) return numbers;
    report.remove_prefix(head.size());
    report.remove_suffix(tail.size());
    const std::size_t at = report.find(middle);
    if (at == std::string_view::npos) return numbers;
    numbers.reactance = report.substr(0, at);
    numbers.current = report.substr(at + middle.size());
    numbers.ok = IsWrittenNumber(numbers.reactance) && IsWrittenNumber(numbers.current);
    return numbers;
}

enum class Direction { Capacitance, Current };

// Runs one action on the window and checks everything it did.
void RunAndCheck(Window& window, Direction direction) {
    const bool forCapacitance = direction == Direction::Capacitance;
    const FieldId input = forCapacitance ? FieldId::txtCurrent : FieldId::txtC1;
    const FieldId output = forCapacitance ? FieldId::txtC1 : FieldId::txtCurrent;
    const char* const inputMessage = forCapacitance ? texts::MsgCurrent : texts::MsgCapacitance;
    const std::string context = std::string(forCapacitance ? "计算电容" : "计算电流") + " on [" +
                                Escaped(window.FieldText(FieldId::txtVolt)) + "] [" +
                                Escaped(window.FieldText(FieldId::txtF)) + "] [" +
                                Escaped(window.FieldText(input)) + "]";

    const Read volt = ReadLikeTheRule(window.FieldText(FieldId::txtVolt));
    const Read freq = ReadLikeTheRule(window.FieldText(FieldId::txtF));
    const Read third = ReadLikeTheRule(window.FieldText(input));
    std::vector<std::string> expected;
    if (!volt.accepted) expected.emplace_back(texts::MsgVoltage);
    if (!freq.accepted) expected.emplace_back(texts::MsgFrequency);
    if (!third.accepted) expected.emplace_back(inputMessage);
    const bool goesOn = volt.value != 0.0 && freq.value != 0.0 && third.value != 0.0;

    Steps steps;
    double result = 0.0;  // the value written into the output field
    double reactance = 0.0;
    double reportCurrent = 0.0;
    if (goesOn) {
        if (forCapacitance) {
            const double siemens = steps.Div(third.value, volt.value);
            const double omega = steps.Mul(freq.value, kTwoPi);
            result = steps.Mul(steps.Div(siemens, omega), 1000.0);
            if (steps.fault == nullptr) reactance = Reactance(freq.value, result, steps);
            reportCurrent = third.value;
        } else {
            reactance = Reactance(freq.value, third.value, steps);
            if (steps.fault == nullptr) result = steps.Div(volt.value, reactance);
            reportCurrent = result;
        }
        if (steps.fault != nullptr) expected.emplace_back(steps.fault);
    }
    const bool writes = goesOn && steps.fault == nullptr;

    const Window before = window;
    Messages messages;
    window.fieldWrites.clear();
    window.reportWrites = 0;
    if (forCapacitance) {
        quendal::CalculateCapacitance(window, messages);
    } else {
        quendal::CalculateCurrent(window, messages);
    }

    FUZZ_CHECK(messages.shown == expected, "%s: %zu messages shown, %zu expected", context.c_str(),
               messages.shown.size(), expected.size());
    if (!writes) {
        FUZZ_CHECK(window.fieldWrites.empty() && window.reportWrites == 0,
                   "%s: wrote although it should not", context.c_str());
        return;
    }

    FUZZ_CHECK(window.fieldWrites == std::vector<FieldId>{output} && window.reportWrites == 1,
               "%s: %zu field writes, %d report writes", context.c_str(), window.fieldWrites.size(),
               window.reportWrites);
    for (std::size_t i = 0; i < window.texts.size(); ++i) {
        if (i != Window::Index(output)) {
            FUZZ_CHECK(window.texts[i] == before.texts[i], "%s: changed field %zu", context.c_str(),
                       i);
        }
    }
    const std::string written = window.FieldText(output);
    FUZZ_CHECK(IsWrittenNumber(written), "%s: wrote [%s]", context.c_str(),
               Escaped(written).c_str());
    FUZZ_CHECK(WrittenNear(written, result, 2), "%s: wrote %s for %.17g", context.c_str(),
               written.c_str(), result);

    const ReportNumbers report = SplitReport(window.report);
    FUZZ_CHECK(report.ok, "%s: report [%s]", context.c_str(), Escaped(window.report).c_str());
    FUZZ_CHECK(WrittenNear(report.reactance, reactance, 4), "%s: reactance %s for %.17g",
               context.c_str(), report.reactance.c_str(), reactance);
    FUZZ_CHECK(WrittenNear(report.current, reportCurrent, 2), "%s: current %s for %.17g",
               context.c_str(), report.current.c_str(), reportCurrent);
    if (!forCapacitance) {
        FUZZ_CHECK(report.current == written, "%s: report says %s, field says %s", context.c_str(),
                   report.current.c_str(), written.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::array<std::string, 3> fields;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t end = input.find('\n');
        fields[i] = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    fields[2] = input;

    // A fresh window for each direction, then the current computed back from
    // whatever the first action left in txtC1.
    Window window;
    window.texts[Window::Index(FieldId::txtVolt)] = fields[0];
    window.texts[Window::Index(FieldId::txtF)] = fields[1];
    window.texts[Window::Index(FieldId::txtCurrent)] = fields[2];
    window.texts[Window::Index(FieldId::txtC1)] = fields[2];
    Window fresh = window;

    RunAndCheck(window, Direction::Capacitance);
    RunAndCheck(window, Direction::Current);
    RunAndCheck(fresh, Direction::Current);
    return 0;
}
