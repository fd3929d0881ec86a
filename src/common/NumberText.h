// Numbers as the user types and reads them: field texts converted with the locale's decimal
// separator, numbers written back in the locale's default form, half-to-even display rounding.
// The separator is always passed in; nothing here reads a global locale.
#pragma once

#include <string>
#include <string_view>

namespace velrok {

enum class ParseStatus { Ok, Empty, NotANumber };

struct ParsedNumber {
    ParseStatus status = ParseStatus::Empty;
    double value = 0.0;
    bool ok() const { return status == ParseStatus::Ok; }
};

// Blanks and tabs removed from both ends.
std::string Trim(std::string_view text);

// Converts a trimmed field text: optional sign, digits with at most one decimal separator,
// optional exponent ("1,5E3"). Empty text and text that is not a finite number are told apart.
ParsedNumber ParseNumber(std::string_view text, char decimalSeparator);

// The locale's default number-to-text form: up to 15 significant digits, no trailing zeros,
// the given separator, no leading zero dropped ("0,5"), exponent form for very large or small.
std::string FormatNumber(double value, char decimalSeparator);

// Round half to even at the given number of decimals, judged on the number's 15-significant-digit
// decimal form, so 2.675 rounds to 2.68 and -12.25 to -12.2 as a person reading them expects.
double RoundHalfEven(double value, int decimals);

// The "###.00" pattern: exactly two decimals, no digit forced before the separator (0.5 -> ",50").
std::string FormatPattern00(double value, char decimalSeparator);

}  // namespace velrok
