#include <gtest/gtest.h>

#include "core/app/command_line.h"

namespace glintora {
namespace {

int g_foregroundCalls = 0;
intptr_t FakeForeground() {
  ++g_foregroundCalls;
  return 4242;
}

struct Case {
  const char* line;
  SaverMode mode;
  intptr_t window;
};

TEST(ClassifyCommandLine, TellsTheModesApart) {
  const Case cases[] = {
      {"", ModeConfigure, 0},
      {"glintora.scr", ModeConfigure, 0},
      {"glintora.scr ", ModeConfigure, 0},
      {"glintora.scr    ", ModeConfigure, 0},
      {"\"C:\\Program Files\\glintora.scr\"", ModeConfigure, 0},
      {"\"C:\\Program Files\\glintora.scr\" /s", ModeRun, 0},
      {"\"C:\\Program Files\\glintora.scr\"/s", ModeRun, 0},  // the closing quote is the one skipped character
      {"\"C:\\a b\\c d.scr\"   -S", ModeRun, 0},
      {"glintora.scr /s", ModeRun, 0},
      {"glintora.scr /S 1234", ModeRun, 0},
      {"glintora.scr s", ModeRun, 0},
      {"glintora.scr /sX", ModeRun, 0},
      {"glintora.scr /p 1234", ModePreview, 1234},
      {"glintora.scr /p:1234", ModePreview, 1234},
      {"glintora.scr -P1234", ModePreview, 1234},
      {"glintora.scr p 1234", ModePreview, 1234},
      {"glintora.scr /p : :  77xyz", ModePreview, 77},
      {"glintora.scr /l 99", ModePreview, 99},
      {"glintora.scr /L", ModePreview, 0},
      {"glintora.scr /p", ModePreview, 0},
      {"glintora.scr /p -5", ModePreview, -5},
      {"glintora.scr /p 3000000000", ModePreview, -1294967296},  // 32-bit handle, sign-extended
      {"glintora.scr /c:0", ModeConfigure, 0},
      {"glintora.scr /c 321", ModeConfigure, 321},
      {"glintora.scr -C:65536", ModeConfigure, 65536},
      {"glintora.scr /a 12", ModeChangePassword, 12},
      {"glintora.scr /A:3", ModeChangePassword, 3},
      {"glintora.scr /a", ModeChangePassword, 0},
      {"glintora.scr /x", ModeUnknown, 0},
      {"glintora.scr /", ModeUnknown, 0},
      {"glintora.scr //s", ModeUnknown, 0},
      {"glintora.scr -/s", ModeUnknown, 0},
      {"glintora.scr /?", ModeUnknown, 0},
      {"glintora.scr\t/s", ModeConfigure, 0},  // only the space separates
  };
  for (const Case& c : cases) {
    g_foregroundCalls = 0;
    const SaverCommand command = ClassifyCommandLine(c.line, &FakeForeground);
    EXPECT_EQ(command.mode, c.mode) << c.line;
    EXPECT_EQ(command.window, c.window) << c.line;
    EXPECT_EQ(g_foregroundCalls, 0) << c.line;
  }
}

TEST(ClassifyCommandLine, ConfigureAloneTakesTheForegroundWindow) {
  for (const char* line : {"glintora.scr /c", "glintora.scr -C", "glintora.scr /c: ", "\"x y.scr\" c :"}) {
    g_foregroundCalls = 0;
    const SaverCommand command = ClassifyCommandLine(line, &FakeForeground);
    EXPECT_EQ(command.mode, ModeConfigure) << line;
    EXPECT_EQ(command.window, 4242) << line;
    EXPECT_EQ(g_foregroundCalls, 1) << line;
  }
  EXPECT_EQ(ClassifyCommandLine("glintora.scr /c", nullptr).window, 0);
}

TEST(ClassifyCommandLine, StopsAtAnUnclosedQuote) {
  EXPECT_EQ(ClassifyCommandLine("\"C:\\glintora.scr /s", &FakeForeground).mode, ModeConfigure);
}

}  // namespace
}  // namespace glintora
