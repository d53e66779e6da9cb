// The start of the vorda program. For now it offers the command-line
// evaluator; the windows join later.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <vector>

#include "CodePage.h"
#include "ScriptCommands.h"
#include "prExpr.h"

namespace {

constexpr const char* Usage =
    "usage: vorda --eval EXPR [EXPR ...]\n"
    "       vorda --run PROGRAM.pr [PROCEDURE]\n"
    "       vorda --check PROGRAM.pr\n"
    "       vorda --help\n"
    "\n"
    "  --eval EXPR ...  evaluate each expression of the script language in order,\n"
    "                   sharing one set of variables (X := 1 assigns to a variable\n"
    "                   created with VARADD('X', 'I')). Prints one line per\n"
    "                   expression: the value, a tab and its type name. An error\n"
    "                   prints \"error: \" and the message on standard error and\n"
    "                   makes the exit code 1; the other expressions still run.\n"
    "  --run PROGRAM.pr [PROCEDURE]\n"
    "                   run a procedure (default MAIN) of a program text without\n"
    "                   windows. SHOWMESSAGE texts go to standard output, other\n"
    "                   messages and questions to standard error; the question\n"
    "                   \"Do you want to stop program ?\" is answered Yes. Exit code\n"
    "                   0 when the run ended normally, 1 when it failed or stopped.\n"
    "  --check PROGRAM.pr\n"
    "                   check the syntax of the whole program text; on an error\n"
    "                   print it with \"Error at line: N\" on standard error and\n"
    "                   exit with 1.\n"
    "  --help           show this text.\n";

void PrintLine(std::FILE* stream, const AnsiString& text) {
  const std::string utf8 = AnsiToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fputc('\n', stream);
}

// A value without run-time type information (an object) has no type name.
AnsiString TypeNameOf(IValue& value) {
  try {
    return value.ValueTypeName();
  } catch (const EExpression&) {
    return AnsiString();
  }
}

int EvaluateAll(const std::vector<const char*>& expressions) {
  int exitCode = 0;
  for (const char* expression : expressions) {
    try {
      const IValuePtr value = ParseScriptText(Utf8ToAnsi(expression));
      if (!value) continue;
      const AnsiString text = value->ReadString();
      PrintLine(stdout, text + "\t" + TypeNameOf(*value));
    } catch (const Exception& error) {
      std::fflush(stdout);
      PrintLine(stderr, "error: " + error.Message);
      exitCode = 1;
    }
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  LoadFormatSettingsFromLocale();
  std::setlocale(LC_NUMERIC, "C");
  if (argc >= 2 && std::strcmp(argv[1], "--eval") == 0) return EvaluateAll({argv + 2, argv + argc});
  const bool run = argc >= 2 && std::strcmp(argv[1], "--run") == 0;
  const bool check = argc >= 2 && std::strcmp(argv[1], "--check") == 0;
  if ((run && (argc < 3 || argc > 4)) || (check && argc != 3)) {
    std::fprintf(stderr, "vorda: %s needs a program file\n%s", argv[1], Usage);
    return 2;
  }
  if (run) return RunProgramFile(argv[2], argc == 4 ? Utf8ToAnsi(argv[3]) : AnsiString());
  if (check) return CheckProgramFile(argv[2]);
  if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (argc >= 2 && std::strncmp(argv[1], "--", 2) == 0) {
    std::fprintf(stderr, "vorda: unknown option %s\n%s", argv[1], Usage);
    return 2;
  }
  std::fputs("vorda: the report windows are not part of this build yet\n", stderr);
  std::fputs(Usage, stderr);
  return 2;
}
