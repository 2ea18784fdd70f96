#pragma once
// The program's own words, in UTF-8. Defined once; the window, the tests and
// the fuzzers use these names.

namespace quendal::texts {

// Input messages, one per field that is not a number.
inline constexpr char MsgVoltage[] = "请输出电压!";
inline constexpr char MsgFrequency[] = "请输出交流频率!";
inline constexpr char MsgCurrent[] = "请输电流大小,单位mA";
inline constexpr char MsgCapacitance[] = "请输出C1大小,单位uF";

// Arithmetic faults: the calculation is abandoned and nothing is written.
inline constexpr char MsgOverflow[] = "计算溢出";
inline constexpr char MsgDivisionByZero[] = "除数为零";
inline constexpr char MsgInvalidOperation[] = "无效的运算";

// Pieces of the two-line report.
inline constexpr char ReactanceCaption[] = "容抗";
inline constexpr char ReactanceUnit[] = " K欧";
inline constexpr char LineBreak[] = "\r\n";
inline constexpr char CurrentCaption[] = "电流:";
inline constexpr char CurrentUnit[] = " mA";

}  // namespace quendal::texts
