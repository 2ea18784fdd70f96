#include "numericinput.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace quendal {

namespace {

// CR and LF: text pasted from a spreadsheet cell or a terminal often ends in a
// line break.
constexpr std::string_view kBlanks[] = {" ", "\t", "\r", "\n", "\xC2\xA0", "\xE3\x80\x80"};

std::size_t LeadingBlankLength(std::string_view text) {
    for (auto blank : kBlanks) {
        if (text.starts_with(blank)) return blank.size();
    }
    return 0;
}

std::size_t TrailingBlankLength(std::string_view text) {
    for (auto blank : kBlanks) {
        if (text.ends_with(blank)) return blank.size();
    }
    return 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of the text that is a number of the accepted syntax.
struct NumberScan {
    std::size_t length = 0;  // 0 when the text does not start with a number
    bool hasNonZeroDigit = false;
    long long decimalOrder = 0;  // position of the leading significant digit, as
                                 // a power of ten (1 for "5", -2 for "0.005")
};

std::size_t CountDigits(std::string_view text, std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end - from;
}

NumberScan ScanNumber(std::string_view text) {
    NumberScan scan;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;

    const std::size_t intDigits = CountDigits(text, pos);
    const std::size_t intStart = pos;
    pos += intDigits;
    std::size_t fracDigits = 0;
    std::size_t fracStart = pos;
    if (pos < text.size() && text[pos] == '.') {
        fracStart = pos + 1;
        fracDigits = CountDigits(text, fracStart);
        if (intDigits + fracDigits > 0) pos = fracStart + fracDigits;
    }
    if (intDigits + fracDigits == 0) return scan;

    // Order of magnitude of the mantissa, to tell overflow from underflow.
    std::size_t i = intStart;
    for (; i < intStart + intDigits && text[i] == '0'; ++i) {
    }
    if (i < intStart + intDigits) {
        scan.hasNonZeroDigit = true;
        scan.decimalOrder = static_cast<long long>(intStart + intDigits - i);
    } else {
        std::size_t j = fracStart;
        for (; j < fracStart + fracDigits && text[j] == '0'; ++j) {
        }
        if (j < fracStart + fracDigits) {
            scan.hasNonZeroDigit = true;
            scan.decimalOrder = -static_cast<long long>(j - fracStart);
        }
    }

    // Exponent: only when digits follow the letter and its optional sign.
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t expPos = pos + 1;
        bool negative = false;
        if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-')) {
            negative = text[expPos] == '-';
            ++expPos;
        }
        const std::size_t expDigits = CountDigits(text, expPos);
        if (expDigits > 0) {
            // Saturate: any exponent beyond this is out of range either way.
            long long exponent = 0;
            for (std::size_t k = expPos; k < expPos + expDigits; ++k) {
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[k] - '0');
            }
            scan.decimalOrder += negative ? -exponent : exponent;
            pos = expPos + expDigits;
        }
    }
    scan.length = pos;
    return scan;
}

struct NumberValue {
    double value = 0.0;
    bool overflow = false;
};

// Converts a text that ScanNumber accepted whole.
NumberValue ConvertNumber(std::string_view number, const NumberScan& scan) {
    bool negative = false;
    if (number.front() == '+' || number.front() == '-') {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    NumberValue result;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), result.value);
    if (error == std::errc::result_out_of_range) {
        // from_chars says "out of range" for both ends of the double range.
        // A mantissa of order above zero can only have overflowed.
        if (scan.hasNonZeroDigit && scan.decimalOrder > 0) {
            result.overflow = true;
            result.value = HUGE_VAL;
        } else {
            result.value = 0.0;
        }
    }
    if (negative) result.value = -result.value;
    return result;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (const std::size_t n = LeadingBlankLength(text)) text.remove_prefix(n);
    while (const std::size_t n = TrailingBlankLength(text)) text.remove_suffix(n);
    return text;
}

bool IsNumericText(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    const NumberScan scan = ScanNumber(trimmed);
    if (scan.length == 0 || scan.length != trimmed.size()) return false;
    return !ConvertNumber(trimmed, scan).overflow;
}

double ParseLeadingNumber(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    const NumberScan scan = ScanNumber(trimmed);
    if (scan.length == 0) return 0.0;
    return ConvertNumber(trimmed.substr(0, scan.length), scan).value;
}

double ReadNumericField(const FieldSet& fields, FieldId field, const char* message,
                        Messenger& messenger) {
    const std::string text = fields.FieldText(field);
    if (IsNumericText(text)) return ParseLeadingNumber(text);
    messenger.ShowMessage(message);
    return 0.0;
}

}  // namespace quendal
