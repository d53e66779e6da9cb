// The SQLite connection under every database: statements, row values and the
// two drivers. A STANDARD connection works on a directory in which each table
// is the file NAME.db; the files are attached on demand, so any table of the
// directory is reachable by its bare name. A SQLITE connection is one file.
//
// Texts are UTF-8 in the database and in the code page in the program; the
// conversion happens here and nowhere else.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SysUtils.h"

struct sqlite3;
struct sqlite3_stmt;

// One value as SQLite stores it. Bytes holds code-page text for Text and
// raw bytes for Blob.
struct TCell {
  enum TKind : uint8_t { Null, Integer, Float, Text, Blob };
  TKind Kind = Null;
  int64_t Int = 0;
  double Real = 0;
  std::string Bytes;
  static TCell OfInt(int64_t v) { TCell c; c.Kind = Integer; c.Int = v; return c; }
  static TCell OfFloat(double v) { TCell c; c.Kind = Float; c.Real = v; return c; }
  static TCell OfText(AnsiString v) { TCell c; c.Kind = Text; c.Bytes = std::move(v); return c; }
  static TCell OfBlob(std::string v) { TCell c; c.Kind = Blob; c.Bytes = std::move(v); return c; }
};
using TRecord = std::vector<TCell>;

// Raises EDatabaseError with SQLite's own message for the connection.
[[noreturn]] void RaiseSqliteError(sqlite3* db);

AnsiString DbTextToAnsi(const char* utf8, size_t length);
std::string AnsiToDbText(const AnsiString& ansi);
// "name" with inner quotes doubled.
AnsiString QuoteIdent(const AnsiString& name);

// A prepared statement; finalised with the object.
class TSqliteStatement {
public:
  TSqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : FDb(db), FStmt(stmt) {}
  ~TSqliteStatement();
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  sqlite3_stmt* Handle() const { return FStmt; }
  sqlite3* Db() const { return FDb; }
  // True while a row is ready; raises on errors.
  bool Step();
  // Rewinds for a new run; the bindings stay.
  void Reset();
  int ColumnCount() const;
  AnsiString ColumnName(int index) const;
  // The declared type of a table column, empty for an expression.
  AnsiString ColumnDeclType(int index) const;
  // Reads the current row into rec (resized to the column count).
  void ReadRow(TRecord& rec) const;
  void ReadCell(int index, TCell& cell) const;

  int ParamCount() const;
  // Parameter names without their leading ':' (empty for '?').
  AnsiString ParamName(int index) const;  // 1-based
  void Bind(int index, const TCell& value);  // 1-based
  // Runs the statement to its end and answers the rows it changed.
  int64_t ExecuteAll();

private:
  sqlite3* FDb;
  sqlite3_stmt* FStmt;
};

enum class TDriverKind { Standard, Sqlite };

class TSqliteConnection {
public:
  // Raise EDatabaseError when the directory or file is missing.
  static std::shared_ptr<TSqliteConnection> OpenStandard(const AnsiString& directory);
  static std::shared_ptr<TSqliteConnection> OpenFile(const AnsiString& fileName);
  ~TSqliteConnection();
  TSqliteConnection(const TSqliteConnection&) = delete;
  TSqliteConnection& operator=(const TSqliteConnection&) = delete;

  sqlite3* Handle() const { return FDb; }
  TDriverKind Kind() const { return FKind; }
  // The directory of a STANDARD connection (with trailing '/') or the file.
  const AnsiString& Location() const { return FLocation; }

  // Prepares the first statement of sql; tail receives the rest. In a
  // STANDARD directory the tables it names are attached first and a
  // CREATE TABLE makes its own file.
  std::unique_ptr<TSqliteStatement> Prepare(const AnsiString& sql, AnsiString* tail = nullptr);
  // Runs every statement of a script; DROP TABLE in a STANDARD directory also
  // removes the table's file. Answers the rows the last statement changed.
  // bind, when given, binds the parameters of each statement.
  int64_t Execute(const AnsiString& sql, const std::function<void(TSqliteStatement&)>& bind = {});
  // "schema". for PRAGMA statements on a table, attaching it when needed.
  AnsiString PragmaPrefix(const AnsiString& table);
  // The table's name inside its database.
  AnsiString BareTableName(const AnsiString& table) const;

  // Table names sorted without case; STANDARD: the files' names, with ".db"
  // when extensions is set.
  std::vector<AnsiString> TableNames(bool extensions, bool systemTables);
  bool TableExists(const AnsiString& table);
  // The name to use in SQL for a table, quoted and, in a STANDARD
  // directory, qualified by its attached file.
  AnsiString TableRef(const AnsiString& table);
  // Removes a table and, in a STANDARD directory, its file; with keepFile
  // the emptied file stays for a table of the same name.
  void DropTable(const AnsiString& table, bool keepFile = false);
  // Makes the table anew from a column list and index statements written
  // with bare names. A STANDARD table is rebuilt through a connection of its
  // own, so statements still reading other tables do not hold it up.
  void RecreateTable(const AnsiString& table, const AnsiString& columns, const std::vector<AnsiString>& indexes);
  // STANDARD: prepares the file of a new table; answers TableRef.
  AnsiString PrepareNewTable(const AnsiString& table);

private:
  TSqliteConnection(sqlite3* db, TDriverKind kind, AnsiString location);
  AnsiString FindTableFile(const AnsiString& table) const;
  bool Attach(const AnsiString& schema, const AnsiString& file);
  void Detach(const AnsiString& schema);
  bool MakeRoomForAttach();
  AnsiString RewriteCreate(const AnsiString& sql);
  bool HandleDrop(const AnsiString& sql);

  sqlite3* FDb;
  TDriverKind FKind;
  AnsiString FLocation;
  std::map<AnsiString, AnsiString> FAttached;  // upper-cased schema -> file
};

// Strips a trailing ".db" (any case) from a STANDARD table name.
AnsiString StandardTableName(const AnsiString& table);
// Answers whether a file begins like an SQLite database.
bool IsSqliteFile(const AnsiString& path);
