#include <gtest/gtest.h>

#include "Variant.h"
#include "VariantPrint.h"

namespace {

VbError::Code ConversionError(const Variant& v) {
  try {
    v.ToInt32();
  } catch (const VbError& e) {
    return e.code();
  }
  ADD_FAILURE() << "no error for " << v.TextForm();
  return VbError::InvalidArgument;
}

TEST(VariantTextForm, EachKind) {
  EXPECT_EQ("abc", Variant("abc").TextForm());
  EXPECT_EQ("-20", Variant(-20).TextForm());
  EXPECT_EQ("-2147483648", Variant(INT32_MIN).TextForm());
  EXPECT_EQ("", Variant().TextForm());
  EXPECT_EQ("", Variant::Null().TextForm());
  EXPECT_EQ(std::string("a\0b", 3), Variant(std::string("a\0b", 3)).TextForm());
  try {
    Variant(Variant::List{"a"}).TextForm();
    ADD_FAILURE() << "a List has no text form";
  } catch (const VbError& e) {
    EXPECT_EQ(VbError::TypeMismatch, e.code());
  }
}

TEST(VariantKinds, EmptyNullAndEmptyTextAreDistinct) {
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_FALSE(Variant("").IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_NE(Variant(), Variant(""));
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_NE(Variant(Variant::List{}), Variant());
  EXPECT_NE(Variant("5"), Variant(5));
}

TEST(VariantToInt32, DecimalText) {
  EXPECT_EQ(0, Variant().ToInt32());
  EXPECT_EQ(77, Variant(77).ToInt32());
  EXPECT_EQ(-12, Variant(" -12 ").ToInt32());
  EXPECT_EQ(12, Variant("+12").ToInt32());
  EXPECT_EQ(7, Variant("\t007\t").ToInt32());
  EXPECT_EQ(INT32_MAX, Variant("2147483647").ToInt32());
  EXPECT_EQ(INT32_MIN, Variant("-2147483648").ToInt32());
  EXPECT_EQ(3, Variant("3.").ToInt32());
  EXPECT_EQ(1, Variant(".9").ToInt32());
}

TEST(VariantToInt32, FractionsRoundHalfToEven) {
  EXPECT_EQ(2, Variant("2.5").ToInt32());
  EXPECT_EQ(4, Variant("3.5").ToInt32());
  EXPECT_EQ(-2, Variant("-2.5").ToInt32());
  EXPECT_EQ(-4, Variant("-3.5").ToInt32());
  EXPECT_EQ(0, Variant("0.5").ToInt32());
  EXPECT_EQ(3, Variant("2.5000001").ToInt32());  // more than a half
  EXPECT_EQ(2, Variant("2.4999999").ToInt32());
  EXPECT_EQ(2, Variant("2.50000").ToInt32());
  EXPECT_EQ(0, Variant("-0.4").ToInt32());
  EXPECT_EQ(INT32_MIN, Variant("-2147483648.5").ToInt32());
}

TEST(VariantToInt32, OutOfRangeIsOverflow) {
  EXPECT_EQ(VbError::Overflow, ConversionError(Variant("2147483648")));
  EXPECT_EQ(VbError::Overflow, ConversionError(Variant("-2147483649")));
  EXPECT_EQ(VbError::Overflow, ConversionError(Variant("2147483647.5")));
  EXPECT_EQ(VbError::Overflow, ConversionError(Variant("99999999999999999999999999")));
}

TEST(VariantToInt32, NotANumberIsTypeMismatch) {
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("abc")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("   ")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("1 2")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("12a")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("-")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant(".")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("1.2.3")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("--1")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("01 00 00 00 ")));
  // Syntax is judged before size.
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant("99999999999x")));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant::Null()));
  EXPECT_EQ(VbError::TypeMismatch, ConversionError(Variant(Variant::List{"1"})));
}

TEST(VariantEqualsText, ExactAndCaseSensitive) {
  EXPECT_TRUE(Variant("True").EqualsText("True"));
  EXPECT_FALSE(Variant("True").EqualsText("true"));
  EXPECT_FALSE(Variant("True ").EqualsText("True"));
  EXPECT_TRUE(Variant().EqualsText(""));
  EXPECT_FALSE(Variant().EqualsText("True"));
  EXPECT_TRUE(Variant("").EqualsText(""));
  EXPECT_FALSE(Variant::Null().EqualsText(""));
  EXPECT_FALSE(Variant(Variant::List{"True"}).EqualsText("True"));
  EXPECT_TRUE(Variant(-5).EqualsText("-5"));
}

TEST(VariantOrdering, WithinAndAcrossKinds) {
  EXPECT_TRUE(VariantLessOrEqual("B", "a"));  // character codes: uppercase first
  EXPECT_FALSE(VariantLessOrEqual("a", "B"));
  EXPECT_TRUE(VariantLessOrEqual("ab", "ab"));
  EXPECT_TRUE(VariantLessOrEqual("ab", "abc"));
  EXPECT_TRUE(VariantLessOrEqual("z", "\xE9"));  // bytes above 0x7F come after ASCII
  EXPECT_TRUE(VariantLessOrEqual(9, 10));
  EXPECT_FALSE(VariantLessOrEqual(10, 9));
  // Between kinds: Empty, Null, Integer, Text.
  EXPECT_TRUE(VariantLessOrEqual(Variant(), Variant::Null()));
  EXPECT_TRUE(VariantLessOrEqual(Variant::Null(), 5));
  EXPECT_TRUE(VariantLessOrEqual(1000, "1"));
  EXPECT_FALSE(VariantLessOrEqual("1", 1000));
  EXPECT_THROW(VariantLessOrEqual(Variant::List{}, "a"), VbError);
  EXPECT_THROW(VariantLessOrEqual("a", Variant::List{}), VbError);
}

}  // namespace
