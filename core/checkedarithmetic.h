#pragma once
// Double arithmetic that notices its own faults. The calculations run every
// operation of their formulas through one of these and, if a fault occurred,
// report it instead of writing a meaningless result.

namespace quendal {

enum class ArithmeticFault { None, Overflow, DivisionByZero, InvalidOperation };

class CheckedArithmetic {
public:
    double Multiply(double a, double b);
    double Divide(double dividend, double divisor);

    // The first fault met; later operations do not replace it.
    ArithmeticFault Fault() const { return m_fault; }
    bool Ok() const { return m_fault == ArithmeticFault::None; }

private:
    double Check(double result);

    ArithmeticFault m_fault = ArithmeticFault::None;
};

// The message that tells the user about a fault.
const char* FaultMessage(ArithmeticFault fault);

}  // namespace quendal
