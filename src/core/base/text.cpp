#include "core/base/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace glintora {

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ToLowerAscii(c);
  return lower;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view PathExtension(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  const size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return {};
  return path.substr(dot);
}

int32_t ParseDecimal(std::string_view text) {
  size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

std::string FormatFixed(double value) {
  char small[64];
  const int length = std::snprintf(small, sizeof small, "%f", value);
  if (length < 0) return {};
  if (static_cast<size_t>(length) < sizeof small) return std::string(small, static_cast<size_t>(length));
  std::vector<char> large(static_cast<size_t>(length) + 1);  // huge magnitudes print every digit
  std::snprintf(large.data(), large.size(), "%f", value);
  return std::string(large.data(), static_cast<size_t>(length));
}

std::optional<double> ParseWholeNumber(std::string_view text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') {  // from_chars takes no plus sign
    text.remove_prefix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FormatShortest(double value) {
  char text[64];  // the shortest form of a double is at most 24 characters
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace glintora
