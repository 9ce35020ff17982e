// A scratch key under HKEY_CURRENT_USER for one test, removed with everything in it when
// the test ends, and raw access to it for planting and inspecting data.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "CReadWriteEasyReg.h"

class ScratchKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string("Software\\WandrelTests\\") + info->test_suite_name() + "." + info->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  void TearDown() override {
    if (key_) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }

  // The scratch key's path below HKEY_CURRENT_USER, or of a key below it.
  std::string Path(const std::string& below = {}) const {
    return below.empty() ? path_ : path_ + "\\" + below;
  }

  // Writes raw bytes exactly as given, of any type code.
  void Plant(const std::string& name, DWORD type, const std::string& bytes) {
    // The platform extends an unterminated string by one byte when the byte after the
    // data happens to be a NUL; a copy with a non-NUL byte after it keeps the size exact.
    std::string copy = bytes + 'X';
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, name.c_str(), 0, type,
                                            reinterpret_cast<const BYTE*>(copy.data()),
                                            static_cast<DWORD>(bytes.size())));
  }

  void PlantKey(const std::string& name) {
    HKEY sub = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &sub, nullptr));
    RegCloseKey(sub);
  }

  struct Raw {
    LSTATUS rc = 0;
    DWORD type = 0;
    std::string bytes;
  };
  // Reads a value back as the platform holds it.
  Raw ReadRaw(const std::string& name) const {
    Raw raw;
    DWORD size = 0;
    raw.rc = RegQueryValueExA(key_, name.c_str(), nullptr, &raw.type, nullptr, &size);
    if (raw.rc != ERROR_SUCCESS) return raw;
    raw.bytes.assign(size, '\0');
    raw.rc = RegQueryValueExA(key_, name.c_str(), nullptr, &raw.type,
                              reinterpret_cast<BYTE*>(raw.bytes.data()), &size);
    raw.bytes.resize(size);
    return raw;
  }

  bool KeyExists(const std::string& below) const {
    HKEY sub = nullptr;
    if (RegOpenKeyExA(key_, below.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return false;
    RegCloseKey(sub);
    return true;
  }

  // An object of the class open on the scratch key.
  void OpenScratch(CReadWriteEasyReg& reg) {
    ASSERT_TRUE(reg.OpenRegistry(HKEY_CURRENT_USER, path_));
  }

  HKEY key_ = nullptr;

 private:
  std::string path_;
};

// Text holding the given bytes, NULs included: Bytes("a\0b", 3).
inline std::string Bytes(const char* data, size_t size) { return std::string(data, size); }
