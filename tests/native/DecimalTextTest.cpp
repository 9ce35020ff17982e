// Stored numbers as decimal text: what reads as a number, how fractions round, and where
// the 32-bit range ends.
#include <gtest/gtest.h>

#include <climits>

#include "core/DecimalText.h"

namespace {

int32_t Value(const char* text) {
  core::Decimal d = core::ParseDecimal(text);
  EXPECT_EQ(core::DecimalStatus::Ok, d.status) << '"' << text << '"';
  return d.value;
}

core::DecimalStatus Status(const char* text) { return core::ParseDecimal(text).status; }

TEST(DecimalTextTest, SignsBlanksAndLeadingZeros) {
  EXPECT_EQ(640, Value("640"));
  EXPECT_EQ(-12, Value(" -12 "));
  EXPECT_EQ(12, Value("+12"));
  EXPECT_EQ(7, Value("\t007\t"));
  EXPECT_EQ(INT32_MAX, Value("2147483647"));
  EXPECT_EQ(INT32_MIN, Value("-2147483648"));
  EXPECT_EQ(3, Value("3."));
  EXPECT_EQ(1, Value(".9"));
}

TEST(DecimalTextTest, FractionsRoundToNearestAndHalvesToEven) {
  EXPECT_EQ(2, Value("2.5"));
  EXPECT_EQ(4, Value("3.5"));
  EXPECT_EQ(-2, Value("-2.5"));
  EXPECT_EQ(-4, Value("-3.5"));
  EXPECT_EQ(0, Value("0.5"));
  EXPECT_EQ(3, Value("2.5000001"));
  EXPECT_EQ(2, Value("2.4999999"));
  EXPECT_EQ(2, Value("2.50000"));
  EXPECT_EQ(3, Value("2.6"));
  EXPECT_EQ(0, Value("-0.4"));
  EXPECT_EQ(INT32_MIN, Value("-2147483648.5"));
}

TEST(DecimalTextTest, TextThatIsNoNumber) {
  for (const char* bad : {"", " ", "abc", "12abc", "1 2", "--1", "+", ".", "1e3", "0x10", "1,000",
                          "99999999999x", "True"}) {
    core::Decimal d = core::ParseDecimal(bad);
    EXPECT_EQ(core::DecimalStatus::NotANumber, d.status) << '"' << bad << '"';
    EXPECT_EQ(0, d.value) << '"' << bad << '"';
  }
}

TEST(DecimalTextTest, BeyondThirtyTwoBitsIsOverflow) {
  EXPECT_EQ(core::DecimalStatus::Overflow, Status("2147483648"));
  EXPECT_EQ(core::DecimalStatus::Overflow, Status("-2147483649"));
  EXPECT_EQ(core::DecimalStatus::Overflow, Status("2147483647.5"));
  EXPECT_EQ(core::DecimalStatus::Overflow, Status("99999999999999999999999999"));
  EXPECT_EQ(0, core::ParseDecimal("2147483648").value);
}

}  // namespace
