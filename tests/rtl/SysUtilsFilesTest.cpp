// File names on native paths and the file functions, with names in the code
// page that the disk stores as UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SysUtilsTestSupport.h"

namespace {

namespace fs = std::filesystem;

TEST(SysUtilsFileNames, SplittingTable) {
  struct Row { const char* path; const char* name; const char* dirWith; const char* dir; const char* ext; };
  const Row rows[] = {
      {"/home/u/report.rp", "report.rp", "/home/u/", "/home/u", ".rp"},
      {"report.rp", "report.rp", "", "", ".rp"},
      {"/report", "report", "/", "/", ""},
      {"/home/u/", "", "/home/u/", "/home/u", ""},
      {"a.b/c", "c", "a.b/", "a.b", ""},
      {"a/b.tar.gz", "b.tar.gz", "a/", "a", ".gz"},
      {"a/file.", "file.", "a/", "a", "."},
      {"", "", "", "", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ExtractFileName(r.path), r.name) << r.path;
    EXPECT_EQ(ExtractFilePath(r.path), r.dirWith) << r.path;
    EXPECT_EQ(ExtractFileDir(r.path), r.dir) << r.path;
    EXPECT_EQ(ExtractFileExt(r.path), r.ext) << r.path;
  }
}

TEST(SysUtilsFileNames, ChangeExtAndTrailingDelimiter) {
  EXPECT_EQ(ChangeFileExt("/a/report.rp", ".pr"), "/a/report.pr");
  EXPECT_EQ(ChangeFileExt("/a/report", ".pr"), "/a/report.pr");
  EXPECT_EQ(ChangeFileExt("/a.d/report", ".pr"), "/a.d/report.pr");
  EXPECT_EQ(ChangeFileExt("x.tar.gz", ""), "x.tar");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

class SysUtilsFiles : public TNeutralSettings {
protected:
  void SetUp() override {
    TNeutralSettings::SetUp();
    char pattern[] = "/tmp/sysutils-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FDir = pattern;
    FOldCwd = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(FOldCwd);
    fs::remove_all(FDir);
  }
  AnsiString Dir() const { return IncludeTrailingPathDelimiter(FDir.string()); }

  fs::path FDir, FOldCwd;
};

TEST_F(SysUtilsFiles, NamesInTheCodePageAreUtf8OnDisk) {
  const AnsiString name = Dir() + "caf\xE9.txt";  // café in Windows-1252
  std::ofstream(FDir / "caf\xC3\xA9.txt") << "x";
  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(FileExists(Dir() + "cafe.txt"));
  EXPECT_FALSE(FileExists(Dir()));
  EXPECT_TRUE(DirectoryExists(Dir()));
  EXPECT_FALSE(DirectoryExists(name));

  const AnsiString renamed = Dir() + "\x80uro.txt";
  EXPECT_TRUE(RenameFile(name, renamed));
  EXPECT_TRUE(fs::exists(FDir / "\xE2\x82\xACuro.txt"));
  EXPECT_TRUE(DeleteFile(renamed));
  EXPECT_FALSE(FileExists(renamed));
  EXPECT_FALSE(DeleteFile(renamed));
}

TEST_F(SysUtilsFiles, RenameNeverReplacesAndDeleteLeavesDirectories) {
  std::ofstream(FDir / "a") << "a";
  std::ofstream(FDir / "b") << "b";
  EXPECT_FALSE(RenameFile(Dir() + "a", Dir() + "b"));
  EXPECT_FALSE(RenameFile(Dir() + "missing", Dir() + "c"));
  std::ifstream in(FDir / "b");
  std::string content;
  in >> content;
  EXPECT_EQ(content, "b");
  fs::create_directory(FDir / "sub");
  EXPECT_FALSE(DeleteFile(Dir() + "sub"));
  EXPECT_TRUE(DirectoryExists(Dir() + "sub"));
}

TEST_F(SysUtilsFiles, ForceDirectoriesAndCurrentDir) {
  const AnsiString deep = Dir() + "x/\xE9t\xE9/z/";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(fs::is_directory(FDir / "x" / "\xC3\xA9t\xC3\xA9" / "z"));
  EXPECT_TRUE(ForceDirectories(deep));
  std::ofstream(FDir / "file") << "x";
  EXPECT_FALSE(ForceDirectories(Dir() + "file/sub"));

  EXPECT_TRUE(SetCurrentDir(Dir() + "x/\xE9t\xE9"));
  EXPECT_EQ(GetCurrentDir(), fs::canonical(FDir).string() + "/x/\xE9t\xE9");
  EXPECT_FALSE(SetCurrentDir(Dir() + "missing"));
}

TEST_F(SysUtilsFiles, FileAgeIsTheLocalModificationTime) {
  TTimeZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  const fs::path file = FDir / "dated";
  std::ofstream(file) << "x";
  // 2000-07-01 00:00:00.250 UTC is 02:00:00.250 summer time in Central Europe.
  const timespec times[2] = {{962409600, 250000000}, {962409600, 250000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  const TDateTime age = FileAgeDateTime(Dir() + "dated");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", age), "2000-07-01 02:00:00.250");
  EXPECT_EQ(FileAgeDateTime(Dir() + "missing"), -1);
}

}  // namespace
