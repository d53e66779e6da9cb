// Runs the built moxar program on temporary folders and compares its console lines,
// exit statuses and files.
#include "MoxarCommandLine.h"
#include "SplitMerge.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

namespace fs = std::filesystem;

namespace {

struct TResult {
  int Status = -1;
  std::string Out;
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void WriteAll(const fs::path& p, const std::string& data) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << data;
}

// 2021-03-04 05:06:08 UTC; the runs use TZ=UTC.
constexpr time_t FixedTime = 1614834368;

class MoxarE2E : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/moxare2eXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = pattern;
  }
  void TearDown() override { fs::remove_all(Dir); }

  void Fixture(const std::string& rel, const std::string& data) {
    WriteAll(Dir / rel, data);
    utimbuf t{FixedTime, FixedTime};
    utime((Dir / rel).c_str(), &t);
  }

  TResult Run(const std::vector<std::string>& args, const fs::path& cwd = fs::path()) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    pid_t pid = fork();
    if (pid == 0) {
      dup2(pipeFds[1], 1);
      close(pipeFds[0]);
      if (chdir((cwd.empty() ? Dir : cwd).c_str()) != 0) _exit(99);
      setenv("TZ", "UTC", 1);
      setenv("LC_ALL", "C", 1);
      std::vector<char*> argv{const_cast<char*>(MOXAR_PATH)};
      for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(MOXAR_PATH, argv.data());
      _exit(98);
    }
    close(pipeFds[1]);
    TResult r;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) r.Out.append(buf, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }

  std::string D() const { return Dir.string(); }
  // The key form of a folder below the test folder.
  std::string Key(const std::string& rel) const {
    std::string k = (Dir / rel).string();
    for (char& c : k)
      if (c == '/') c = '\\';
    return k;
  }

  fs::path Dir;
};

std::string Pad(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

TEST_F(MoxarE2E, UsageText) {
  std::string usage;
  for (const auto& line : MoxarUsage()) usage += line + "\n";
  EXPECT_EQ(MoxarUsage().size(), 47u);
  EXPECT_EQ(MoxarUsage()[0].rfind("MOXAR.exe, ver 1.2.1", 0), 0u);
  auto none = Run({});
  EXPECT_EQ(none.Out, usage);
  EXPECT_EQ(none.Status, 2);
  EXPECT_EQ(Run({"l"}).Status, 2);
  auto help = Run({"--help"});
  EXPECT_EQ(help.Out, usage);
  EXPECT_EQ(help.Status, 0);
}

TEST_F(MoxarE2E, AddListExtractWithPaths) {
  Fixture("src/a.txt", std::string(1000, 'a'));
  Fixture("src/sub/b.txt", "bb");
  Fixture("src/empty", "");
  auto add = Run({"a", "arc", "src/*.*"});
  EXPECT_EQ(add.Status, 0);
  std::string src = D() + "/src/";
  auto dots = [](const std::string& line, const std::string& pct) {
    std::string tail = " ";
    while (line.size() + tail.size() <= 73) tail += ".";
    return line + tail + " " + pct + "\n";
  };
  auto cut = [](std::string s) { return s.size() > 75 ? s.substr(s.size() - 75) : s; };
  EXPECT_EQ(add.Out, dots(cut("Adding " + src + "a.txt"), "1%") + dots(cut("Adding " + src + "empty"), "100%") +
                         dots(cut("Adding " + src + "sub/b.txt"), "100%"));
  ASSERT_TRUE(fs::exists(Dir / "arc.mox")) << "the .mox extension is added";

  auto list = Run({"l", "arc"});
  EXPECT_EQ(list.Status, 0);
  std::istringstream lines(list.Out);
  std::string header, l1, l2, l3;
  std::getline(lines, header);
  std::getline(lines, l1);
  std::getline(lines, l2);
  std::getline(lines, l3);
  EXPECT_EQ(header.substr(0, 21), "** ARCHIVED FILES 3, ");
  EXPECT_EQ(header.substr(42), " SIZE  pack to % Date      Time **");
  auto fit = [](std::string key) {
    while (key.size() > 42 && key.find('\\') != std::string::npos) key.erase(0, key.find('\\') + 1);
    if (key.size() > 42) key.erase(0, key.size() - 42);
    return Pad(key, 42);
  };
  EXPECT_EQ(l1, fit(Key("src/a.txt")) + " 1000         1% 04/03/2021 05:06:08");
  EXPECT_EQ(l2, fit(Key("src/empty")) + " 0          100% 04/03/2021 05:06:08");
  EXPECT_EQ(l3, fit(Key("src/sub/b.txt")) + " 2          100% 04/03/2021 05:06:08");

  EXPECT_EQ(Run({"l", "-i", "arc", "*.TXT"}).Out, Key("src/a.txt") + "\n" + Key("src/sub/b.txt") + "\n");

  auto x = Run({"x", "arc", "out"});
  EXPECT_EQ(x.Status, 0);
  // Stored paths are recreated in lower case.
  std::string lowered = D();
  for (char& c : lowered) c = char(std::tolower(static_cast<unsigned char>(c)));
  std::string out = D() + "/out" + lowered + "/src/";
  EXPECT_EQ(x.Out, "Extracting " + out + "a.txt\nExtracting " + out + "empty\nExtracting " + out + "sub/b.txt\n");
  EXPECT_EQ(ReadAll(Dir / ("out" + lowered) / "src/sub/b.txt"), "bb");

  auto e = Run({"e", D() + "/arc", ".", "*b.txt"}, Dir / "src/sub");
  EXPECT_EQ(e.Out, "Extracting " + D() + "/src/sub/b.txt\n") << "\".\" is the current folder";
}

TEST_F(MoxarE2E, PackWithoutPathsAndCheckWithPythonZlib) {
  std::mt19937 gen(5);
  std::string random(50000, '\0');
  for (auto& c : random) c = char(gen());
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "row " + std::to_string(i) + "\n";
  Fixture("tables/one.db", text);
  Fixture("tables/two.bin", random);
  Fixture("tables/three.txt", "3");
  for (const char* level : {"-f", "-d", "-m"}) {
    SCOPED_TRACE(level);
    fs::remove(Dir / "pack.mox");
    ASSERT_EQ(Run({"b", level, "pack.mox", "tables/*.*"}).Status, 0);
    std::string cmd = "python3 " MOXAR_CHECK_SCRIPT " " + D() + "/pack.mox " + D() + "/tables";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[256] = {};
    std::string result = fgets(buf, sizeof buf, p) ? buf : "";
    EXPECT_EQ(pclose(p), 0) << result;
    EXPECT_EQ(result, "OK 3\n");
  }
  EXPECT_EQ(Run({"l", "-i", "pack"}).Out, "one.db\nthree.txt\ntwo.bin\n");
  auto e = Run({"e", "pack", "unpacked"});
  EXPECT_EQ(e.Status, 0);
  EXPECT_EQ(ReadAll(Dir / "unpacked/two.bin"), random);
}

TEST_F(MoxarE2E, PasswordDeleteUpdateRename) {
  Fixture("d/x.dbf", "x");
  Fixture("d/y.dbf", "y");
  Fixture("d/z.txt", "z");
  ASSERT_EQ(Run({"a", "-pKey", "arc", "d/*.*"}).Status, 0);
  const std::string before = ReadAll(Dir / "arc.mox");

  auto wrong = Run({"d", "-pother", "arc", "*.dbf"});
  EXPECT_EQ(wrong.Out, "Invalid archive password: arc.mox\n");
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_EQ(ReadAll(Dir / "arc.mox"), before);
  EXPECT_EQ(Run({"l", "-i", "arc"}).Status, 1) << "no password is a wrong password too";

  auto del = Run({"d", "-pkey", "arc", "*.dbf"});
  EXPECT_EQ(del.Out, "Deleting " + Key("d/x.dbf") + "\nDeleting " + Key("d/y.dbf") + "\n");
  EXPECT_EQ(del.Status, 0);
  EXPECT_EQ(Run({"l", "-i", "-pkey", "arc"}).Out, Key("d/z.txt") + "\n");

  Fixture("d/z.txt", "new z");
  auto upd = Run({"u", "-pkey", "arc", "*Z.TXT"});
  EXPECT_EQ(upd.Out, "Updating " + D() + "/d/z.txt\n");
  auto ren = Run({"r", "-pkey", "arc", D() + "/d/Z.TXT", "Sub/New.TXT"});
  EXPECT_EQ(ren.Status, 0);
  EXPECT_EQ(Run({"l", "-i", "-pkey", "arc"}).Out, "sub\\new.txt\n") << "the new name is lower-cased";
  Run({"e", "-pkey", "arc", "out"});
  EXPECT_EQ(ReadAll(Dir / "out/new.txt"), "new z");
  auto cont = Run({"l", "-i", "-+", "arc"});
  EXPECT_EQ(cont.Out, "Invalid archive password: arc.mox\nsub\\new.txt\n");
  EXPECT_EQ(cont.Status, 1);
}

TEST_F(MoxarE2E, AddSwitchesSelectFiles) {
  Fixture("s/plain.txt", "p");
  Fixture("s/.hidden", "h");
  Fixture("s/ro.txt", "r");
  chmod((Dir / "s/ro.txt").c_str(), 0444);
  Fixture("s/skip.hlp", "w");
  Fixture("s/l1/one.txt", "1");
  Fixture("s/l1/l2/two.txt", "2");
  struct Case {
    std::vector<std::string> switches;
    std::string listing;
  } cases[] = {
      {{}, ".hidden\none.txt\nplain.txt\nro.txt\nskip.hlp\ntwo.txt\n"},
      {{"-h"}, "one.txt\nplain.txt\nro.txt\nskip.hlp\ntwo.txt\n"},
      {{"-r"}, ".hidden\none.txt\nplain.txt\nskip.hlp\ntwo.txt\n"},
      {{"-w*.HLP"}, ".hidden\none.txt\nplain.txt\nro.txt\ntwo.txt\n"},
      {{"-#0"}, ".hidden\nplain.txt\nro.txt\nskip.hlp\n"},
      {{"-#1"}, ".hidden\none.txt\nplain.txt\nro.txt\nskip.hlp\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.switches.empty() ? "none" : c.switches[0]);
    fs::remove(Dir / "sel.mox");
    std::vector<std::string> args{"b"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    args.insert(args.end(), {"sel", "s/*.*"});
    EXPECT_EQ(Run(args).Status, 0);
    std::string listing = Run({"l", "-i", "sel"}).Out;
    std::istringstream in(listing);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) names.push_back(line);
    std::sort(names.begin(), names.end());
    std::string sorted;
    for (auto& n : names) sorted += n + "\n";
    EXPECT_EQ(sorted, c.listing);
  }
}

TEST_F(MoxarE2E, CommandLineErrorsAndExitStatus) {
  Fixture("f.txt", "f");
  struct Case {
    std::vector<std::string> args;
    std::string out;
    int status;
  } cases[] = {
      {{"q", "arc"}, "Invalid command. Regular commands: a,b,e,x,u,d,l,r,s,m\nArchive not found arc.mox\n", 1},
      {{"a", "arc", "nodir/*.*"}, "Directory nodir not exists\n", 1},
      {{"a", "arc", "\\*.*"}, "Directory  not exists\n", 1},
      {{"l", "missing"}, "Archive not found missing.mox\n", 1},
      {{"l", "-i"}, "Invalid archive name\n", 1},
      {{"e", "missing", "out"}, "", 1},
      {{"a", "-#x", "arc", "f.txt"}, "'x' is not a valid integer value\n", 2},
      {{"s", "-@abc", "f.txt"}, "'abc' is not a valid integer value\n", 2},
      {{"s", "-@20", "f.txt"}, "Split size must be more than 20 bytes\n", 1},
      {{"m", "nothing"}, "File not found nothing.mox\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    auto r = Run(c.args);
    EXPECT_EQ(r.Out, c.out);
    EXPECT_EQ(r.Status, c.status);
  }
  EXPECT_FALSE(fs::exists(Dir / "arc.mox"));

  // A damaged archive ends the run silently with status 1 and stays as it was.
  WriteAll(Dir / "bad.mox", std::string(100, 'z'));
  auto bad = Run({"a", "bad.mox", "f.txt"});
  EXPECT_EQ(bad.Out, "");
  EXPECT_EQ(bad.Status, 1);
  EXPECT_EQ(ReadAll(Dir / "bad.mox"), std::string(100, 'z'));
}

TEST_F(MoxarE2E, SplitMergeAndSplitArchives) {
  Fixture("data/a.txt", std::string(5000, 'q'));
  ASSERT_EQ(Run({"b", "-f", "arc", "data/*.*"}).Status, 0);
  const std::string whole = ReadAll(Dir / "arc.mox");
  auto split = Run({"s", "-@1000", "arc.mox"});
  size_t parts = (whole.size() + 20 + 999) / 1000;
  EXPECT_EQ(split.Out, "Begin Split arc.mox\nEnd   Split arc.mox    " + std::to_string(parts) + " files\n");
  EXPECT_EQ(split.Status, 0);
  auto list = Run({"l", "-i", "arc"});
  EXPECT_EQ(list.Out, "Archive is split\nBegin Merging arc.mox     " + std::to_string(parts) +
                          " files\nEnd   Merging arc.mox     " + std::to_string(parts) + " files\na.txt\n");
  EXPECT_EQ(ReadAll(Dir / "arc.mox"), whole);

  Run({"s", "-f", "-@1000", "arc.mox"});
  EXPECT_EQ(ReadSplitCount((Dir / "arc.mox").string()), 1) << "-@ after another switch is not read";
  auto merge = Run({"m", "arc.mox"});
  EXPECT_EQ(merge.Out, "Begin Merging arc.mox     1 files\nEnd   Merging arc.mox     1 files\n");
  EXPECT_EQ(ReadAll(Dir / "arc.mox"), whole);
}

}  // namespace
