#include <gtest/gtest.h>

#include <climits>

#include "core/base/text.h"

namespace glintora {
namespace {

TEST(PathExtension, IsTheLastDotOfTheLastComponent) {
  EXPECT_EQ(PathExtension("C:\\Pictures\\Beach.JPG"), ".JPG");
  EXPECT_EQ(PathExtension("C:\\Pictures\\notes.jpg.txt"), ".txt");
  EXPECT_EQ(PathExtension("C:\\Pictures\\.jpg"), ".jpg");
  EXPECT_EQ(PathExtension("C:\\Pictures.old\\README"), "");
  EXPECT_EQ(PathExtension("/tmp/dir.d/file"), "");
  EXPECT_EQ(PathExtension("mixed/dir\\photo.Jpeg"), ".Jpeg");
  EXPECT_EQ(PathExtension("trailingdot."), ".");
  EXPECT_EQ(PathExtension(""), "");
}

TEST(ToLowerAscii, ChangesOnlyCapitalLetters) {
  EXPECT_EQ(ToLowerAscii(".JpEg"), ".jpeg");
  EXPECT_EQ(ToLowerAscii("\xC4@[`{"), "\xC4@[`{");
  EXPECT_TRUE(EqualsIgnoreCase("My Pictures", "MY PICTURES"));
  EXPECT_FALSE(EqualsIgnoreCase("Delay", "Delays"));
}

TEST(ParseDecimal, ReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(ParseDecimal("1234"), 1234);
  EXPECT_EQ(ParseDecimal("  \t42rest"), 42);
  EXPECT_EQ(ParseDecimal("-17"), -17);
  EXPECT_EQ(ParseDecimal("+8"), 8);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("x12"), 0);
  EXPECT_EQ(ParseDecimal("- 5"), 0);
  // Handles printed unsigned come back as the same 32 bits.
  EXPECT_EQ(ParseDecimal("4294967295"), -1);
  EXPECT_EQ(ParseDecimal("2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimal("99999999999999999999"), static_cast<int32_t>(1661992959u));
}

TEST(FormatFixed, PrintsSixDecimals) {
  EXPECT_EQ(FormatFixed(3.0), "3.000000");
  EXPECT_EQ(FormatFixed(5.5), "5.500000");
  EXPECT_EQ(FormatFixed(-0.25), "-0.250000");
  EXPECT_EQ(FormatFixed(1e20), "100000000000000000000.000000");
  EXPECT_EQ(FormatFixed(1e300).size(), 301u + 7u);
}

}  // namespace
}  // namespace glintora
