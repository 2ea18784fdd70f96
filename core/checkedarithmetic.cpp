#include "checkedarithmetic.h"

#include <cmath>

#include "texts.h"

namespace quendal {

double CheckedArithmetic::Check(double result) {
    if (m_fault != ArithmeticFault::None) return result;
    if (std::isnan(result)) {
        m_fault = ArithmeticFault::InvalidOperation;
    } else if (std::isinf(result)) {
        m_fault = ArithmeticFault::Overflow;
    }
    return result;
}

double CheckedArithmetic::Multiply(double a, double b) { return Check(a * b); }

double CheckedArithmetic::Divide(double dividend, double divisor) {
    if (divisor == 0.0) {
        if (m_fault == ArithmeticFault::None) m_fault = ArithmeticFault::DivisionByZero;
        return NAN;
    }
    return Check(dividend / divisor);
}

const char* FaultMessage(ArithmeticFault fault) {
    switch (fault) {
        case ArithmeticFault::Overflow:
            return texts::MsgOverflow;
        case ArithmeticFault::DivisionByZero:
            return texts::MsgDivisionByZero;
        case ArithmeticFault::InvalidOperation:
            return texts::MsgInvalidOperation;
        case ArithmeticFault::None:
            break;
    }
    return "";
}

}  // namespace quendal
