#include "ArchiveFixture.h"
#include "SplitMerge.h"

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> Keys(TZLBArchive& a) {
  std::vector<std::string> keys;
  for (int i = 0; i < a.FileCount(); ++i) keys.push_back(a.GetFileEntry(i).Key());
  return keys;
}

std::vector<std::string> TempLeftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("MOX", 0) == 0) names.push_back(e.path().filename());
  return names;
}

TEST_F(ArchiveTest, AddsNewFilesThenUpdatesExistingOnes) {
  WriteAll(Dir / "a.txt", "one");
  WriteAll(Dir / "b.txt", "two");
  TZLBArchive a;
  Prepare(a);
  a.SavePaths = false;
  a.CreateArchive(Path("arc.mox"));
  a.AddFiles({Path("a.txt")});
  WriteAll(Dir / "a.txt", "changed");
  a.AddFiles({Path("a.txt"), Path("b.txt")});
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"a.txt", "b.txt"}));
  StringSink sink;
  a.ExtractToStream(0, sink);
  EXPECT_EQ(sink.Data, "changed");
  EXPECT_EQ(a.FindEntry("A.TXT"), 0) << "keys ignore case";
  EXPECT_EQ(a.FindEntry("\\any\\dir\\b.txt"), 1) << "without paths a lookup compares the name";
}

TEST_F(ArchiveTest, RefreshSameOrOlderKeepsNewerMembers) {
  WriteAll(Dir / "f.txt", "v1");
  SetFileModificationTime(Path("f.txt"), 44000.5);
  TZLBArchive a;
  Prepare(a);
  a.CreateArchive(Path("arc.mox"));
  a.AddFiles({Path("f.txt")});
  WriteAll(Dir / "f.txt", "v2");
  SetFileModificationTime(Path("f.txt"), 43000.5);
  a.RefreshSameOrOlder = true;
  a.UpdateFiles({Path("f.txt"), Path("missing.txt")});
  StringSink sink;
  a.ExtractToStream(0, sink);
  EXPECT_EQ(sink.Data, "v1") << "the member is later than its file";
  SetFileModificationTime(Path("f.txt"), 44000.5);
  a.UpdateFiles({Path("f.txt")});
  sink.Data.clear();
  a.ExtractToStream(0, sink);
  EXPECT_EQ(sink.Data, "v2") << "same date replaces";
}

TEST_F(ArchiveTest, DeleteRenameAndPasswordEntry) {
  WriteAll(Dir / "src/x.dbf", "x");
  WriteAll(Dir / "src/y.txt", "y");
  TZLBArchive a;
  Prepare(a);
  a.Password = "  Secret ";
  a.CreateArchive(Path("arc.mox"));
  a.AddMask(Path("src/*.*"));
  EXPECT_FALSE(fs::exists(Dir / "moxarpwdSecret")) << "the password file is removed again";
  ASSERT_EQ(a.FileCount(), 3);
  EXPECT_TRUE(a.CheckPassword());
  a.Password = "secret";
  EXPECT_TRUE(a.CheckPassword()) << "the password ignores case";
  a.Password = "other";
  EXPECT_FALSE(a.CheckPassword());
  a.AddMask(Path("src/*.none"));
  EXPECT_EQ(a.FileCount(), 4) << "a second password opens too";

  a.DeleteMask("*");
  EXPECT_EQ(a.FileCount(), 2) << "masks never select the password entries";
  a.CloseArchive();

  TZLBArchive b;
  Prepare(b);
  b.OpenArchive(Path("arc.mox"));
  b.Password = "secret";
  EXPECT_TRUE(b.CheckPassword());
}

TEST_F(ArchiveTest, RenameGivesNewNameAndPath) {
  WriteAll(Dir / "f.txt", "data");
  TZLBArchive a;
  Prepare(a);
  a.SavePaths = false;
  a.CreateArchive(Path("arc.mox"));
  a.AddFiles({Path("f.txt")});
  a.RenameEntry("f.txt", "g.txt");
  EXPECT_EQ(Keys(a), std::vector<std::string>{"\\g.txt"}) << "no directory becomes \\";
  a.SavePaths = true;
  a.RenameEntry("\\g.txt", "\\new\\dir\\h.txt");
  EXPECT_EQ(Keys(a), std::vector<std::string>{"\\new\\dir\\h.txt"});
  a.RenameEntry("\\nothing", "z");
  a.RenameEntry("\\new\\dir\\h.txt", "");
  EXPECT_EQ(Keys(a), std::vector<std::string>{"\\new\\dir\\h.txt"}) << "an empty new name is refused";
  StringSink sink;
  a.ExtractToStream(0, sink);
  EXPECT_EQ(sink.Data, "data");
}

TEST_F(ArchiveTest, ExtractionPathRules) {
  const std::string arc = BuildArchive({PasswordMember(), StoredMember("\\Data\\DB\\Sub\\", "a.txt", "A"),
                                        StoredMember("\\other\\", "b.txt", "B"), StoredMember("", "c.txt", "C")});
  WriteAll(Dir / "arc.mox", arc);
  struct Case {
    std::string name;
    bool withPath;
    std::string behind;
    int lowLevel;
    std::vector<std::string> files;
  } cases[] = {
      {"flat", false, "", -1, {"a.txt", "b.txt", "c.txt"}},
      {"with paths, lower-cased", true, "", -1, {"c.txt", "data/db/sub/a.txt", "other/b.txt"}},
      {"behind folder", true, "DB", -1, {"sub/a.txt"}},
      {"low level 0", true, "", 0, {"c.txt"}},
      {"low level 1", true, "", 1, {"c.txt", "other/b.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Dir / "out");
    TZLBArchive a;
    Prepare(a);
    a.ExtractWithPath = c.withPath;
    a.ExtractBehindFoolder = c.behind;
    a.SubDirLowLevel = c.lowLevel;
    a.OpenArchive(Path("arc.mox"));
    a.ExtractMatching(Path("out"), "");
    std::vector<std::string> files;
    for (auto& e : fs::recursive_directory_iterator(Dir / "out"))
      if (e.is_regular_file()) files.push_back(fs::relative(e.path(), Dir / "out").string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.files);
  }
}

TEST_F(ArchiveTest, ReplaceQuestionAndRefreshOnExtract) {
  WriteAll(Dir / "arc.mox", BuildArchive({PasswordMember(), [] {
                                            auto m = StoredMember("", "f.txt", "archived");
                                            m.Entry.Date = 44000.0;
                                            return m;
                                          }()}));
  WriteAll(Dir / "out/f.txt", "existing");
  TZLBArchive a;
  Prepare(a);
  a.OpenArchive(Path("arc.mox"));
  std::vector<std::string> asked;
  a.OnReplaceFile = [&](const AnsiString& f, bool& replace) {
    asked.push_back(f);
    EXPECT_FALSE(replace);
  };
  a.ExtractFile(Path("out"), "f.txt");
  EXPECT_EQ(ReadAll(Dir / "out/f.txt"), "existing");
  EXPECT_EQ(asked, std::vector<std::string>{Path("out/f.txt")});
  EXPECT_EQ(Out.str(), "Extracting " + Path("out/f.txt") + "\n") << "the line is written even when declined";

  a.OnReplaceFile = nullptr;
  a.RefreshSameOrOlder = true;
  SetFileModificationTime(Path("out/f.txt"), 45000.0);
  a.ExtractFile(Path("out"), "f.txt");
  EXPECT_EQ(ReadAll(Dir / "out/f.txt"), "existing") << "a newer file stays";
  SetFileModificationTime(Path("out/f.txt"), 43000.0);
  a.ExtractFile(Path("out"), "f.txt");
  EXPECT_EQ(ReadAll(Dir / "out/f.txt"), "archived");
}

// Hostile names and paths and links in the destination never lead outside it.
TEST_F(ArchiveTest, ExtractionStaysInsideTheDestination) {
  fs::create_directories(Dir / "elsewhere");
  struct Case {
    std::string name, path, member;
    bool expectUnsafe;
  } cases[] = {
      {"dotdot name", "", "..\\x", true},
      {"dotdot path", "\\a\\..\\..\\", "x", true},
      {"root dotdot", "\\..", "x", true},
      {"empty name", "\\p\\", "", true},
      {"slash in name", "", "a/../../x", true},
      {"link dir", "\\sub\\", "x", true},
      {"link file", "", "f", true},
      {"long name", "", std::string(255, 'n'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Dir / "dest");
    fs::create_directories(Dir / "dest");
    fs::create_directory_symlink(Dir / "elsewhere", Dir / "dest/sub");
    fs::create_symlink(Dir / "elsewhere/f", Dir / "dest/f");
    WriteAll(Dir / "arc.mox", BuildArchive({PasswordMember(), StoredMember(c.path, c.member, "payload")}));
    TZLBArchive a;
    Prepare(a);
    a.ExtractWithPath = true;
    a.OpenArchive(Path("arc.mox"));
    Out.str("");
    a.ExtractMatching(Path("dest"), "");
    EXPECT_TRUE(fs::is_empty(Dir / "elsewhere"));
    EXPECT_FALSE(fs::exists(Dir / "x"));
    if (c.expectUnsafe) {
      EXPECT_EQ(Out.str(), "Unsafe path skipped: " + c.path + c.member + "\n");
      EXPECT_EQ(a.Failures(), 1);
    } else {
      EXPECT_EQ(ReadAll(Dir / "dest" / c.member), "payload");
    }
  }
}

TEST_F(ArchiveTest, SpecialFilesAndTheArchiveItselfAreNotAdded) {
  WriteAll(Dir / "src/a.txt", "a");
  ASSERT_EQ(mkfifo(Path("src/pipe").c_str(), 0600), 0);
  TZLBArchive a;
  Prepare(a);
  a.SavePaths = false;
  a.CreateArchive(Path("src/arc.mox"));
  a.AddMask(Path("src/*.*"));
  a.AddMask(Path("src/*.*"));
  EXPECT_EQ(Keys(a), (std::vector<std::string>{"a.txt", "moxarpwd"}));
  EXPECT_EQ(Errors, (std::vector<std::string>{"Unable to open file (" + Path("src/pipe") + ")",
                                              "Unable to open file (" + Path("src/pipe") + ")"}));
}

TEST_F(ArchiveTest, FilesOfTwoGigabytesAreRefused) {
  {
    TFileHandle big = TFileHandle::Create(Path("big.bin"));
    big.Truncate(int64_t(1) << 31);  // sparse: no disk space used
  }
  WriteAll(Dir / "small.txt", "small");
  TZLBArchive a;
  Prepare(a);
  a.SavePaths = false;
  a.CreateArchive(Path("arc.mox"));
  a.AddFiles({Path("big.bin"), Path("small.txt")});
  EXPECT_EQ(Keys(a), std::vector<std::string>{"small.txt"});
  std::string msg = "File too large for an archive, 2 GB or more (" + Path("big.bin") + ")";
  EXPECT_EQ(Errors, std::vector<std::string>{msg});
  EXPECT_NE(Out.str().find(msg + "\n"), std::string::npos);
}

// A rewrite that fails at any point leaves the old archive byte for byte and no
// temporary file; the archive keeps its permission bits.
TEST_F(ArchiveTest, FailedRewriteKeepsTheOldArchive) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += std::to_string(i * 7919 % 10007) + ",";
  WriteAll(Dir / "src/one.txt", text);
  WriteAll(Dir / "src/two.txt", text + text);
  {
    TZLBArchive a;
    Prepare(a);
    a.CreateArchive(Path("arc.mox"));
    a.AddFiles({Path("src/one.txt")});
  }
  chmod(Path("arc.mox").c_str(), 0640);
  const std::string before = ReadAll(Dir / "arc.mox");
  for (rlim_t limit : {rlim_t(0), rlim_t(100), rlim_t(before.size() / 2), rlim_t(before.size() + 10),
                       rlim_t(before.size() + 3000)}) {
    SCOPED_TRACE(limit);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit rl{limit, limit};
      setrlimit(RLIMIT_FSIZE, &rl);
      TZLBArchive a;
      std::ostringstream sink;
      a.Console = &sink;
      try {
        a.OpenArchive(Path("arc.mox"));
        a.AddFiles({Path("src/two.txt")});
      } catch (const EArchiveError&) {
        _exit(3);
      }
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the failure is reported";
    EXPECT_EQ(ReadAll(Dir / "arc.mox"), before);
    EXPECT_TRUE(TempLeftovers(Dir).empty());
  }
  TZLBArchive a;
  Prepare(a);
  a.OpenArchive(Path("arc.mox"));
  a.AddFiles({Path("src/two.txt")});
  EXPECT_EQ(a.FileCount(), 2);
  EXPECT_EQ(FilePermissions(Path("arc.mox")), 0640);
  EXPECT_TRUE(TempLeftovers(Dir).empty());
}

TEST(WildcardMatch, MatchesKeysAsSpecified) {
  struct Case {
    const char* text;
    const char* pattern;
    bool expected;
  } cases[] = {
      {"\\db\\x.dbf", "*.dbf", true},  {"\\db\\sub\\y", "\\db\\*", true}, {"x.dbf", "x.dbf", true},
      {"\\db\\x.dbf", "x.dbf", false}, {"ABC", "a?c", true},              {"abc", "", false},
      {"", "*", true},                 {"a", "a*", true},                 {"a", "a**", false},
      {"ab", "a**", true},             {"abc", "a*c*", true},             {"abd", "a*c", false},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*a*a*c", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TZLBArchive::WildcardMatch(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;
  EXPECT_FALSE(TZLBArchive::MatchesMask("\\dir\\moxarpwdX", "*"));
  EXPECT_FALSE(TZLBArchive::MatchesMask("a", "  "));
}

class SplitTest : public ArchiveTest {};

TEST_F(SplitTest, SplitAndMergeRoundTrip) {
  struct Case {
    size_t length;
    int64_t size;
    int parts;
    size_t lastPart;
  } cases[] = {{0, 100, 1, 20}, {50, 100, 1, 70}, {180, 100, 2, 100}, {181, 100, 3, 1}, {1000, 21, 49, 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    std::string data(c.length, '\0');
    for (size_t i = 0; i < c.length; ++i) data[i] = char(i * 31);
    WriteAll(Dir / "f.dat", data);
    std::ostringstream out;
    ASSERT_TRUE(SplitFile(Path("f.dat"), c.size, out));
    EXPECT_EQ(out.str(), "Begin Split " + Path("f.dat") + "\nEnd   Split " + Path("f.dat") + "    " +
                             std::to_string(c.parts) + " files\n");
    EXPECT_EQ(ReadAll(Dir / "f.dat").substr(0, 20), SplitHeader(c.parts));
    EXPECT_EQ(ReadSplitCount(Path("f.dat")), c.parts);
    EXPECT_FALSE(fs::exists(Dir / "f.dat0"));
    std::string last = c.parts == 1 ? Path("f.dat") : Path("f.dat" + std::to_string(c.parts - 1));
    EXPECT_EQ(fs::file_size(last), c.lastPart);
    EXPECT_FALSE(fs::exists(Dir / ("f.dat" + std::to_string(c.parts))));
    out.str("");
    ASSERT_TRUE(MergeFile(Path("f.dat"), out));
    EXPECT_EQ(ReadAll(Dir / "f.dat"), data);
    for (int k = 0; k <= c.parts; ++k) EXPECT_FALSE(fs::exists(Dir / ("f.dat" + std::to_string(k))));
  }
}

TEST_F(SplitTest, FailuresChangeNothing) {
  std::string data(500, 'x');
  WriteAll(Dir / "f.dat", data);
  std::ostringstream out;
  EXPECT_FALSE(SplitFile(Path("f.dat"), 20, out));
  EXPECT_EQ(out.str(), "Split size must be more than 20 bytes\n");
  EXPECT_FALSE(SplitFile(Path("none"), 100, out));

  // A part that cannot be written: the original stays, the written parts go.
  fs::create_directory(Dir / "f.dat2");
  out.str("");
  EXPECT_FALSE(SplitFile(Path("f.dat"), 100, out));
  EXPECT_EQ(ReadAll(Dir / "f.dat"), data);
  EXPECT_FALSE(fs::exists(Dir / "f.dat0"));
  EXPECT_FALSE(fs::exists(Dir / "f.dat1"));
  fs::remove(Dir / "f.dat2");

  // A missing middle part: the first part gets its name back, the others stay.
  ASSERT_TRUE(SplitFile(Path("f.dat"), 100, out));
  const std::string first = ReadAll(Dir / "f.dat");
  fs::remove(Dir / "f.dat3");
  out.str("");
  EXPECT_FALSE(MergeFile(Path("f.dat"), out));
  EXPECT_EQ(out.str(), "Begin Merging " + Path("f.dat") + "     6 files\nError, split files count\n");
  EXPECT_EQ(ReadAll(Dir / "f.dat"), first);
  EXPECT_TRUE(fs::exists(Dir / "f.dat4"));

  WriteAll(Dir / "plain", "not split at all, long enough");
  out.str("");
  EXPECT_TRUE(MergeFile(Path("plain"), out));
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(ReadAll(Dir / "plain"), "not split at all, long enough");
}

}  // namespace
