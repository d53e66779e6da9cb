#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Dialogs.h"
#include "uRozneRep.h"

namespace fs = std::filesystem;

namespace {

// A fresh directory that is also the settings home, removed afterwards.
class RozneRepTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rozne-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    HadOld = old != nullptr;
    if (old) Old = old;
    ::setenv("XDG_CONFIG_HOME", Dir.c_str(), 1);
    auto handler = std::make_unique<TRecordingDialogHandler>();
    Dialogs = handler.get();
    Scope = std::make_unique<TDialogHandlerScope>(std::move(handler));
  }
  void TearDown() override {
    Scope.reset();
    if (HadOld) ::setenv("XDG_CONFIG_HOME", Old.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  std::string Dir, Old;
  bool HadOld = false;
  TRecordingDialogHandler* Dialogs = nullptr;
  std::unique_ptr<TDialogHandlerScope> Scope;
};

TEST_F(RozneRepTest, RunProcessWaitsForTheProgram) {
  std::string out = Dir + "/out";
  EXPECT_TRUE(RunProcess("/bin/sh -c \"echo done > " + out + "\"", true, false));
  std::ifstream in(out);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "done");
  EXPECT_TRUE(Dialogs->Records.empty());
}

TEST_F(RozneRepTest, RunProcessReportsAMissingProgram) {
  EXPECT_FALSE(RunProcess("NOSUCHPROGRAM.exe b x.arc", true, false));
  ASSERT_EQ(Dialogs->Records.size(), 1u);
  const auto& shown = Dialogs->Records[0];
  EXPECT_EQ(shown.Kind, TRecordingDialogHandler::dkMessageDlg);
  EXPECT_EQ(shown.Text, "Error, create process:\rNOSUCHPROGRAM.exe b x.arc\rError code:2");
  EXPECT_EQ(shown.Type, mtError);
  EXPECT_EQ(shown.Buttons, TMsgDlgButtons{mbOK});
}

TEST_F(RozneRepTest, RegistryStringsAreTyped) {
  const AnsiString key = "software\\Vorda\\Options";
  AnsiString text = "unchanged";
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key, "Assist", text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_FALSE(TRegistry().KeyExists(key)) << "reading must not create the key";

  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, key, "Assist", "Y"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, key, "Assist", "N"));
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, key, "Assist", text));
  EXPECT_EQ(text, "N");
  text = "unchanged";
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key, "AutoSave", text));
  EXPECT_EQ(text, "unchanged");

  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(key, false));
  registry.WriteInteger("Count", 10);
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, key, "Count", text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_FALSE(WriteRegistryString(HKEY_CURRENT_USER, key, "Count", "11"));
  EXPECT_EQ(registry.ReadInteger("Count"), 10);
  EXPECT_FALSE(WriteRegistryString(THKey(0x80000002u), key, "Assist", "Y"));
}

TEST_F(RozneRepTest, ClearDirectoryKeepsTheTopAndRemovesReadOnlyEntries) {
  fs::create_directories(Dir + "/work/sub");
  std::ofstream(Dir + "/work/sub/ro.db") << "x";
  fs::permissions(Dir + "/work/sub/ro.db", fs::perms::owner_read);
  EXPECT_TRUE(ClearDirectory(Dir + "/work"));
  EXPECT_TRUE(fs::is_directory(Dir + "/work"));
  EXPECT_TRUE(fs::is_empty(Dir + "/work"));
  EXPECT_FALSE(ClearDirectory(Dir + "/absent"));
}

TEST(TextHelpers, FitText) {
  struct Case {
    const char* text;
    char fill;
    int width;
    const char* expected;
  } cases[] = {
      {"abcde", '.', 3, "abc"}, {"abcde", '.', 8, "abcde..."}, {"abcde", ' ', 5, "abcde"},
      {"", '-', 2, "--"},       {"abc", '.', 0, ""},           {"abc", '.', -1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FitText(c.text, c.fill, c.width), c.expected) << c.text << "/" << c.width;
}

TEST(TextHelpers, CopyRange) {
  struct Case {
    int first, last;
    const char* expected;
  } cases[] = {
      {2, 4, "bcd"}, {1, 1, "a"}, {5, 5, "e"}, {4, 9, "de"}, {3, 2, ""}, {6, 6, ""}, {0, 2, "ab"}, {-3, -1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CopyRange("abcde", c.first, c.last), c.expected) << c.first << ".." << c.last;
}

}  // namespace
