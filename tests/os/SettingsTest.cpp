#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Settings.h"

namespace {

namespace fs = std::filesystem;

// Points the store at a fresh folder for each test and restores the variable.
class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    FHadOld = old != nullptr;
    if (old) FOld = old;
    FDir = fs::temp_directory_path() / ("settings-test-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
    ::setenv("XDG_CONFIG_HOME", FDir.c_str(), 1);
  }
  void TearDown() override {
    if (FHadOld) ::setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(FDir);
  }
  std::string FileText() const {
    std::ifstream in(FDir / "vorda" / "registry.ini");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path FDir;
  std::string FOld;
  bool FHadOld = false;
};

TEST_F(SettingsTest, FileLivesUnderXdgConfigHome) {
  EXPECT_EQ(SettingsFileName(), FDir.string() + "/vorda/registry.ini");
}

TEST_F(SettingsTest, ValuesRoundTripThroughTheFileWithTheirTypes) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("software\\Vorda\\Options", true));
    reg.WriteString("Assist", "Y");
    reg.WriteInteger("Count", 10);
    reg.WriteInteger("Negative", -2);
    reg.WriteString("Tricky", "a \"q\" \\ back\r\nnext=1 [x]");
    reg.WriteString("with = sign", "v");
  }
  EXPECT_NE(FileText().find("[software\\Vorda\\Options]\nAssist=\"Y\"\nCount=dword:0000000a\n"), std::string::npos)
      << FileText();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("SOFTWARE\\vorda\\options", false));  // case does not matter
  EXPECT_EQ(reg.ReadString("assist"), "Y");
  EXPECT_EQ(reg.ReadInteger("Count"), 10);
  EXPECT_EQ(reg.ReadInteger("Negative"), -2);
  EXPECT_EQ(reg.ReadString("Tricky"), "a \"q\" \\ back\r\nnext=1 [x]");
  EXPECT_EQ(reg.ReadString("with = sign"), "v");
  EXPECT_EQ(reg.GetDataType("Assist"), rdString);
  EXPECT_EQ(reg.GetDataType("Count"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Missing"), rdUnknown);
  EXPECT_EQ(reg.GetValueNames().size(), 5u);
}

TEST_F(SettingsTest, ReadingAnotherTypeOrAMissingIntegerRaises) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("k", true));
  reg.WriteInteger("N", 1);
  reg.WriteString("S", "x");
  struct Case {
    const char* what;
    std::function<void()> read;
    const char* message;
  } cases[] = {
      {"string of dword", [&] { reg.ReadString("N"); }, "Invalid data type for 'N'"},
      {"dword of string", [&] { reg.ReadInteger("S"); }, "Invalid data type for 'S'"},
      {"missing dword", [&] { reg.ReadInteger("Z"); }, "Failed to get data for 'Z'"},
  };
  for (const Case& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const ERegistryException& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
  }
  EXPECT_EQ(reg.ReadString("Z"), "");  // a missing string reads as empty
}

TEST_F(SettingsTest, KeysOpenCreateListAndDelete) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("a\\b", false));
  EXPECT_FALSE(reg.KeyExists("a"));
  ASSERT_TRUE(reg.OpenKey("a\\b", true));
  EXPECT_TRUE(reg.KeyExists("\\a"));  // a parent of an existing key exists
  reg.WriteString("v", "1");
  ASSERT_TRUE(reg.OpenKey("c", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), "a\\b\\c");
  ASSERT_TRUE(reg.OpenKey("\\a", false));
  EXPECT_EQ(reg.GetKeyNames(), std::vector<AnsiString>{"b"});
  EXPECT_TRUE(reg.DeleteKey("b"));
  EXPECT_FALSE(reg.KeyExists("\\a\\b\\c"));
  EXPECT_FALSE(reg.DeleteKey("b"));
}

TEST_F(SettingsTest, DeleteValueAndOverwriteKeepOthers) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("k", true));
  reg.WriteString("A", "1");
  reg.WriteString("B", "2");
  reg.WriteInteger("a", 3);  // same value, new type
  EXPECT_EQ(reg.GetDataType("A"), rdInteger);
  EXPECT_TRUE(reg.DeleteValue("b"));
  EXPECT_FALSE(reg.DeleteValue("b"));
  EXPECT_FALSE(reg.ValueExists("B"));
  EXPECT_EQ(reg.ReadInteger("A"), 3);
}

TEST_F(SettingsTest, ReadOnlyOrClosedKeyRefusesWrites) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("k", true));
  }
  TRegistry reg;
  EXPECT_THROW(reg.WriteString("x", "1"), ERegistryException);
  ASSERT_TRUE(reg.OpenKeyReadOnly("k"));
  EXPECT_THROW(reg.WriteString("x", "1"), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue("x"));
}

TEST_F(SettingsTest, HandWrittenFileIsReadAndUnknownLinesAreSkipped) {
  fs::create_directories(FDir / "vorda");
  std::ofstream(FDir / "vorda" / "registry.ini") << "; comment\r\n[\\software\\\\X\\]\r\n"
                                                  << "Name = \"v\"\r\ngarbage line\r\nNum=dword:ffffffff\r\n";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("software\\X", false));
  EXPECT_EQ(reg.ReadString("Name"), "v");
  EXPECT_EQ(reg.ReadInteger("Num"), -1);
  EXPECT_EQ(reg.GetValueNames().size(), 2u);
}

}  // namespace
