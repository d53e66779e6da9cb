#include "SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

#include "CodePage.h"
#include "FileSystem.h"

namespace {

constexpr const char* NoSuchTable = "no such table: ";
constexpr int MaxAttachRetries = 64;

bool IsAscii(const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  return true;
}

// Skips blanks and SQL comments from pos.
size_t SkipSpace(const AnsiString& s, size_t pos) {
  while (pos < s.size()) {
    if (std::isspace(static_cast<unsigned char>(s[pos]))) {
      ++pos;
    } else if (s.compare(pos, 2, "--") == 0) {
      pos = s.find('\n', pos);
      if (pos == AnsiString::npos) return s.size();
    } else if (s.compare(pos, 2, "/*") == 0) {
      pos = s.find("*/", pos + 2);
      if (pos == AnsiString::npos) return s.size();
      pos += 2;
    } else {
      break;
    }
  }
  return pos;
}

// Reads a keyword or a bare / quoted identifier at pos.
AnsiString ReadWord(const AnsiString& s, size_t& pos, bool* quoted = nullptr) {
  pos = SkipSpace(s, pos);
  if (quoted) *quoted = false;
  if (pos < s.size() && (s[pos] == '"' || s[pos] == '[' || s[pos] == '`')) {
    char close = s[pos] == '[' ? ']' : s[pos];
    AnsiString word;
    for (++pos; pos < s.size(); ++pos) {
      if (s[pos] == close) {
        if (close != ']' && pos + 1 < s.size() && s[pos + 1] == close) { word += close; ++pos; continue; }
        ++pos;
        break;
      }
      word += s[pos];
    }
    if (quoted) *quoted = true;
    return word;
  }
  size_t start = pos;
  while (pos < s.size() && (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '_' ||
                            static_cast<unsigned char>(s[pos]) >= 0x80))
    ++pos;
  return s.substr(start, pos - start);
}

}  // namespace

void RaiseSqliteError(sqlite3* db) {
  const char* msg = db ? sqlite3_errmsg(db) : "out of memory";
  throw EDatabaseError(DbTextToAnsi(msg, std::strlen(msg)));
}

AnsiString DbTextToAnsi(const char* utf8, size_t length) {
  if (IsAscii(utf8, length)) return AnsiString(utf8, length);
  return Utf8ToAnsi(std::string(utf8, length));
}

std::string AnsiToDbText(const AnsiString& ansi) {
  if (IsAscii(ansi.data(), ansi.size())) return ansi;
  return AnsiToUtf8(ansi);
}

AnsiString QuoteIdent(const AnsiString& name) {
  AnsiString out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

AnsiString StandardTableName(const AnsiString& table) {
  AnsiString name = ExtractFileName(Trim(table));
  if (name.size() > 3 && SameText(name.substr(name.size() - 3), ".db")) name.resize(name.size() - 3);
  return name;
}

bool IsSqliteFile(const AnsiString& path) {
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  return in.gcount() == 16 && std::memcmp(header, "SQLite format 3", 16) == 0;
}

// ---------------------------------------------------------------------------

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(FStmt); }

bool TSqliteStatement::Step() {
  int rc = sqlite3_step(FStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  RaiseSqliteError(FDb);
}

void TSqliteStatement::Reset() { sqlite3_reset(FStmt); }

int TSqliteStatement::ColumnCount() const { return sqlite3_column_count(FStmt); }

AnsiString TSqliteStatement::ColumnName(int index) const {
  const char* n = sqlite3_column_name(FStmt, index);
  return n ? DbTextToAnsi(n, std::strlen(n)) : AnsiString();
}

AnsiString TSqliteStatement::ColumnDeclType(int index) const {
  const char* n = sqlite3_column_decltype(FStmt, index);
  return n ? AnsiString(n) : AnsiString();
}

void TSqliteStatement::ReadCell(int index, TCell& cell) const {
  switch (sqlite3_column_type(FStmt, index)) {
    case SQLITE_INTEGER:
      cell.Kind = TCell::Integer;
      cell.Int = sqlite3_column_int64(FStmt, index);
      break;
    case SQLITE_FLOAT:
      cell.Kind = TCell::Float;
      cell.Real = sqlite3_column_double(FStmt, index);
      break;
    case SQLITE_TEXT: {
      cell.Kind = TCell::Text;
      const char* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, index));
      size_t n = size_t(sqlite3_column_bytes(FStmt, index));
      if (IsAscii(p, n)) cell.Bytes.assign(p, n);
      else cell.Bytes = Utf8ToAnsi(std::string(p, n));
      break;
    }
    case SQLITE_BLOB: {
      cell.Kind = TCell::Blob;
      const char* p = static_cast<const char*>(sqlite3_column_blob(FStmt, index));
      cell.Bytes.assign(p ? p : "", size_t(sqlite3_column_bytes(FStmt, index)));
      break;
    }
    default:
      cell.Kind = TCell::Null;
  }
}

void TSqliteStatement::ReadRow(TRecord& rec) const {
  int n = ColumnCount();
  if (int(rec.size()) != n) rec.resize(size_t(n));
  for (int i = 0; i < n; ++i) ReadCell(i, rec[size_t(i)]);
}

int TSqliteStatement::ParamCount() const { return sqlite3_bind_parameter_count(FStmt); }

AnsiString TSqliteStatement::ParamName(int index) const {
  const char* n = sqlite3_bind_parameter_name(FStmt, index);
  if (!n || !*n) return "";
  return DbTextToAnsi(n + 1, std::strlen(n + 1));
}

void TSqliteStatement::Bind(int index, const TCell& value) {
  int rc = SQLITE_OK;
  switch (value.Kind) {
    case TCell::Null: rc = sqlite3_bind_null(FStmt, index); break;
    case TCell::Integer: rc = sqlite3_bind_int64(FStmt, index, value.Int); break;
    case TCell::Float: rc = sqlite3_bind_double(FStmt, index, value.Real); break;
    case TCell::Text: {
      std::string text = AnsiToDbText(value.Bytes);
      rc = sqlite3_bind_text(FStmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
      break;
    }
    case TCell::Blob:
      rc = sqlite3_bind_blob(FStmt, index, value.Bytes.data(), int(value.Bytes.size()), SQLITE_TRANSIENT);
      break;
  }
  if (rc != SQLITE_OK) RaiseSqliteError(FDb);
}

int64_t TSqliteStatement::ExecuteAll() {
  while (Step()) {
  }
  return sqlite3_changes64(FDb);
}

// ---------------------------------------------------------------------------

TSqliteConnection::TSqliteConnection(sqlite3* db, TDriverKind kind, AnsiString location)
    : FDb(db), FKind(kind), FLocation(std::move(location)) {}

TSqliteConnection::~TSqliteConnection() { sqlite3_close_v2(FDb); }

namespace {

sqlite3* OpenHandle(const AnsiString& name, int flags) {
  sqlite3* db = nullptr;
  // Connections are used by one thread only; no per-call locking needed.
  int rc = sqlite3_open_v2(AnsiToUtf8(name).c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    AnsiString msg = db ? AnsiString(sqlite3_errmsg(db)) : AnsiString("out of memory");
    sqlite3_close_v2(db);
    throw EDatabaseError(msg + ": " + name);
  }
  sqlite3_extended_result_codes(db, 0);
  return db;
}

}  // namespace

std::shared_ptr<TSqliteConnection> TSqliteConnection::OpenStandard(const AnsiString& directory) {
  AnsiString dir = IncludeTrailingPathDelimiter(AbsolutePath(directory));
  if (!DirectoryExists(dir)) throw EDatabaseError("Directory not found: " + directory);
  sqlite3* db = OpenHandle(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  return std::shared_ptr<TSqliteConnection>(new TSqliteConnection(db, TDriverKind::Standard, dir));
}

std::shared_ptr<TSqliteConnection> TSqliteConnection::OpenFile(const AnsiString& fileName) {
  AnsiString path = AbsolutePath(fileName);
  sqlite3* db = OpenHandle(path, SQLITE_OPEN_READWRITE);
  return std::shared_ptr<TSqliteConnection>(new TSqliteConnection(db, TDriverKind::Sqlite, path));
}

AnsiString TSqliteConnection::FindTableFile(const AnsiString& table) const {
  AnsiString name = StandardTableName(table);
  if (name.empty()) return "";
  AnsiString exact = FLocation + name + ".db";
  if (FileExists(exact)) return exact;
  for (const TSearchRec& rec : FindEntries(FLocation, "*.db"))
    if (rec.IsRegular() && SameText(rec.Name, name + ".db")) return FLocation + rec.Name;
  return "";
}

bool TSqliteConnection::Attach(const AnsiString& schema, const AnsiString& file) {
  AnsiString key = UpperCase(schema);
  if (FAttached.count(key)) return true;
  if (FAttached.size() >= 10 && !MakeRoomForAttach()) return false;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(FDb, "ATTACH DATABASE ?1 AS ?2", -1, &st, nullptr) != SQLITE_OK) RaiseSqliteError(FDb);
  TSqliteStatement attach(FDb, st);
  attach.Bind(1, TCell::OfText(file));
  attach.Bind(2, TCell::OfText(schema));
  attach.ExecuteAll();
  FAttached[key] = file;
  return true;
}

void TSqliteConnection::Detach(const AnsiString& schema) {
  auto it = FAttached.find(UpperCase(schema));
  if (it == FAttached.end()) return;
  AnsiString sql = "DETACH DATABASE " + QuoteIdent(schema);
  if (sqlite3_exec(FDb, AnsiToDbText(sql).c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) RaiseSqliteError(FDb);
  FAttached.erase(it);
}

// SQLite attaches at most ten files at once; a file no open statement uses
// makes way for the next.
bool TSqliteConnection::MakeRoomForAttach() {
  for (auto it = FAttached.begin(); it != FAttached.end(); ++it) {
    AnsiString sql = "DETACH DATABASE " + QuoteIdent(it->first);
    if (sqlite3_exec(FDb, AnsiToDbText(sql).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
      FAttached.erase(it);
      return true;
    }
  }
  return false;
}

// CREATE TABLE name ... in a directory: the table gets its own file and the
// statement is qualified with it.
AnsiString TSqliteConnection::RewriteCreate(const AnsiString& sql) {
  size_t pos = 0;
  if (!SameText(ReadWord(sql, pos), "CREATE")) return sql;
  AnsiString word = ReadWord(sql, pos);
  if (SameText(word, "TEMP") || SameText(word, "TEMPORARY") || !SameText(word, "TABLE")) return sql;
  size_t namePos = SkipSpace(sql, pos);
  size_t probe = namePos;
  if (SameText(ReadWord(sql, probe), "IF")) {
    ReadWord(sql, probe);  // NOT
    ReadWord(sql, probe);  // EXISTS
    namePos = SkipSpace(sql, probe);
  }
  size_t end = namePos;
  AnsiString name = ReadWord(sql, end);
  size_t next = SkipSpace(sql, end);
  if (name.empty() || (next < sql.size() && sql[next] == '.')) return sql;
  PrepareNewTable(name);
  return sql.substr(0, namePos) + QuoteIdent(name) + "." + sql.substr(namePos);
}

AnsiString TSqliteConnection::PrepareNewTable(const AnsiString& table) {
  if (FKind != TDriverKind::Standard) return QuoteIdent(table);
  AnsiString name = StandardTableName(table);
  AnsiString file = FindTableFile(name);
  if (file.empty()) file = FLocation + name + ".db";
  if (!Attach(name, file)) throw EDatabaseError("Too many tables in use at once");
  return QuoteIdent(name) + "." + QuoteIdent(name);
}

std::unique_ptr<TSqliteStatement> TSqliteConnection::Prepare(const AnsiString& sql, AnsiString* tail) {
  AnsiString text = FKind == TDriverKind::Standard ? RewriteCreate(sql) : sql;
  std::string utf8 = AnsiToDbText(text);
  for (int attempt = 0;; ++attempt) {
    sqlite3_stmt* st = nullptr;
    const char* rest = nullptr;
    int rc = sqlite3_prepare_v2(FDb, utf8.c_str(), int(utf8.size()), &st, &rest);
    if (rc == SQLITE_OK) {
      if (tail) *tail = DbTextToAnsi(rest, std::strlen(rest));
      return std::make_unique<TSqliteStatement>(FDb, st);
    }
    AnsiString msg = sqlite3_errmsg(FDb);
    if (FKind != TDriverKind::Standard || attempt >= MaxAttachRetries || msg.rfind(NoSuchTable, 0) != 0)
      RaiseSqliteError(FDb);
    AnsiString name = msg.substr(std::strlen(NoSuchTable));
    if (size_t dot = name.find('.'); dot != AnsiString::npos) name = name.substr(0, dot);
    AnsiString file = FindTableFile(DbTextToAnsi(name.data(), name.size()));
    if (file.empty() || FAttached.count(UpperCase(name)) || !Attach(name, file)) RaiseSqliteError(FDb);
  }
}

bool TSqliteConnection::HandleDrop(const AnsiString& sql) {
  size_t pos = 0;
  if (!SameText(ReadWord(sql, pos), "DROP") || !SameText(ReadWord(sql, pos), "TABLE")) return false;
  size_t probe = pos;
  bool ifExists = SameText(ReadWord(sql, probe), "IF");
  if (ifExists) {
    ReadWord(sql, probe);
    pos = probe;
  }
  AnsiString name = ReadWord(sql, pos);
  pos = SkipSpace(sql, pos);
  if (name.empty() || (pos < sql.size() && sql[pos] != ';')) return false;
  if (ifExists && FindTableFile(name).empty()) return true;
  DropTable(name);
  return true;
}

int64_t TSqliteConnection::Execute(const AnsiString& sql, const std::function<void(TSqliteStatement&)>& bind) {
  AnsiString rest = sql;
  int64_t changes = 0;
  while (!Trim(rest).empty()) {
    AnsiString tail;
    if (FKind == TDriverKind::Standard) {
      // A DROP TABLE is taken whole up to its ';'.
      size_t semi = rest.find(';');
      AnsiString first = semi == AnsiString::npos ? rest : rest.substr(0, semi + 1);
      if (HandleDrop(first)) {
        rest = semi == AnsiString::npos ? AnsiString() : rest.substr(semi + 1);
        continue;
      }
    }
    auto st = Prepare(rest, &tail);
    if (st->Handle()) {
      if (bind) bind(*st);
      changes = st->ExecuteAll();
    }  // a trailing comment prepares to nothing
    rest = tail;
  }
  return changes;
}

std::vector<AnsiString> TSqliteConnection::TableNames(bool extensions, bool systemTables) {
  std::vector<AnsiString> names;
  if (FKind == TDriverKind::Standard) {
    for (const TSearchRec& rec : FindEntries(FLocation, "*.db")) {
      if (!rec.IsRegular() || rec.Name.size() <= 3 || !IsSqliteFile(FLocation + rec.Name)) continue;
      names.push_back(extensions ? rec.Name : rec.Name.substr(0, rec.Name.size() - 3));
    }
  } else {
    auto st = Prepare("select name from sqlite_master where type in ('table','view') order by name");
    while (st->Step()) {
      TCell c;
      st->ReadCell(0, c);
      if (systemTables || UpperCase(c.Bytes).rfind("SQLITE_", 0) != 0) names.push_back(c.Bytes);
    }
    if (systemTables) names.push_back("sqlite_master");
  }
  std::sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) { return CompareText(a, b) < 0; });
  return names;
}

bool TSqliteConnection::TableExists(const AnsiString& table) {
  if (FKind == TDriverKind::Standard) {
    AnsiString file = FindTableFile(table);
    if (file.empty() || !IsSqliteFile(file)) return false;
    AnsiString name = StandardTableName(table);
    if (!Attach(name, file)) return true;
    auto st = Prepare("select 1 from " + QuoteIdent(name) + ".sqlite_master where type in ('table','view') and name = ?1 collate nocase");
    st->Bind(1, TCell::OfText(name));
    return st->Step();
  }
  auto st = Prepare("select 1 from sqlite_master where type in ('table','view') and name = ?1 collate nocase");
  st->Bind(1, TCell::OfText(table));
  return st->Step();
}

AnsiString TSqliteConnection::TableRef(const AnsiString& table) {
  if (FKind != TDriverKind::Standard) return QuoteIdent(Trim(table));
  AnsiString name = StandardTableName(table);
  AnsiString file = FindTableFile(name);
  if (file.empty()) throw EDatabaseError("no such table: " + name);
  if (!Attach(name, file)) throw EDatabaseError("Too many tables in use at once");
  return QuoteIdent(name) + "." + QuoteIdent(name);
}

void TSqliteConnection::DropTable(const AnsiString& table, bool keepFile) {
  if (FKind != TDriverKind::Standard) {
    Execute("DROP TABLE " + QuoteIdent(Trim(table)));
    return;
  }
  AnsiString name = StandardTableName(table);
  AnsiString file = FindTableFile(name);
  if (file.empty()) throw EDatabaseError("no such table: " + name);
  if (keepFile) {
    Execute("DROP TABLE " + TableRef(name));
    return;
  }
  // Detaching first: a file still in use stays whole and the error says why.
  Detach(name);
  if (!DeleteFile(file)) throw EDatabaseError("Cannot delete table file " + file);
  DeleteFile(file + "-journal");
}

AnsiString TSqliteConnection::BareTableName(const AnsiString& table) const {
  return FKind == TDriverKind::Standard ? StandardTableName(table) : Trim(table);
}

AnsiString TSqliteConnection::PragmaPrefix(const AnsiString& table) {
  if (FKind != TDriverKind::Standard) return "main.";
  TableRef(table);
  return QuoteIdent(StandardTableName(table)) + ".";
}

void TSqliteConnection::RecreateTable(const AnsiString& table, const AnsiString& columns,
                                      const std::vector<AnsiString>& indexes) {
  AnsiString name = BareTableName(table);
  AnsiString script = "DROP TABLE IF EXISTS " + QuoteIdent(name) + "; CREATE TABLE " + QuoteIdent(name) + " (" +
                      columns + ");";
  for (const AnsiString& ix : indexes) script += ix + ";";
  if (FKind != TDriverKind::Standard) {
    Execute("BEGIN; " + script + " COMMIT;");
    return;
  }
  AnsiString file = FindTableFile(name);
  if (file.empty()) file = FLocation + name + ".db";
  sqlite3* side = OpenHandle(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  char* err = nullptr;
  int rc = sqlite3_exec(side, AnsiToDbText("BEGIN; " + script + " COMMIT;").c_str(), nullptr, nullptr, &err);
  AnsiString msg = err ? DbTextToAnsi(err, std::strlen(err)) : AnsiString();
  sqlite3_free(err);
  sqlite3_close_v2(side);
  if (rc != SQLITE_OK) throw EDatabaseError(msg);
  if (!Attach(name, file)) throw EDatabaseError("Too many tables in use at once");
}
