#include "dropper.h"

#include "numericinput.h"
#include "resulttext.h"
#include "texts.h"

namespace quendal {

namespace {

constexpr double kMicro = 0.000001;  // µF to F
constexpr double kKilo = 1000;       // Ω to kΩ, and A to mA

struct Inputs {
    double voltage;
    double frequency;
    double third;  // the current or the capacitance, by direction
};

// All three fields are always read, so every bad one gets its message in
// reading order; a zero (typed, or from a rejected field) stops the action.
bool ReadInputs(const FieldSet& fields, FieldId thirdField, const char* thirdMessage,
                Messenger& messenger, Inputs& inputs) {
    inputs.voltage = ReadNumericField(fields, FieldId::txtVolt, texts::MsgVoltage, messenger);
    inputs.frequency = ReadNumericField(fields, FieldId::txtF, texts::MsgFrequency, messenger);
    inputs.third = ReadNumericField(fields, thirdField, thirdMessage, messenger);
    return inputs.voltage != 0.0 && inputs.frequency != 0.0 && inputs.third != 0.0;
}

bool ReportFault(const CheckedArithmetic& math, Messenger& messenger) {
    if (math.Ok()) return false;
    messenger.ShowMessage(FaultMessage(math.Fault()));
    return true;
}

}  // namespace

double ReactanceKiloOhms(double frequencyHz, double capacitanceMicrofarads,
                         CheckedArithmetic& math) {
    double product = math.Multiply(frequencyHz, TWO_PI_FINE);
    product = math.Multiply(product, capacitanceMicrofarads);
    product = math.Multiply(product, kMicro);
    const double ohms = math.Divide(1, product);
    return math.Divide(ohms, kKilo);
}

double CapacitanceMicrofarads(double currentMilliamps, double voltageVolts, double frequencyHz,
                              CheckedArithmetic& math) {
    const double siemens = math.Divide(currentMilliamps, voltageVolts);  // in mS
    const double omega = math.Multiply(frequencyHz, TWO_PI_FINE);
    const double millifarads = math.Divide(siemens, omega);
    return math.Multiply(millifarads, kKilo);
}

void CalculateCapacitance(FieldSet& fields, Messenger& messenger) {
    Inputs in{};
    if (!ReadInputs(fields, FieldId::txtCurrent, texts::MsgCurrent, messenger, in)) return;

    CheckedArithmetic math;
    const double capacitance = CapacitanceMicrofarads(in.third, in.voltage, in.frequency, math);
    if (ReportFault(math, messenger)) return;
    const double reactance = ReactanceKiloOhms(in.frequency, capacitance, math);
    if (ReportFault(math, messenger)) return;

    fields.SetFieldText(FieldId::txtC1, FormatDecimal(capacitance, DecimalPattern::TwoPlaces));
    fields.SetReportText(ComposeReport(reactance, in.third));
}

void CalculateCurrent(FieldSet& fields, Messenger& messenger) {
    Inputs in{};
    if (!ReadInputs(fields, FieldId::txtC1, texts::MsgCapacitance, messenger, in)) return;

    CheckedArithmetic math;
    const double reactance = ReactanceKiloOhms(in.frequency, in.third, math);
    if (ReportFault(math, messenger)) return;
    const double current = math.Divide(in.voltage, reactance);
    if (ReportFault(math, messenger)) return;

    fields.SetFieldText(FieldId::txtCurrent, FormatDecimal(current, DecimalPattern::TwoPlaces));
    fields.SetReportText(ComposeReport(reactance, current));
}

}  // namespace quendal
