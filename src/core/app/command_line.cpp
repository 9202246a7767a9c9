#include "core/app/command_line.h"

#include "core/base/text.h"

namespace glintora {
namespace {

// Steps over any run of spaces and colons.
size_t SkipSpacesAndColons(std::string_view line, size_t i) {
  while (i < line.size() && (line[i] == ' ' || line[i] == ':')) ++i;
  return i;
}

}  // namespace

SaverCommand ClassifyCommandLine(std::string_view line, intptr_t (*foregroundWindow)()) {
  size_t i = 0;
  // The program name: a quoted one up to its closing quote, else up to the first space.
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') ++i;
  } else {
    while (i < line.size() && line[i] != ' ') ++i;
  }
  if (i < line.size()) {
    ++i;  // the closing quote or the space
    while (i < line.size() && line[i] == ' ') ++i;
  }
  if (i >= line.size()) return {ModeConfigure, 0};

  if (line[i] == '-' || line[i] == '/') ++i;
  const char letter = i < line.size() ? ToLowerAscii(line[i]) : '\0';
  const auto numberAfterLetter = [&] { return ParseDecimal(line.substr(SkipSpacesAndColons(line, i + 1))); };
  switch (letter) {
    case 's':
      return {ModeRun, 0};
    case 'p':
    case 'l':
      return {ModePreview, numberAfterLetter()};
    case 'c': {
      const size_t rest = SkipSpacesAndColons(line, i + 1);
      if (rest >= line.size()) return {ModeConfigure, foregroundWindow ? foregroundWindow() : 0};
      return {ModeConfigure, ParseDecimal(line.substr(rest))};
    }
    case 'a':
      return {ModeChangePassword, numberAfterLetter()};
    default:
      return {ModeUnknown, 0};
  }
}

}  // namespace glintora
