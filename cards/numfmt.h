// Number parsing with the standard conversion errors, and the report number formats.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kvarlen {

// A text that is not a number; what() is the standard message.
class ConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A text as a message quotes it: long texts are cut (at a character boundary) and end in "…",
// so that a refusal never echoes a whole oversized argument.
std::string ShortText(const std::string& text, size_t maxBytes = 40);

// Trims blanks; then a signed 32-bit decimal integer. Otherwise throws
// "'<text>' is not a valid integer value".
int32_t StrToInt(const std::string& text);
// Trims blanks; then a decimal number with a comma or a point as separator, at most one sign
// and an optional exponent; never infinite or NaN. Otherwise throws "'<text>' is not a valid
// floating point value".
double StrToFloat(const std::string& text);

// Shortest form with up to 15 significant digits; integers without a decimal part; exponent
// form ("1,5E-5", "1E15") outside 1E-5 .. 1E15.
std::string FormatGeneral(double value, char separator = ',');
// Fixed notation with `digits` decimals and at most `precision` significant digits; a number
// with more integer digits than `precision` falls back to the general form with that precision.
std::string FormatFixed(double value, int precision, int digits, char separator = ',');

// The general form with a given number of significant digits.
std::string FormatGeneralPrecision(double value, int precision, char separator);

} // namespace kvarlen
