#include <gtest/gtest.h>

#include <vector>

#include "CReadWriteEasyReg.h"
#include "ScratchKey.h"
#include "VariantPrint.h"
#include "forms/MsgBox.h"

namespace {

struct ShownBox {
  std::string text, title;
};
std::vector<ShownBox> g_boxes;  // what the replaced message box was asked to show

void RecordBox(const std::string& text, const std::string& title) {
  g_boxes.push_back({text, title});
}

class WriteValue : public ScratchKeyTest {
 protected:
  void SetUp() override {
    ScratchKeyTest::SetUp();
    g_boxes.clear();
    previous_ = forms::SetMsgBoxFn(RecordBox);
    OpenScratch(reg_);
  }
  void TearDown() override {
    forms::SetMsgBoxFn(previous_);
    ScratchKeyTest::TearDown();
  }
  VbError::Code WriteError(const Variant& v, int32_t type,
                           const std::optional<Variant>& more = std::nullopt) {
    try {
      reg_.CreateValue("bad", v, type, more);
    } catch (const VbError& e) {
      return e.code();
    }
    ADD_FAILURE() << "no error";
    return VbError::InvalidArgument;
  }
  CReadWriteEasyReg reg_;
  forms::MsgBoxFn previous_ = nullptr;
};

TEST_F(WriteValue, TextBytesAndSizes) {
  ASSERT_TRUE(reg_.CreateValue("int", -20, REG_SZ));
  ASSERT_TRUE(reg_.CreateValue("empty", Variant(), REG_SZ));
  ASSERT_TRUE(reg_.CreateValue("expand", "%NAME%", REG_EXPAND_SZ));
  const Raw i = ReadRaw("int");
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), i.type);
  EXPECT_EQ(Bytes("-20\0", 4), i.bytes);
  EXPECT_EQ(Bytes("\0", 1), ReadRaw("empty").bytes);
  const Raw e = ReadRaw("expand");
  EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), e.type);
  EXPECT_EQ(Bytes("%NAME%\0", 7), e.bytes);
}

TEST_F(WriteValue, TextRoundTrips) {
  std::string high;
  for (int c = 0x80; c < 0x100; ++c) high += static_cast<char>(c);
  const std::vector<Variant> texts = {"True",        "",   "  blanks  ",
                                      Variant(1280), high, Variant(Bytes("a\0b", 3))};
  for (const Variant& t : texts) {
    ASSERT_TRUE(reg_.CreateValue("v", t, REG_SZ));
    EXPECT_EQ(Variant(t.TextForm()), reg_.GetValue("v", false));
    ASSERT_TRUE(reg_.CreateValue("v", t, REG_EXPAND_SZ));
    EXPECT_EQ(Variant(t.TextForm()), reg_.GetValue("v", false));
  }
  ASSERT_TRUE(reg_.CreateValue("", "default", REG_SZ));
  EXPECT_EQ(Variant("default"), reg_.GetValue("", false));
}

TEST_F(WriteValue, DwordLowByteFirst) {
  ASSERT_TRUE(reg_.CreateValue("five", 5, REG_DWORD));
  ASSERT_TRUE(reg_.CreateValue("text", " -12 ", REG_DWORD));
  ASSERT_TRUE(reg_.CreateValue("half", "2.5", REG_DWORD));
  ASSERT_TRUE(reg_.CreateValue("min", INT32_MIN, REG_DWORD));
  const Raw five = ReadRaw("five");
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), five.type);
  EXPECT_EQ(Bytes("\x05\0\0\0", 4), five.bytes);
  EXPECT_EQ(Variant("05 00 00 00 "), reg_.GetValue("five", false));
  EXPECT_EQ(Variant("F4 FF FF FF "), reg_.GetValue("text", false));
  EXPECT_EQ(Variant("02 00 00 00 "), reg_.GetValue("half", false));
  EXPECT_EQ(Bytes("\0\0\0\x80", 4), ReadRaw("min").bytes);
}

TEST_F(WriteValue, MultiStringSkipsEmptyAdditionalStrings) {
  ASSERT_TRUE(reg_.CreateValue("rgb", "red", REG_MULTI_SZ,
                               Variant(Variant::List{"green", "", Variant::Null(), Variant(),
                                                     Variant(Bytes("\0", 1)), "blue"})));
  ASSERT_TRUE(reg_.CreateValue("alone", "red", REG_MULTI_SZ));
  ASSERT_TRUE(reg_.CreateValue("emptyFirst", "", REG_MULTI_SZ, Variant("x")));
  ASSERT_TRUE(reg_.CreateValue("number", "n", REG_MULTI_SZ, Variant(Variant::List{7, -1})));
  const Raw rgb = ReadRaw("rgb");
  EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), rgb.type);
  EXPECT_EQ(Bytes("red\0green\0blue\0\0", 16), rgb.bytes);
  EXPECT_EQ(Bytes("red\0\0", 5), ReadRaw("alone").bytes);
  EXPECT_EQ(Bytes("\0x\0\0", 4), ReadRaw("emptyFirst").bytes);
  EXPECT_EQ(Bytes("n\0"
                  "7\0-1\0\0",
                  8),
            ReadRaw("number").bytes);
  EXPECT_EQ(Variant(Variant::List{"red", "green", "blue", ""}), reg_.GetValue("rgb", false));
}

TEST_F(WriteValue, ConversionErrorsReachTheCallerAndWriteNothing) {
  EXPECT_EQ(VbError::TypeMismatch, WriteError("abc", REG_DWORD));
  EXPECT_EQ(VbError::Overflow, WriteError("2147483648", REG_DWORD));
  EXPECT_EQ(VbError::TypeMismatch, WriteError(Variant::Null(), REG_DWORD));
  EXPECT_EQ(VbError::TypeMismatch, WriteError(Variant::List{"a"}, REG_SZ));
  EXPECT_EQ(VbError::TypeMismatch, WriteError(Variant::List{"a"}, REG_MULTI_SZ));
  EXPECT_EQ(VbError::TypeMismatch,
            WriteError("a", REG_MULTI_SZ, Variant(Variant::List{"b", Variant::List{"c"}})));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw("bad").rc);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(WriteValue, UnsupportedTypeShowsTheMessageAndWritesNothing) {
  for (int32_t type : {0, 3, 5, 6, 8, 11, -1}) {
    g_boxes.clear();
    EXPECT_FALSE(reg_.CreateValue("bad", "x", type)) << type;
    ASSERT_EQ(1u, g_boxes.size()) << type;
    EXPECT_EQ("Unable to process that Type of data.", g_boxes[0].text);
    EXPECT_EQ("Wandrel4", g_boxes[0].title);
  }
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw("bad").rc);
}

TEST_F(WriteValue, NothingHappensWhenNotOpen) {
  Plant("keep", REG_SZ, Bytes("k", 2));
  PlantKey("keepKey");
  ASSERT_TRUE(reg_.CloseRegistry());
  EXPECT_FALSE(reg_.CreateValue("new", "x", REG_SZ));
  EXPECT_FALSE(reg_.CreateValue("new", "x", REG_BINARY));
  EXPECT_FALSE(reg_.CreateValue("new", "abc", REG_DWORD));  // not even a conversion
  EXPECT_FALSE(reg_.DeleteValue("keep"));
  EXPECT_FALSE(reg_.CreateDirectory("newKey"));
  EXPECT_FALSE(reg_.DeleteDirectory("keepKey"));
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw("new").rc);
  EXPECT_EQ(ERROR_SUCCESS, ReadRaw("keep").rc);
  EXPECT_FALSE(KeyExists("newKey"));
  EXPECT_TRUE(KeyExists("keepKey"));
}

TEST_F(WriteValue, DeleteValue) {
  Plant("v", REG_SZ, Bytes("x", 2));
  Plant("", REG_SZ, Bytes("d", 2));
  EXPECT_TRUE(reg_.DeleteValue("v"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw("v").rc);
  EXPECT_FALSE(reg_.DeleteValue("v"));
  EXPECT_TRUE(reg_.DeleteValue(""));
  EXPECT_TRUE(reg_.GetValue("", false).IsEmpty());
}

TEST_F(WriteValue, CreateDirectory) {
  PlantKey("existing");
  HKEY existing = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key_, "existing", 0, KEY_SET_VALUE, &existing));
  RegSetValueExA(existing, "kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
  RegCloseKey(existing);
  Plant("here", REG_SZ, Bytes("h", 2));

  EXPECT_TRUE(reg_.CreateDirectory("fresh"));
  EXPECT_TRUE(reg_.CreateDirectory("existing"));
  EXPECT_TRUE(reg_.CreateDirectory("deep\\er\\est"));
  EXPECT_TRUE(KeyExists("fresh"));
  EXPECT_TRUE(KeyExists("deep\\er\\est"));
  CReadWriteEasyReg check;
  ASSERT_TRUE(check.OpenRegistry(HKEY_CURRENT_USER, Path("existing")));
  EXPECT_EQ(Variant("1"), check.GetValue("kept", false));
  // The object stays on its own key.
  EXPECT_EQ(Path(), reg_.SubDirectory());
  EXPECT_EQ(Variant("h"), reg_.GetValue("here", false));
}

TEST_F(WriteValue, DeleteDirectory) {
  PlantKey("settings");
  CReadWriteEasyReg inner;
  ASSERT_TRUE(inner.OpenRegistry(HKEY_CURRENT_USER, Path("settings")));
  ASSERT_TRUE(inner.CreateValue("Installed", "True", REG_SZ));
  ASSERT_TRUE(inner.CloseRegistry());

  // Deleting and creating again leaves the subkey empty.
  EXPECT_TRUE(reg_.DeleteDirectory("settings"));
  EXPECT_FALSE(KeyExists("settings"));
  EXPECT_FALSE(reg_.DeleteDirectory("settings"));
  EXPECT_TRUE(reg_.CreateDirectory("settings"));
  ASSERT_TRUE(inner.OpenRegistry(HKEY_CURRENT_USER, Path("settings")));
  EXPECT_TRUE(inner.GetValue("Installed", false).IsEmpty());
  EXPECT_EQ(Variant(Variant::List{}), inner.GetAllValues());
}

TEST_F(WriteValue, DeleteDirectoryWithEmptyNameKeepsTheOpenKey) {
  Plant("here", REG_SZ, Bytes("h", 2));
  EXPECT_FALSE(reg_.DeleteDirectory(""));
  EXPECT_EQ(ERROR_SUCCESS, ReadRaw("here").rc);
  EXPECT_EQ(Variant("h"), reg_.GetValue("here", false));
}

}  // namespace
