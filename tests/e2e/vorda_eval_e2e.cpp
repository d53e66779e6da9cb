// The vorda program's command-line evaluator, run as a process.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRun {
  int ExitCode = -1;
  std::string Out, Err;
};

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ShellQuoted(const std::string& arg) {
  std::string result = "'";
  for (char c : arg) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

TRun RunVorda(const std::vector<std::string>& args) {
  const auto dir = std::filesystem::temp_directory_path() / ("vorda_e2e_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string command = std::string("LC_ALL=C.UTF-8 ") + ShellQuoted(VORDA_PATH);
  for (const auto& arg : args) command += " " + ShellQuoted(arg);
  command += " >" + ShellQuoted((dir / "out").string()) + " 2>" + ShellQuoted((dir / "err").string());
  TRun run;
  const int status = std::system(command.c_str());
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Out = Slurp(dir / "out");
  run.Err = Slurp(dir / "err");
  std::filesystem::remove_all(dir);
  return run;
}

TEST(VordaEval, PrintsValueTabAndTypeName) {
  const TRun run = RunVorda({"--eval", "7 / 2", "2 ^ 3", "1 = 1", "'a' + 1", "UPPER('x')"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "3.5\tDouble\n8\tDouble\nTRUE\tBoolean\na1\tString\nX\tString\n");
  EXPECT_EQ(run.Err, "");
}

TEST(VordaEval, ExpressionsShareOneVariableStore) {
  const TRun run = RunVorda({"--eval", "VARADD('X', 'I')", "X := X + 41", "X + 1"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "TRUE\tBoolean\nTRUE\tBoolean\n42\tInteger\n");
}

TEST(VordaEval, AnErrorIsReportedAndTheRestStillRuns) {
  const TRun run = RunVorda({"--eval", "1 +", "'ok'", "-2 ^ 2"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Out, "ok\tString\n");
  EXPECT_EQ(run.Err, "error: Unexpected end of factor\nerror: Invalid floating point operation\n");
}

TEST(VordaEval, TextsCrossTheConsoleAsUtf8) {
  const TRun run = RunVorda({"--eval", "UPPER('\xc3\xa9t\xc3\xa9')", "LENGTH('\xc3\xa9')"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "\xc3\x89T\xc3\x89\tString\n1\tInteger\n") << "one byte per character inside";
}

TEST(VordaEval, HelpAndUnknownOptions) {
  const TRun help = RunVorda({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Out.find("vorda --eval EXPR [EXPR ...]"), std::string::npos) << help.Out;
  const TRun unknown = RunVorda({"--nosuch"});
  EXPECT_EQ(unknown.ExitCode, 2);
  EXPECT_NE(unknown.Err.find("unknown option --nosuch"), std::string::npos) << unknown.Err;
}

}  // namespace
