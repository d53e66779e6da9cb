// vorda --run and --check on program files, run as a process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

class VordaRun : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() / ("vorda_run_e2e_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  std::string Program(const std::string& name, const std::string& text) {
    const auto path = Dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  TRun Vorda(const std::vector<std::string>& args) {
    std::string command = "LC_ALL=C.UTF-8 " + Quoted(VORDA_PATH);
    for (const auto& arg : args) command += " " + Quoted(arg);
    command += " >" + Quoted((Dir / "out").string()) + " 2>" + Quoted((Dir / "err").string()) + " </dev/null";
    TRun run;
    const int status = std::system(command.c_str());
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = Slurp(Dir / "out");
    run.Err = Slurp(Dir / "err");
    return run;
  }

  std::filesystem::path Dir;

private:
  static std::string Quoted(const std::string& arg) {
    std::string result = "'";
    for (char c : arg) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
  }
  static std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

const char* const GoodProgram =
    "Procedure Main;\r\nbegin\r\n X,I TINTEGER;\r\n FOR I:=1 TO 10 DO X:=X+I;\r\n PROC Other;\r\nend;\r\n"
    "Procedure Other;\r\nbegin\r\n Y TINTEGER;\r\n Y:=2*3;\r\nend;\r\n";

TEST_F(VordaRun, GoodProgramRunsAndChecksCleanly) {
  const std::string file = Program("good.pr", GoodProgram);
  TRun check = Vorda({"--check", file});
  EXPECT_EQ(check.ExitCode, 0) << check.Err;
  EXPECT_EQ(check.Err, "");
  TRun run = Vorda({"--run", file});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  // A named procedure runs instead of MAIN.
  TRun other = Vorda({"--run", file, "Other"});
  EXPECT_EQ(other.ExitCode, 0) << other.Err;
}

TEST_F(VordaRun, CheckReportsTheErrorLine) {
  const std::string file = Program("bad.pr", "Procedure Main;\r\nbegin\r\n X:=1;\r\n X:=;\r\nend;\r\n");
  TRun check = Vorda({"--check", file});
  EXPECT_EQ(check.ExitCode, 1);
  EXPECT_NE(check.Err.find("Error at line: "), std::string::npos) << check.Err;
}

TEST_F(VordaRun, RuntimeErrorAsksToStopAndFails) {
  const std::string file = Program("fails.pr", "Procedure Main;\r\nbegin\r\n X:=1 DIV 0;\r\n Y:=2;\r\nend;\r\n");
  TRun run = Vorda({"--run", file});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("Do you want to stop program ?"), std::string::npos) << run.Err;
}

TEST_F(VordaRun, MissingProcedureOrFileFails) {
  const std::string file = Program("good.pr", GoodProgram);
  EXPECT_NE(Vorda({"--run", file, "Nowhere"}).ExitCode, 0);
  EXPECT_NE(Vorda({"--run", (Dir / "absent.pr").string()}).ExitCode, 0);
}

}  // namespace
