#pragma once
// Byte-wise text helpers with the C locale's meaning, independent of the process locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace glintora {

// 'A'..'Z' become 'a'..'z'; every other byte stays as it is.
constexpr char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string ToLowerAscii(std::string_view text);

// Equal ignoring ASCII case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The extension of the last path component ('\\' or '/' separate components), from its last
// dot to the end, the dot included; empty when the component has no dot. A file named
// ".jpg" has the extension ".jpg".
std::string_view PathExtension(std::string_view path);

// The C library's decimal conversion as atoi reads it: leading white space, an optional
// sign, then the leading digits; no digits give 0. The digits are taken modulo 2^32 and the
// result is the signed 32-bit value, so an overlong number never overflows.
int32_t ParseDecimal(std::string_view text);

// printf's "%f" of the value, in the C locale.
std::string FormatFixed(double value);

// A number typed by a user: the whole text, blanks around it allowed, must be one finite
// decimal number ("2", "-0.5", "+1e3"); anything else ("", "nan", "inf", "1e", "2 s",
// "1e999") gives nothing.
std::optional<double> ParseWholeNumber(std::string_view text);

// The shortest text that ParseWholeNumber reads back to exactly `value` ("3", "2.5",
// "0.1"); non-finite values print as "nan", "inf" or "-inf", which it does not accept.
std::string FormatShortest(double value);

}  // namespace glintora
