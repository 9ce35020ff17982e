#include <gtest/gtest.h>

#include "CReadWriteEasyReg.h"
#include "ScratchKey.h"
#include "VariantPrint.h"

namespace {

using Connection = ScratchKeyTest;

TEST_F(Connection, NewObjectHoldsNothing) {
  CReadWriteEasyReg reg;
  EXPECT_EQ(nullptr, reg.RegistryRootKey());
  EXPECT_EQ("", reg.SubDirectory());
  EXPECT_TRUE(reg.GetValue("anything", false).IsEmpty());
  EXPECT_FALSE(reg.CloseRegistry());
}

TEST_F(Connection, OpenExistingKeyReadsItsValues) {
  Plant("v", REG_SZ, Bytes("hi", 3));
  CReadWriteEasyReg reg;
  EXPECT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, Path()));
  EXPECT_EQ(HKEY_CURRENT_USER, reg.RegistryRootKey());
  EXPECT_EQ(Path(), reg.SubDirectory());
  EXPECT_EQ(Variant("hi"), reg.GetValue("v", false));
}

TEST_F(Connection, RootZeroFailsAndKeepsState) {
  Plant("v", REG_SZ, Bytes("hi", 3));
  CReadWriteEasyReg reg;
  OpenScratch(reg);
  EXPECT_FALSE(reg.OpenRegistry(nullptr, "Software"));
  EXPECT_EQ(HKEY_CURRENT_USER, reg.RegistryRootKey());
  EXPECT_EQ(Path(), reg.SubDirectory());
  // Not open any more, yet the handle is still held: CloseRegistry closes it.
  EXPECT_TRUE(reg.GetValue("v", false).IsEmpty());
  EXPECT_TRUE(reg.CloseRegistry());
  EXPECT_FALSE(reg.CloseRegistry());
}

TEST_F(Connection, MissingSubPathFailsButIsReported) {
  CReadWriteEasyReg reg;
  OpenScratch(reg);
  EXPECT_FALSE(reg.OpenRegistry(HKEY_CURRENT_USER, Path("missing")));
  EXPECT_EQ(Path("missing"), reg.SubDirectory());
  EXPECT_TRUE(reg.GetValue("", false).IsEmpty());
  EXPECT_FALSE(reg.CreateValue("x", "1", REG_SZ));
  // The earlier handle was closed by the failed open: nothing is left to close.
  EXPECT_FALSE(reg.CloseRegistry());
}

TEST_F(Connection, StaleRootHandleFailsToOpen) {
  PlantKey("sub");
  HKEY stale = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, "sub", 0, KEY_READ, &stale));
  RegCloseKey(stale);
  CReadWriteEasyReg reg;
  EXPECT_FALSE(reg.OpenRegistry(stale, ""));
  EXPECT_TRUE(reg.GetValue("", false).IsEmpty());
  EXPECT_FALSE(reg.CloseRegistry());
}

TEST_F(Connection, OpenKeyHandleAsRootWithEmptyPath) {
  Plant("v", REG_SZ, Bytes("x", 2));
  CReadWriteEasyReg reg;
  EXPECT_TRUE(reg.OpenRegistry(key_, ""));
  EXPECT_EQ(Variant("x"), reg.GetValue("v", false));
  EXPECT_TRUE(reg.CloseRegistry());
  // The object opened a handle of its own: the caller's handle still works.
  EXPECT_EQ(ERROR_SUCCESS, ReadRaw("v").rc);
}

TEST_F(Connection, DoubleCloseReportsTrueThenFalse) {
  CReadWriteEasyReg reg;
  OpenScratch(reg);
  EXPECT_TRUE(reg.CloseRegistry());
  EXPECT_FALSE(reg.CloseRegistry());
  EXPECT_TRUE(reg.GetValue("", false).IsEmpty());
}

TEST_F(Connection, ReopeningMovesToTheNewKey) {
  PlantKey("a");
  PlantKey("b");
  HKEY b = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, "b", 0, KEY_SET_VALUE, &b));
  RegSetValueExA(b, "where", 0, REG_SZ, reinterpret_cast<const BYTE*>("b"), 2);
  RegCloseKey(b);
  CReadWriteEasyReg reg;
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, Path("a")));
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, Path("b")));
  EXPECT_EQ(Variant("b"), reg.GetValue("where", false));
  EXPECT_TRUE(reg.CloseRegistry());
  EXPECT_FALSE(reg.CloseRegistry());
}

TEST_F(Connection, OneBackOnKeyOpensTheParent) {
  PlantKey("child");
  Plant("inParent", REG_SZ, Bytes("p", 2));
  CReadWriteEasyReg reg;
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, Path("child")));
  reg.OneBackOnKey();
  EXPECT_EQ(Path(), reg.SubDirectory());
  EXPECT_EQ(Variant("p"), reg.GetValue("inParent", false));
  EXPECT_TRUE(reg.CloseRegistry());
}

TEST_F(Connection, OneBackOnKeyWithoutSeparatorRaisesAndChangesNothing) {
  CReadWriteEasyReg reg;
  ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, "Software"));
  try {
    reg.OneBackOnKey();
    ADD_FAILURE() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(VbError::InvalidArgument, e.code());
  }
  EXPECT_EQ("Software", reg.SubDirectory());
  EXPECT_TRUE(reg.GetAllSubDirectories().IsList());  // still open
  EXPECT_TRUE(reg.CloseRegistry());
}

TEST_F(Connection, OneBackOnKeyOnAnOverlongPathIsOverflow) {
  CReadWriteEasyReg reg;
  const std::string overlong = std::string(32767, 'a') + "\\b";
  reg.OpenRegistry(HKEY_CURRENT_USER, overlong);
  try {
    reg.OneBackOnKey();
    ADD_FAILURE() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(VbError::Overflow, e.code());
  }
  EXPECT_EQ(overlong, reg.SubDirectory());
}

TEST_F(Connection, OneBackOnKeyPathShapes) {
  CReadWriteEasyReg reg;
  // A trailing separator is the last one: only it goes.
  reg.OpenRegistry(HKEY_CURRENT_USER, Path() + "\\");
  reg.OneBackOnKey();
  EXPECT_EQ(Path(), reg.SubDirectory());
  Plant("here", REG_SZ, Bytes("1", 2));
  EXPECT_EQ(Variant("1"), reg.GetValue("here", false));
  // A path whose only separator leads becomes the root itself.
  reg.OpenRegistry(HKEY_CURRENT_USER, "\\Software");
  reg.OneBackOnKey();
  EXPECT_EQ("", reg.SubDirectory());
  // Ends open on a missing parent as not open.
  reg.OpenRegistry(HKEY_CURRENT_USER, "NoSuchKeyForWandrel\\child");
  reg.OneBackOnKey();
  EXPECT_EQ("NoSuchKeyForWandrel", reg.SubDirectory());
  EXPECT_TRUE(reg.GetValue("", false).IsEmpty());
  EXPECT_FALSE(reg.CloseRegistry());
}

}  // namespace
