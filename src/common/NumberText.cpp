// Field-text numbers with an explicit decimal separator.
#include "common/NumberText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velrok {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string Trim(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

ParsedNumber ParseNumber(std::string_view text, char decimalSeparator)
{
    const std::string t = Trim(text);
    if (t.empty())
        return {ParseStatus::Empty, 0.0};

    // Validate the shape ourselves so that strtod's locale and its hex/inf/nan forms never apply.
    std::string canonical;
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-')
        canonical += t[i++];
    int mantissaDigits = 0;
    bool seenSeparator = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            canonical += c;
            ++mantissaDigits;
        } else if (c == decimalSeparator && !seenSeparator) {
            canonical += '.';
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return {ParseStatus::NotANumber, 0.0};
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            canonical += t[i++];
        int exponentDigits = 0;
        for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i, ++exponentDigits)
            canonical += t[i];
        if (exponentDigits == 0)
            return {ParseStatus::NotANumber, 0.0};
    }
    if (i != t.size())
        return {ParseStatus::NotANumber, 0.0};

    char* end = nullptr;
    const double v = std::strtod(canonical.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(v))
        return {ParseStatus::NotANumber, 0.0};
    return {ParseStatus::Ok, v == 0.0 ? 0.0 : v};
}

std::string FormatNumber(double value, char decimalSeparator)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0.0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s(buf);
    // Drop trailing zeros of the fraction (%G already does) and write the separator.
    for (char& c : s) {
        if (c == '.')
            c = decimalSeparator;
    }
    // "1E+20" and "1E-05" as the locale's default form writes them.
    return s;
}

double RoundHalfEven(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    // Decimal digits of the value at 15 significant digits: d.dddddddddddddd e X
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits;
    for (char* p = buf; *p && *p != 'e'; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p)))
            digits += *p;
    }
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // Number of digits kept: those before the decimal point plus `decimals`.
    const int keep = exponent + 1 + decimals;
    const double sign = value < 0 ? -1.0 : 1.0;
    if (keep < 0)
        return 0.0 * sign;
    if (keep >= static_cast<int>(digits.size()))
        return value;
    std::string kept = digits.substr(0, static_cast<size_t>(keep));
    const std::string rest = digits.substr(static_cast<size_t>(keep));
    bool roundUp = false;
    if (rest[0] > '5') {
        roundUp = true;
    } else if (rest[0] == '5') {
        const bool exactlyHalf = rest.find_first_not_of('0', 1) == std::string::npos;
        const int lastKept = kept.empty() ? 0 : kept.back() - '0';
        roundUp = !exactlyHalf || (lastKept % 2 == 1);
    }
    // Integer made of the kept digits, then scaled back by 10^-decimals.
    double n = kept.empty() ? 0.0 : std::strtod(kept.c_str(), nullptr);
    if (roundUp)
        n += 1.0;
    char out[96];
    std::snprintf(out, sizeof out, "%.0fe%d", n, -decimals);
    return sign * std::strtod(out, nullptr);
}

std::string FormatPattern00(double value, char decimalSeparator)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", RoundHalfEven(value, 2));
    std::string s(buf);
    if (s == "-0.00")
        s = "0.00";
    // No digit is forced before the separator: "0.50" -> ".50", "-0.50" -> "-.50".
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    for (char& c : s) {
        if (c == '.')
            c = decimalSeparator;
    }
    return s;
}

}  // namespace velrok
