#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <optional>

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

TEST(ParseWholeNumber, TakesOnlyOneFiniteNumberFillingTheText) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"2", 2.0},         {"2.5", 2.5},        {" 120 ", 120.0},   {"\t-0.25", -0.25}, {"+1e2", 100.0},
      {".5", 0.5},        {"7.", 7.0},         {"", std::nullopt}, {"  ", std::nullopt}, {"abc", std::nullopt},
      {"nan", std::nullopt}, {"NaN", std::nullopt}, {"inf", std::nullopt}, {"-infinity", std::nullopt},
      {"1e", std::nullopt}, {"1e+", std::nullopt}, {"2 s", std::nullopt}, {"3,5", std::nullopt},
      {"0x10", std::nullopt}, {"+-5", std::nullopt}, {"++5", std::nullopt}, {"+", std::nullopt},
      {"1e999", std::nullopt}, {"5\n", std::nullopt}, {"1 2", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(FormatShortest, ReadsBackToTheSameValue) {
  EXPECT_EQ(FormatShortest(3.0), "3");
  EXPECT_EQ(FormatShortest(2.5), "2.5");
  EXPECT_EQ(FormatShortest(120.0), "120");
  for (double value : {0.1, 1.0 / 3.0, 2.000000001, 1e-7, 123456789.125, -0.0, 1e300,
                       std::numeric_limits<double>::denorm_min() * 1e10}) {
    const auto back = ParseWholeNumber(FormatShortest(value));
    ASSERT_TRUE(back) << FormatShortest(value);
    EXPECT_EQ(*back, value) << FormatShortest(value);
  }
  EXPECT_FALSE(ParseWholeNumber(FormatShortest(std::nan(""))));
  EXPECT_FALSE(ParseWholeNumber(FormatShortest(std::numeric_limits<double>::infinity())));
}

}  // namespace
}  // namespace glintora
