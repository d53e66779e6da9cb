#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Process.h"

namespace fs = std::filesystem;

namespace {

class ProcessTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/process-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(Dir, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Dir, ec);
  }
  std::string Path(const std::string& name) const { return Dir + "/" + name; }
  void WriteFile(const std::string& name, const std::string& text, fs::perms perms = fs::perms::owner_read | fs::perms::owner_write) {
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name)) << text;
    fs::permissions(Path(name), perms);
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // A program that writes each of its arguments on a line of args.txt beside it.
  std::string MakeHelper(const std::string& name) {
    WriteFile(name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\n",
              fs::perms::owner_all);
    return Path(name);
  }
  std::string Dir;
};

TEST(CommandLine, SplitsByTheDesktopRules) {
  struct Case {
    const char* line;
    std::vector<AnsiString> args;
  } cases[] = {
      {"prog a b", {"prog", "a", "b"}},
      {"  prog\t a   b  ", {"prog", "a", "b"}},
      {"\"my dir/prog\" \"a b\" c", {"my dir/prog", "a b", "c"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog a\\\"b", {"prog", "a\"b"}},
      {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
      {"prog a\\b\\\\c", {"prog", "a\\b\\\\c"}},
      {"prog \"say \"\"hi\"\"\"", {"prog", "say \"hi\""}},
      {"C:\\tools\\prog.exe x", {"C:\\tools\\prog.exe", "x"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST_F(ProcessTest, ExeNamesFindTheLowerCaseExecutable) {
  std::string helper = MakeHelper("helper");
  EXPECT_EQ(FindProgramFile(Path("HELPER.exe")), helper);
  EXPECT_EQ(FindProgramFile(Path("helper")), helper);
  EXPECT_EQ(FindProgramFile(Path("other.exe")), "");
  AnsiString sh = FindProgramFile("sh");
  EXPECT_TRUE(sh.size() > 3 && sh.substr(sh.size() - 3) == "/sh" && ::access(sh.c_str(), X_OK) == 0) << sh;
  EXPECT_EQ(FindProgramFile("no-such-program-here.exe"), "");
}

TEST_F(ProcessTest, WaitsForTheProcessAndPassesArguments) {
  MakeHelper("helper");
  TProcessStart run = StartProcess("\"" + Path("Helper.exe") + "\" \"a b\" c\\\"d \"\"", true, false);
  ASSERT_TRUE(run.Started()) << run.Error;
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(ReadFile("args.txt"), "a b\nc\"d\n\n");
  EXPECT_EQ(StartProcess("/bin/sh -c \"exit 3\"", true, false).ExitCode, 3);
}

TEST_F(ProcessTest, StartFailuresGiveTheSystemErrorNumber) {
  EXPECT_EQ(StartProcess("no-such-program-here.exe x", true, false).Error, 2);
  EXPECT_EQ(StartProcess(Path("missing/PROG.exe"), true, false).Error, 2);
  EXPECT_EQ(StartProcess("", true, false).Error, 2);
  WriteFile("plain", "#!/bin/sh\n");
  EXPECT_EQ(StartProcess(Path("plain"), true, false).Error, EACCES);
}

TEST_F(ProcessTest, WithoutWaitReturnsWhileTheProcessRuns) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  TProcessStart run =
      StartProcess("/bin/sh -c \"read x < " + Path("fifo") + "; echo $x > " + Path("out") + "\"", false, false);
  ASSERT_TRUE(run.Started());
  EXPECT_FALSE(fs::exists(Path("out")));
  std::ofstream(Path("fifo")) << "released\n";  // the child blocks until this line arrives
  EXPECT_EQ(WaitForProcess(run.Pid), 0);
  EXPECT_EQ(ReadFile("out"), "released\n");
}

TEST_F(ProcessTest, HiddenProcessesGetNoConsole) {
  char own[PATH_MAX] = {};
  ASSERT_GT(::readlink("/proc/self/fd/2", own, sizeof own - 1), 0);
  for (bool show : {false, true}) {
    StartProcess("/bin/sh -c \"readlink /proc/self/fd/2 > " + Path("fd2") + "\"", true, show);
    EXPECT_EQ(ReadFile("fd2"), show ? std::string(own) + "\n" : "/dev/null\n") << show;
  }
}

TEST_F(ProcessTest, ChildrenInheritNoFurtherDescriptors) {
  int fd = ::open(Path("kept").c_str(), O_CREAT | O_WRONLY, 0600);  // not close-on-exec
  ASSERT_GE(fd, 3);
  StartProcess("/bin/sh -c \"ls /proc/$$/fd > " + Path("fds") + "\"", true, false);
  ::close(fd);
  EXPECT_EQ(ReadFile("fds").find(std::to_string(fd) + "\n"), std::string::npos) << ReadFile("fds");
}

TEST(ShellOpen, MailAddressesBecomeMailtoLinks) {
  struct Case {
    const char* text;
    const char* target;
  } cases[] = {
      {"someone@example.org", "mailto:someone@example.org"},
      {"mailto:someone@example.org", "mailto:someone@example.org"},
      {"https://example.org/@team", "https://example.org/@team"},
      {"https://example.org/", "https://example.org/"},
      {"/home/u/report.pdf", "/home/u/report.pdf"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShellOpenTarget(c.text), c.target) << c.text;
}

TEST_F(ProcessTest, OpenerReceivesTheLinkAsOneArgument) {
  std::string opener = MakeHelper("opener");
  ASSERT_TRUE(ShellOpenWith(opener, "someone@example.org", true).Started());
  EXPECT_EQ(ReadFile("args.txt"), "mailto:someone@example.org\n");
  std::string link = "https://example.org/a b;$(touch " + Path("pwned") + ")";
  ASSERT_TRUE(ShellOpenWith(opener, link, true).Started());
  EXPECT_EQ(ReadFile("args.txt"), link + "\n");
  EXPECT_FALSE(fs::exists(Path("pwned")));
}

TEST_F(ProcessTest, ClearDirectoryEmptiesTheTreeAndKeepsTheTop) {
  WriteFile("top/a.txt", "a");
  WriteFile("top/.hidden", "h");
  WriteFile("top/sub/deeper/ro.txt", "r", fs::perms::owner_read);
  fs::permissions(Path("top/sub/deeper"), fs::perms::owner_read | fs::perms::owner_exec);
  WriteFile("outside/keep.txt", "k");
  fs::create_directory_symlink(Path("outside"), Path("top/link"));
  fs::create_symlink(Path("outside/keep.txt"), Path("top/sub/filelink"));

  EXPECT_TRUE(ClearDirectoryTree(Path("top")));
  EXPECT_TRUE(fs::is_directory(Path("top")));
  EXPECT_TRUE(fs::is_empty(Path("top")));
  EXPECT_EQ(ReadFile("outside/keep.txt"), "k");
  EXPECT_EQ(fs::status(Path("outside/keep.txt")).permissions() & fs::perms::owner_write, fs::perms::owner_write);

  EXPECT_TRUE(ClearDirectoryTree(Path("top")));
  EXPECT_FALSE(ClearDirectoryTree(Path("nowhere")));
  WriteFile("file", "f");
  EXPECT_FALSE(ClearDirectoryTree(Path("file")));
}

}  // namespace
