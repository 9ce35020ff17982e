#include <gtest/gtest.h>

#include "CReadWriteEasyReg.h"
#include "VariantPrint.h"

namespace {

using L = Variant::List;

Variant Sort(const Variant& v) {
  CReadWriteEasyReg reg;  // sorting needs no open key
  return reg.SortArrayAscending(v);
}

TEST(SortArrayAscending, TextsByCharacterCode) {
  EXPECT_EQ(Variant(L{"a", "b", "c"}), Sort(L{"b", "a", "c"}));
  EXPECT_EQ(Variant(L{"B", "a", "b"}), Sort(L{"b", "B", "a"}));
  EXPECT_EQ(Variant(L{"", "a", "ab", "b"}), Sort(L{"ab", "b", "", "a"}));
  EXPECT_EQ(Variant(L{"a", "b", "c", "d", "e"}), Sort(L{"e", "d", "c", "b", "a"}));
  EXPECT_EQ(Variant(L{"Z", "z", "\xE4"}), Sort(L{"\xE4", "z", "Z"}));
}

TEST(SortArrayAscending, DuplicatesKept) {
  EXPECT_EQ(Variant(L{"a", "a", "b", "b", "c"}), Sort(L{"b", "a", "c", "a", "b"}));
}

TEST(SortArrayAscending, IntegersNumerically) {
  EXPECT_EQ(Variant(L{-5, 2, 10}), Sort(L{10, -5, 2}));
}

TEST(SortArrayAscending, MixedKindsInKindOrder) {
  EXPECT_EQ(Variant(L{Variant(), Variant::Null(), 3, "1", "a"}),
            Sort(L{"a", 3, Variant::Null(), "1", Variant()}));
}

TEST(SortArrayAscending, ShortListsAreEqualCopies) {
  EXPECT_EQ(Variant(L{"only"}), Sort(L{"only"}));
  EXPECT_EQ(Variant(L{}), Sort(L{}));
}

TEST(SortArrayAscending, NonListsComeBackAsTheyAre) {
  EXPECT_EQ(Variant("cba"), Sort("cba"));
  EXPECT_EQ(Variant(7), Sort(7));
  EXPECT_TRUE(Sort(Variant()).IsEmpty());
  EXPECT_TRUE(Sort(Variant::Null()).IsNull());
}

TEST(SortArrayAscending, NestedListReturnsInputUnchanged) {
  const Variant input(L{"b", L{"x"}, "a"});
  EXPECT_EQ(input, Sort(input));
  const Variant late(L{"c", "b", "a", L{}});
  EXPECT_EQ(late, Sort(late));
}

TEST(SortArrayAscending, InputIsNotChanged) {
  const Variant input(L{"c", "a", "b"});
  const Variant copy = input;
  const Variant sorted = Sort(input);
  EXPECT_EQ(copy, input);
  EXPECT_EQ(Variant(L{"a", "b", "c"}), sorted);
}

TEST(SortArrayAscending, SortsWhatTheListingsReturn) {
  HKEY key = nullptr;
  const char* path = "Software\\WandrelTests\\SortListing";
  RegDeleteTreeA(HKEY_CURRENT_USER, path);
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  for (const char* name : {"zeta", "Alpha", "mid"})
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  CReadWriteEasyReg reg;
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, path));
  const Variant sorted = reg.SortArrayAscending(reg.GetAllValues());
  reg.CloseRegistry();
  RegDeleteTreeA(HKEY_CURRENT_USER, path);
  EXPECT_EQ(Variant(L{"Alpha", "mid", "zeta"}), sorted);
}

}  // namespace
