#pragma once
// The input rule: when a text box's text counts as a number, and which number.
// Locale-independent: "." is the decimal point whatever the user's settings.

#include <string_view>

#include "fieldset.h"
#include "messenger.h"

namespace quendal {

// Removes leading and trailing blanks: space, tab, CR, LF, no-break space
// (U+00A0) and ideographic space (U+3000, typed by Chinese input methods).
std::string_view TrimBlanks(std::string_view text);

// True when the text, apart from blanks around it, is exactly one decimal
// number: optional sign, digits with at most one ".", at least one digit, and
// an optional exponent (E or e, optional sign, digits). A number too large for
// a double fails; one too small for it passes and reads as 0.
bool IsNumericText(std::string_view text);

// Value of the number at the start of the blank-trimmed text, reading as far
// as the syntax above allows; 0 when the text does not start with a number.
double ParseLeadingNumber(std::string_view text);

// Reads one field: its value when numeric, otherwise shows the field's message
// and returns 0 (which the calculations treat as a missing input).
double ReadNumericField(const FieldSet& fields, FieldId field, const char* message,
                        Messenger& messenger);

}  // namespace quendal
