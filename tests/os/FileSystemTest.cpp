#include "FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/ostestXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override {
    for (auto& p : fs::recursive_directory_iterator(Dir)) fs::permissions(p.path(), fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(Dir);
  }
  void Write(const std::string& rel, const std::string& data) {
    std::ofstream(Dir + "/" + rel, std::ios::binary) << data;
  }
  std::string Dir;
};

TEST(FilePatternTest, MatchesLikeTheDesktopSearch) {
  struct Case {
    const char* name;
    const char* pattern;
    bool expected;
  } cases[] = {
      {"readme", "*.*", true},       {"a.txt", "*.TXT", true},  {"a.txt", "*.dbf", false},
      {"abc", "a?c", true},          {"ac", "a?c", false},      {"a.b.c", "*.c", true},
      {"x", "*", true},              {"", "*", true},           {"abc", "abc", true},
      {"abcd", "abc", false},        {"aXbXc", "a*b*c", true},  {"acb", "a*b*c", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.expected) << c.name << " ~ " << c.pattern;
}

TEST_F(FileSystemTest, FindEntriesReportsNamesSizesAndAttributes) {
  Write("b.txt", "12345");
  Write(".hidden", "x");
  Write("ro.txt", "r");
  chmod((Dir + "/ro.txt").c_str(), 0444);
  fs::create_directory(Dir + "/sub");
  ASSERT_EQ(mkfifo((Dir + "/pipe").c_str(), 0600), 0);
  fs::create_symlink(Dir + "/b.txt", Dir + "/link");

  auto entries = FindEntries(Dir, "*.*");
  std::vector<std::string> names;
  for (auto& e : entries) names.push_back(e.Name);
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "b.txt", "link", "pipe", "ro.txt", "sub"}));

  auto attr = [&](const std::string& n) {
    for (auto& e : entries)
      if (e.Name == n) return e.Attr;
    return -1;
  };
  EXPECT_EQ(attr("b.txt") & (faReadOnly | faHidden | faSysFile | faDirectory), 0);
  EXPECT_TRUE(attr(".hidden") & faHidden);
  EXPECT_TRUE(attr("ro.txt") & faReadOnly);
  EXPECT_TRUE(attr("sub") & faDirectory);
  EXPECT_TRUE(attr("pipe") & faSysFile);
  EXPECT_TRUE(attr("link") & faSymLink);
  EXPECT_FALSE(attr("link") & faSysFile) << "a link to a regular file counts as that file";
  EXPECT_EQ(entries[1].Size, 5);

  auto txt = FindEntries(Dir, "*.txt");
  ASSERT_EQ(txt.size(), 2u);
  EXPECT_TRUE(FindEntries(Dir + "/missing", "*").empty());
}

TEST_F(FileSystemTest, FileTimesRoundTripInLocalTime) {
  Write("t", "x");
  // 2021-03-04 05:06:08 local time.
  TDateTime when = 44259.0 + (5 * 3600 + 6 * 60 + 8) / 86400.0;
  ASSERT_TRUE(SetFileModificationTime(Dir + "/t", when));
  TSearchRec info;
  ASSERT_TRUE(GetFileInfo(Dir + "/t", info));
  EXPECT_NEAR(info.Time, when, 0.5 / 86400);
  EXPECT_EQ(FileTimeToDateTime(DateTimeToFileTime(when)), info.Time);
}

TEST_F(FileSystemTest, OpenReadRefusesSpecialFilesWithoutBlocking) {
  ASSERT_EQ(mkfifo((Dir + "/pipe").c_str(), 0600), 0);
  EXPECT_THROW(TFileHandle::OpenRead(Dir + "/pipe"), EInOutError);
  EXPECT_THROW(TFileHandle::OpenRead(Dir), EInOutError);
  EXPECT_THROW(TFileHandle::OpenRead(Dir + "/none"), EInOutError);
}

TEST_F(FileSystemTest, ReplaceFileSwapsContentsAndLeavesNoTemporary) {
  Write("target", "old");
  TFileHandle f;
  AnsiString temp = CreateTempFile(Dir, "MOX", f);
  EXPECT_EQ(temp.rfind(Dir + "/MOX", 0), 0u);
  f.Write("new!", 4);
  f.Close();
  ReplaceFile(temp, Dir + "/target");
  std::ifstream in(Dir + "/target");
  std::string s((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(s, "new!");
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_THROW(ReplaceFile(Dir + "/gone", Dir + "/target"), EInOutError);
}

TEST_F(FileSystemTest, CreateDirectoryChainAndAbsolutePath) {
  EXPECT_TRUE(CreateDirectoryChain(Dir + "/a/b/c"));
  EXPECT_TRUE(fs::is_directory(Dir + "/a/b/c"));
  Write("file", "x");
  EXPECT_FALSE(CreateDirectoryChain(Dir + "/file/sub"));
  EXPECT_EQ(AbsolutePath("/x//y/./z/../w/"), "/x/y/w");
  EXPECT_EQ(AbsolutePath("/.."), "/");
}

}  // namespace
