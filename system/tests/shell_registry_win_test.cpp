#include "system/shell_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/registry_view.h"

namespace {

// A private key below HKEY_CURRENT_USER (and one below HKEY_LOCAL_MACHINE),
// removed before and after each test.
class ShellRegistryTest : public testing::Test {
 protected:
  void SetUp() override { remove_keys(); }
  void TearDown() override { remove_keys(); }

  void remove_keys() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      registry_.shell_delete_key(root, (root == HKEY_CURRENT_USER ? key_ : machine_key_).c_str());
      RegDeleteKeyA(root, "Software\\SetupTests");  // fails, as meant, while not empty
    }
  }

  static bool key_exists(HKEY root, const std::string& key, REGSAM view = 0) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }

  bool set_text(HKEY root, const std::string& key, const char* name, const std::string& text) {
    return registry_.shell_set_value(root, key.c_str(), name, REG_SZ, text.c_str(),
                                     static_cast<DWORD>(text.size() + 1));
  }

  const ShellRegistry registry_ = load_shell_registry_helpers();
  const std::string key_ = "Software\\SetupTests\\ShellRegistry" + std::to_string(GetCurrentProcessId());
  const std::string machine_key_ = key_ + "Machine";
};

}  // namespace

TEST_F(ShellRegistryTest, SetValueCreatesTheKeyAndReadsBack) {
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_ + "\\Sub", "DisplayName", "Quasarine II"));
  EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, key_ + "\\Sub"));

  // The size query first, then the read with a buffer of that size.
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_TRUE(registry_.shell_get_value(HKEY_CURRENT_USER, (key_ + "\\Sub").c_str(), "DisplayName", &type,
                                        nullptr, &size));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  ASSERT_EQ(size, 13u);
  std::string data(size, '?');
  ASSERT_TRUE(registry_.shell_get_value(HKEY_CURRENT_USER, (key_ + "\\Sub").c_str(), "DisplayName", &type,
                                        data.data(), &size));
  EXPECT_EQ(data, std::string("Quasarine II", 13));

  const DWORD number = 0x12345678;
  ASSERT_TRUE(registry_.shell_set_value(HKEY_CURRENT_USER, key_.c_str(), "Count", REG_DWORD, &number,
                                        sizeof number));
  DWORD read = 0;
  size = sizeof read;
  ASSERT_TRUE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Count", &type, &read, &size));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(read, number);
}

TEST_F(ShellRegistryTest, MissingKeysAndValuesGiveFalse) {
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_FALSE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Nothing", &type, nullptr, &size));
  EXPECT_FALSE(registry_.shell_delete_value(HKEY_CURRENT_USER, key_.c_str(), "Nothing"));
  EXPECT_FALSE(registry_.shell_delete_key(HKEY_CURRENT_USER, key_.c_str()));

  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_, "Other", "x"));
  EXPECT_FALSE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Nothing", &type, nullptr, &size));
  EXPECT_FALSE(registry_.shell_delete_value(HKEY_CURRENT_USER, key_.c_str(), "Nothing"));
}

TEST_F(ShellRegistryTest, DeletesValuesAndWholeTrees) {
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_, "Keep", "a"));
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_, "Drop", "b"));
  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_ + "\\Sub\\Deeper", "Leaf", "c"));

  EXPECT_TRUE(registry_.shell_delete_value(HKEY_CURRENT_USER, key_.c_str(), "Drop"));
  DWORD size = 0;
  EXPECT_FALSE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Drop", nullptr, nullptr, &size));
  EXPECT_TRUE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Keep", nullptr, nullptr, &size));

  EXPECT_TRUE(registry_.shell_delete_key(HKEY_CURRENT_USER, key_.c_str()));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, key_));
}

// The shell functions write the view of the calling program: for the 32-bit
// product on 64-bit Windows that is the 32-bit view, never the 64-bit one.
TEST_F(ShellRegistryTest, WritesBelowLocalMachineInTheProgramsView) {
  const std::string& key = machine_key_;
  ASSERT_TRUE(set_text(HKEY_LOCAL_MACHINE, key, "UninstallString", "C:\\x\\uninstall.exe"));
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, key));
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, key, program_registry_view()));
  if (running_under_wow64()) {
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY));
  }
  EXPECT_TRUE(registry_.shell_delete_key(HKEY_LOCAL_MACHINE, key.c_str()));
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key));
}

TEST_F(ShellRegistryTest, MissingEntryPointsDoNothing) {
  const ShellRegistry missing;
  const std::string text = "x";
  EXPECT_FALSE(missing.shell_set_value(HKEY_CURRENT_USER, key_.c_str(), "Value", REG_SZ, text.c_str(), 2));
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, key_));

  ASSERT_TRUE(set_text(HKEY_CURRENT_USER, key_, "Value", text));
  DWORD size = 0;
  EXPECT_FALSE(missing.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Value", nullptr, nullptr, &size));
  EXPECT_FALSE(missing.shell_delete_value(HKEY_CURRENT_USER, key_.c_str(), "Value"));
  EXPECT_FALSE(missing.shell_delete_key(HKEY_CURRENT_USER, key_.c_str()));
  EXPECT_TRUE(registry_.shell_get_value(HKEY_CURRENT_USER, key_.c_str(), "Value", nullptr, nullptr, &size));
}
