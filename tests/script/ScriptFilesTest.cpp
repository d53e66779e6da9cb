// The script file functions over a real temporary file.
#include "ScriptAppFixture.h"

namespace {

class ScriptFilesTest : public ScriptAppTest {
protected:
  void TearDown() override {
    Eval("CLOSEFILE");
    ScriptAppTest::TearDown();
  }
  // Opens a file holding the bytes.
  void OpenWith(const std::string& bytes) {
    WriteAll(PathOf("f.txt"), bytes);
    ASSERT_EQ(Eval("OPENFILE('" + PathOf("f.txt") + "')"), "TRUE");
  }
};

TEST_F(ScriptFilesTest, ErrorValuesWithoutAnOpenFile) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"EOF", "TRUE"}, {"FILEPOS", "-1"}, {"FILESIZE", "0"}, {"SEEK(0)", "FALSE"},
      {"WRITE('x')", "FALSE"}, {"WRITELN('x')", "FALSE"}, {"CLOSEFILE", "FALSE"},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(Eval(text), value) << text;
  EXPECT_NE(ErrorOf("READLN"), "<no error>");
  EXPECT_NE(ErrorOf("READ(3)"), "<no error>");
  EXPECT_EQ(Eval("OPENFILE('" + PathOf("missing.txt") + "')"), "FALSE");
  EXPECT_NE(ErrorOf("CREATEFILE('" + PathOf("no/such/dir.txt") + "')"), "<no error>");
}

TEST_F(ScriptFilesTest, LinesEndInCrLfCrOrTheEndOfTheFile) {
  struct TCase {
    std::string Bytes;
    std::vector<std::pair<std::string, int>> Lines;  // line and position after it
  };
  const std::vector<TCase> cases = {
      {"a\r\n\r\nb", {{"a", 3}, {"", 5}, {"b", 6}, {"", 6}}},
      {"x\ry\rz", {{"x", 2}, {"y", 4}, {"z", 5}, {"", 5}}},
      // A CR LF anywhere in the data read wins over a lone CR before it.
      {"b\rc\r\nd", {{"b\rc", 5}, {"d", 6}}},
  };
  for (const TCase& c : cases) {
    OpenWith(c.Bytes);
    for (const auto& [line, position] : c.Lines) {
      EXPECT_EQ(Eval("READLN"), line) << c.Bytes;
      EXPECT_EQ(Eval("FILEPOS"), std::to_string(position)) << c.Bytes << " after " << line;
    }
    EXPECT_EQ(Eval("EOF"), "TRUE") << c.Bytes;
  }
}

TEST_F(ScriptFilesTest, LongLinesAndZeroBytesStillProgress) {
  const std::string longLine(3000, 'x');
  OpenWith(longLine + "\r\nend" + std::string(1, '\0') + "more");
  EXPECT_EQ(Eval("READLN"), longLine.substr(0, 2560));
  EXPECT_EQ(Eval("FILEPOS"), "2560");
  EXPECT_EQ(Eval("READLN"), longLine.substr(2560));
  EXPECT_EQ(Eval("READLN"), "end");
  EXPECT_EQ(Eval("READLN"), "more");
  EXPECT_EQ(Eval("EOF"), "TRUE");
}

TEST_F(ScriptFilesTest, WriteSeekAndRead) {
  const std::string path = PathOf("w.txt");
  WriteAll(path, "old content");
  EXPECT_EQ(Eval("CREATEFILE('" + path + "')"), "FALSE");
  EXPECT_EQ(ReadAll(path), "");
  ASSERT_EQ(Eval("OPENFILE('" + path + "')"), "TRUE");
  const std::vector<std::pair<const char*, const char*>> steps = {
      {"WRITELN('one')", "TRUE"}, {"WRITE('two')", "TRUE"}, {"FILESIZE", "8"}, {"FILEPOS", "8"},
      {"EOF", "TRUE"}, {"SEEK(0)", "TRUE"}, {"EOF", "FALSE"}, {"READ(3)", "one"}, {"SEEK(5)", "TRUE"},
      {"READ(3)", "two"}, {"SEEK(6)", "TRUE"}, {"READ(4)", "wo"}, {"READ(0)", ""}, {"SEEK(-1)", "FALSE"},
      {"SEEK(99)", "FALSE"}, {"SEEK(3)", "TRUE"}, {"WRITE('!')", "TRUE"}, {"CLOSEFILE", "TRUE"},
  };
  for (const auto& [text, value] : steps) EXPECT_EQ(Eval(text), value) << text;
  EXPECT_EQ(ReadAll(path), "one!\ntwo");
}

TEST_F(ScriptFilesTest, ReadStopsAtAZeroByte) {
  OpenWith(std::string("ab\0cd", 5));
  EXPECT_EQ(Eval("READ(5)"), "ab");
  EXPECT_EQ(Eval("FILEPOS"), "5");
}

}  // namespace
