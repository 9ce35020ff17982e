#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "CReadWriteEasyReg.h"
#include "ScratchKey.h"
#include "VariantPrint.h"

namespace {

class Listing : public ScratchKeyTest {
 protected:
  void SetUp() override {
    ScratchKeyTest::SetUp();
    OpenScratch(reg_);
  }
  CReadWriteEasyReg reg_;
};

Variant::List Sorted(const Variant& v) {
  Variant::List list = v.list();
  std::sort(list.begin(), list.end(),
            [](const Variant& a, const Variant& b) { return a.text() < b.text(); });
  return list;
}

TEST_F(Listing, KeyWithoutSubkeysGivesAnEmptyList) {
  Plant("v", REG_SZ, Bytes("x", 2));
  const Variant subkeys = reg_.GetAllSubDirectories();
  ASSERT_TRUE(subkeys.IsList());
  EXPECT_TRUE(subkeys.list().empty());
}

TEST_F(Listing, KeyWithoutValuesGivesAnEmptyList) {
  PlantKey("sub");
  const Variant values = reg_.GetAllValues();
  ASSERT_TRUE(values.IsList());
  EXPECT_TRUE(values.list().empty());
}

TEST_F(Listing, SubkeysByName) {
  PlantKey("beta");
  PlantKey("alpha");
  PlantKey("gamma\\nested");
  Plant("notAKey", REG_SZ, Bytes("x", 2));
  const Variant subkeys = reg_.GetAllSubDirectories();
  ASSERT_TRUE(subkeys.IsList());
  EXPECT_EQ((Variant::List{"alpha", "beta", "gamma"}), Sorted(subkeys));
}

TEST_F(Listing, LongestSubkeyName) {
  const std::string longest(255, 'k');  // the longest name the platform allows
  PlantKey(longest);
  EXPECT_EQ(Variant(Variant::List{longest}), reg_.GetAllSubDirectories());
}

TEST_F(Listing, AllSmallValuesWithTheDefaultAsEmptyName) {
  Plant("", REG_SZ, Bytes("default", 8));
  Plant("text", REG_SZ, Bytes("t", 2));
  Plant("number", REG_DWORD, Bytes("\x01\0\0\0", 4));
  Plant("list", REG_MULTI_SZ, Bytes("a\0\0", 3));
  const Variant values = reg_.GetAllValues();
  ASSERT_TRUE(values.IsList());
  EXPECT_EQ((Variant::List{"", "list", "number", "text"}), Sorted(values));
}

// Names in insertion order are also in alphabetical order, so that the enumeration order is
// the same whether the platform keeps values in either.
TEST_F(Listing, ValueTooLargeEndsTheListing) {
  Plant("a_short", REG_SZ, Bytes("s", 2));
  Plant("b_large", REG_BINARY, std::string(300, 'L'));
  Plant("c_after", REG_SZ, Bytes("a", 2));
  EXPECT_EQ(Variant(Variant::List{"a_short"}), reg_.GetAllValues());
}

TEST_F(Listing, DataAndNameCapacities) {
  const std::string longestName = "b" + std::string(238, 'n');
  Plant("a_fits", REG_BINARY, std::string(240, 'd'));
  Plant(longestName, REG_SZ, Bytes("x", 2));
  Plant("c_fits", REG_SZ, Bytes("x", 2));
  const Variant::List all = {"a_fits", longestName, "c_fits"};
  EXPECT_EQ(Variant(all), reg_.GetAllValues());

  Plant("d_tooLarge", REG_BINARY, std::string(241, 'd'));
  Plant("e_unseen", REG_SZ, Bytes("x", 2));
  EXPECT_EQ(Variant(all), reg_.GetAllValues());
}

TEST_F(Listing, NameTooLongEndsTheListing) {
  Plant("a_first", REG_SZ, Bytes("x", 2));
  Plant("b" + std::string(239, 'n'), REG_SZ, Bytes("x", 2));
  Plant("c_unseen", REG_SZ, Bytes("x", 2));
  EXPECT_EQ(Variant(Variant::List{"a_first"}), reg_.GetAllValues());
}

TEST_F(Listing, ClosedObjectGivesEmpty) {
  PlantKey("sub");
  Plant("v", REG_SZ, Bytes("x", 2));
  ASSERT_TRUE(reg_.CloseRegistry());
  EXPECT_TRUE(reg_.GetAllSubDirectories().IsEmpty());
  EXPECT_TRUE(reg_.GetAllValues().IsEmpty());
  CReadWriteEasyReg never;
  EXPECT_TRUE(never.GetAllSubDirectories().IsEmpty());
  EXPECT_TRUE(never.GetAllValues().IsEmpty());
}

TEST_F(Listing, MoreValuesThanTheIndexHoldsGiveNull) {
  for (int i = 0; i < 32767; ++i) {
    std::string name = std::to_string(i);
    Plant(name, REG_SZ, Bytes("", 1));
  }
  const Variant fits = reg_.GetAllValues();
  ASSERT_TRUE(fits.IsList());
  EXPECT_EQ(32767u, fits.list().size());
  Plant("oneMore", REG_SZ, Bytes("", 1));
  EXPECT_TRUE(reg_.GetAllValues().IsNull());
}

}  // namespace
