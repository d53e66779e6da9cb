// vorda-makedb DIR FILE.sql...: makes DIR a fresh STANDARD directory whose
// tables are those the SQL scripts create and fill.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "CodePage.h"
#include "FileSystem.h"
#include "SqliteConnection.h"

namespace {

AnsiString ReadText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception(AnsiString("Cannot open ") + path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vorda-makedb DIR FILE.sql...\n");
    return 2;
  }
  try {
    AnsiString dir = argv[1];
    if (!CreateDirectoryChain(dir)) throw Exception("Cannot create " + dir);
    for (const TSearchRec& rec : FindEntries(dir, "*.db"))
      if (rec.IsRegular()) DeleteFile(IncludeTrailingPathDelimiter(dir) + rec.Name);
    auto conn = TSqliteConnection::OpenStandard(dir);
    // The scripts are UTF-8, as the database's own texts are.
    for (int i = 2; i < argc; ++i) conn->Execute(Utf8ToAnsi(ReadText(argv[i])));
  } catch (const Exception& e) {
    std::fprintf(stderr, "vorda-makedb: %s\n", e.Message.c_str());
    return 1;
  }
  return 0;
}
