#include <gtest/gtest.h>

#include "CReadWriteEasyReg.h"
#include "CReadWriteEasyRegData.h"
#include "ScratchKey.h"
#include "VariantPrint.h"

namespace {

class ReadValue : public ScratchKeyTest {
 protected:
  void SetUp() override {
    ScratchKeyTest::SetUp();
    OpenScratch(reg_);
  }
  Variant Get(const std::string& name, bool binStr = false) { return reg_.GetValue(name, binStr); }
  CReadWriteEasyReg reg_;
};

TEST_F(ReadValue, MissingValueIsEmptyNotEmptyText) {
  Plant("blank", REG_SZ, Bytes("", 1));
  EXPECT_TRUE(Get("missing").IsEmpty());
  const Variant blank = Get("blank");
  ASSERT_TRUE(blank.IsText());
  EXPECT_EQ("", blank.text());
  // What start-up relies on for a first run.
  EXPECT_EQ(0, Get("missing").ToInt32());
  EXPECT_FALSE(Get("missing").EqualsText("True"));
}

TEST_F(ReadValue, DefaultValueByEmptyName) {
  Plant("", REG_SZ, Bytes("default", 8));
  EXPECT_EQ(Variant("default"), Get(""));
}

TEST_F(ReadValue, StringDropsExactlyItsLastByte) {
  Plant("zero", REG_SZ, "");
  Plant("unterminated", REG_SZ, "abc");
  Plant("inner", REG_SZ, Bytes("a\0b\0", 4));
  Plant("expand", REG_EXPAND_SZ, Bytes("%PATH%\\x\0", 9));
  EXPECT_EQ(Variant(""), Get("zero"));
  EXPECT_EQ(Variant("ab"), Get("unterminated"));
  EXPECT_EQ(Variant(Bytes("a\0b", 3)), Get("inner"));
  EXPECT_EQ(Variant("%PATH%\\x"), Get("expand"));
}

TEST_F(ReadValue, EveryByteValueComesBackAsOneCharacter) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  Plant("sz", REG_SZ, all + '\0');
  Plant("bin", REG_BINARY, all);
  EXPECT_EQ(Variant(all), Get("sz"));
  EXPECT_EQ(Variant(all), Get("bin", true));
  const std::string hex = Get("bin").text();
  ASSERT_EQ(255u * 3, hex.size());
  EXPECT_EQ("01 02 ", hex.substr(0, 6));
  EXPECT_EQ("7F 80 ", hex.substr(126 * 3, 6));
  EXPECT_EQ("FE FF ", hex.substr(253 * 3));
}

TEST_F(ReadValue, ValuesAroundAndBeyondTheFirstReadsRoomComeBackWhole) {
  // Settings are short and read in one query; longer values need a second one.
  for (size_t length : {0u, 254u, 255u, 256u, 257u, 5000u, 70000u}) {
    std::string text(length, 'v');
    for (size_t i = 0; i < length; i += 97) text[i] = static_cast<char>('a' + i % 26);
    Plant("long", REG_SZ, text + '\0');
    const Variant read = Get("long");
    ASSERT_TRUE(read.IsText()) << length;
    EXPECT_EQ(text, read.text()) << length;
  }
}

TEST_F(ReadValue, DwordAsHexOrRawBytes) {
  Plant("one", REG_DWORD, Bytes("\x01\0\0\0", 4));
  Plant("big", REG_DWORD, Bytes("\x78\x56\x34\x12", 4));
  EXPECT_EQ(Variant("01 00 00 00 "), Get("one"));
  EXPECT_EQ(Variant("78 56 34 12 "), Get("big"));
  EXPECT_EQ(Variant(Bytes("\x01\0\0\0", 4)), Get("one", true));
}

TEST_F(ReadValue, BinaryHexFormAndItsLimit) {
  Plant("two", REG_BINARY, "\x01\xA0");
  Plant("none", REG_BINARY, "");
  Plant("largest", REG_BINARY, std::string(32766, '\x5A'));
  Plant("tooLarge", REG_BINARY, std::string(32767, '\x5A'));
  EXPECT_EQ(Variant("01 A0 "), Get("two"));
  EXPECT_EQ(Variant(""), Get("none"));
  EXPECT_EQ(32766u * 3, Get("largest").text().size());
  EXPECT_EQ(Variant(""), Get("tooLarge"));
  // The raw form has no such limit.
  EXPECT_EQ(32767u, Get("tooLarge", true).text().size());
}

TEST_F(ReadValue, BigEndianDwordIsAlwaysRaw) {
  Plant("be", REG_DWORD_BIG_ENDIAN, Bytes("\0\0\0\x05", 4));
  EXPECT_EQ(Variant(Bytes("\0\0\0\x05", 4)), Get("be", false));
  EXPECT_EQ(Variant(Bytes("\0\0\0\x05", 4)), Get("be", true));
}

TEST_F(ReadValue, MultiStringList) {
  Plant("ab", REG_MULTI_SZ, Bytes("a\0b\0\0", 5));
  Plant("single", REG_MULTI_SZ, Bytes("x\0", 2));
  Plant("zero", REG_MULTI_SZ, "");
  Plant("unterminated", REG_MULTI_SZ, Bytes("a\0b", 3));
  EXPECT_EQ(Variant(Variant::List{"a", "b", ""}), Get("ab"));
  EXPECT_EQ(Variant(Variant::List{"x"}), Get("single"));
  EXPECT_EQ(Variant(Variant::List{}), Get("zero"));
  EXPECT_EQ(Variant(""), Get("unterminated"));
}

TEST_F(ReadValue, MultiStringElementLimit) {
  std::string fits, tooMany;
  for (int i = 0; i < 32767; ++i) fits += Bytes("s\0", 2);
  tooMany = fits + Bytes("s\0", 2);
  Plant("fits", REG_MULTI_SZ, fits);
  Plant("tooMany", REG_MULTI_SZ, tooMany);
  const Variant list = Get("fits");
  ASSERT_TRUE(list.IsList());
  EXPECT_EQ(32767u, list.list().size());
  EXPECT_EQ(Variant(""), Get("tooMany"));
}

TEST_F(ReadValue, TypesWithoutAConversionNameThemselves) {
  Plant("none", REG_NONE, "abc");
  Plant("link", REG_LINK, "ab");
  Plant("rl", REG_RESOURCE_LIST, "ab");
  Plant("frd", REG_FULL_RESOURCE_DESCRIPTOR, "ab");
  Plant("rrl", REG_RESOURCE_REQUIREMENTS_LIST, "ab");
  Plant("eleven", 11, "ab");
  Plant("high", 0x80000000u, "ab");
  EXPECT_EQ(Variant("Not defined value_type=REG_NONE"), Get("none"));
  EXPECT_EQ(Variant("Not defined value_type=REG_LINK"), Get("link"));
  EXPECT_EQ(Variant("Not defined value_type=REG_RESOURCE_LIST"), Get("rl"));
  EXPECT_EQ(Variant("Not defined value_type=REG_FULL_RESOURCE_DESCRIPTOR"), Get("frd"));
  EXPECT_EQ(Variant("Not defined value_type=REG_RESOURCE_REQUIREMENTS_LIST"), Get("rrl"));
  EXPECT_EQ(Variant("value_type=11"), Get("eleven"));
  EXPECT_EQ(Variant("value_type=-2147483648"), Get("high"));
}

TEST_F(ReadValue, QueryOnADeletedKeyReportsItsCode) {
  PlantKey("gone");
  CReadWriteEasyReg reg;
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, Path("gone")));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key_, "gone"));
  EXPECT_EQ(Variant("RegQueryValueEx Returned : (1018)"), reg.GetValue("v", false));
}

TEST(ReadValueFailures, TextsByErrorCode) {
  EXPECT_TRUE(easyreg::QueryFailure(ERROR_FILE_NOT_FOUND).IsEmpty());
  EXPECT_EQ(Variant("Access Denied"), easyreg::QueryFailure(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Variant("RegQueryValueEx Returned : (6)"), easyreg::QueryFailure(ERROR_INVALID_HANDLE));
}

}  // namespace
