#pragma once
// The two directions of the capacitive-dropper calculator, run by the window's
// buttons "计算电容" and "计算电流". Units: volts, hertz, microfarads,
// milliamperes, kilohms.

#include "checkedarithmetic.h"
#include "fieldset.h"
#include "messenger.h"

namespace quendal {

// Twice π cut to eight significant figures (2 × 3.1415926), as the reactance
// formula has it: not 2π to eight figures, which is 6.2831853. The
// capacitance uses the same value, so that it is the exact inverse of the
// current: a capacitance fed back into the current calculation gives the
// current it was computed from.
inline constexpr double TWO_PI_FINE = 6.2831852;

// Xc = 1 / (f × 2π × C × 10⁻⁶) / 1000, in that order of operations.
double ReactanceKiloOhms(double frequencyHz, double capacitanceMicrofarads,
                         CheckedArithmetic& math);

// C = I / V / (f × 2π) × 1000: the exact inverse of the current calculation.
double CapacitanceMicrofarads(double currentMilliamps, double voltageVolts, double frequencyHz,
                              CheckedArithmetic& math);

// Reads txtVolt, txtF and txtCurrent, writes txtC1 and the report.
void CalculateCapacitance(FieldSet& fields, Messenger& messenger);

// Reads txtVolt, txtF and txtC1, writes txtCurrent and the report.
void CalculateCurrent(FieldSet& fields, Messenger& messenger);

}  // namespace quendal
