// Sessions, aliases, databases, queries, tables and batch moves on SQLite.
//
// Drivers: "STANDARD" (also "PARADOX", the default) is a directory in which
// each table is the SQLite file NAME.db holding the one table NAME, and a
// statement sees every table of the directory by its name; "SQLITE" is one
// database file with any number of tables. Statements are SQLite's SQL with
// ":NAME" parameters.
//
// Aliases: persistent aliases live in the settings store under
// "software\Vorda\Aliases\<alias>" (value "DRIVER" and one value per
// parameter, such as "PATH"); session aliases exist for the process only
// and hide a persistent alias of the same name. A database name that is no
// alias but an existing directory is a STANDARD database on it.
#pragma once

#include <memory>
#include <vector>

#include "DB.h"

class TDatabase;
class TDBDataSet;

enum TConfigMode { cfmVirtual, cfmPersistent, cfmSession };
using TConfigModes = TSet<TConfigMode>;
DECLARE_ENUM_TYPE(TConfigMode);
DECLARE_SET_TYPE(TConfigModes);

// An alias: a name, a driver and its parameters (NAME=value lines).
struct TAliasDef {
  AnsiString Name;
  AnsiString Driver;
  std::vector<std::pair<AnsiString, AnsiString>> Params;
  bool Persistent = false;
  AnsiString Param(const AnsiString& name) const;
};

// The settings key under which persistent aliases are kept.
inline constexpr const char* AliasesKey = "software\\Vorda\\Aliases";
// The alias of the sample database built with the programs.
inline constexpr const char* SampleAliasName = "VORDASAMPLE";

// The aliases and open databases of the process. Session() is the default
// session "Default".
class TSession : public TComponent {
  DECLARE_CLASS(TSession, TComponent)
public:
  explicit TSession(TComponent* owner);
  ~TSession() override;

  const AnsiString& SessionName() const { return FSessionName; }
  void SetSessionName(const AnsiString& name) { FSessionName = name; }
  bool KeepConnections() const { return FKeepConnections; }
  void SetKeepConnections(bool v) { FKeepConnections = v; }
  // Which aliases are visible: persistent ones, session ones (virtual
  // aliases have no meaning here and are accepted). Adding an alias while
  // session aliases are excluded but persistent ones are not stores it.
  TConfigModes ConfigMode() const { return FConfigMode; }
  void SetConfigMode(TConfigModes mode) { FConfigMode = mode; }

  // Raise EDatabaseError "Alias '%s' already exists" / "Unknown driver: %s".
  void AddAlias(const AnsiString& name, const AnsiString& driver, const TStrings& params);
  void AddStandardAlias(const AnsiString& name, const AnsiString& path, const AnsiString& defaultDriver);
  // Removes the session alias of that name, else the persistent one; closes
  // the databases opened through it. Raises "Alias '%s' not found".
  void DeleteAlias(const AnsiString& name);
  bool IsAlias(const AnsiString& name) const;
  // Answers false when there is no such alias.
  bool FindAlias(const AnsiString& name, TAliasDef& alias) const;
  void GetAliasNames(TStrings& list) const;
  void GetAliasParams(const AnsiString& name, TStrings& list) const;
  AnsiString GetAliasDriverName(const AnsiString& name) const;
  void GetDriverNames(TStrings& list) const;
  // The aliases and the names of the database components of this session.
  void GetDatabaseNames(TStrings& list) const;
  // Table names of a database matching pattern ('*' and '?'); extensions adds
  // ".db" in a STANDARD directory; systemTables adds SQLite's own tables.
  void GetTableNames(const AnsiString& databaseName, const AnsiString& pattern, bool extensions,
                     bool systemTables, TStrings& list);

  // The connected database of that name: a database component, else one the
  // session makes for the alias or directory. Raises EDatabaseError.
  TDatabase* OpenDatabase(const AnsiString& databaseName);
  TDatabase* FindDatabase(const AnsiString& databaseName) const;
  // Closes every dataset and database of the session.
  void Close();
  void DropConnections();

  int DatabaseCount() const { return int(FDatabases.size()); }
  TDatabase* Databases(int index) const { return FDatabases[size_t(index)]; }

private:
  friend class TDatabase;
  void Register(TDatabase* db);
  void Unregister(TDatabase* db);
  std::vector<TAliasDef> PersistentAliases() const;
  void WritePersistentAlias(const TAliasDef& alias);
  void CloseAliasDatabases(const AnsiString& alias);
  AnsiString FSessionName;
  bool FKeepConnections = true;
  TConfigModes FConfigMode{cfmVirtual, cfmPersistent, cfmSession};
  std::vector<TAliasDef> FSessionAliases;
  std::vector<TDatabase*> FDatabases;
};

TSession& Session();
// The session of that name; "" and "Default" give the default session.
// Raises EDatabaseError "Session %s not found".
TSession& SessionByName(const AnsiString& name);

// A connection to one database: an alias, a driver with parameters, or a
// directory. Its name (DatabaseName) is what datasets refer to.
class TDatabase : public TComponent {
  DECLARE_CLASS(TDatabase, TComponent)
public:
  explicit TDatabase(TComponent* owner);
  ~TDatabase() override;

  const AnsiString& AliasName() const { return FAliasName; }
  void SetAliasName(const AnsiString& v);
  const AnsiString& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const AnsiString& v);
  const AnsiString& DriverName() const { return FDriverName; }
  void SetDriverName(const AnsiString& v);
  TStrings* Params() const { return FParams.get(); }
  void SetParams(TStrings* v) { FParams->Assign(*v); }
  const AnsiString& SessionName() const { return FSessionName; }
  void SetSessionName(const AnsiString& v);
  bool Connected() const { return FConnection != nullptr; }
  void SetConnected(bool v);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  // SQLite asks for no login; the setting is kept for the report files.
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool v) { FLoginPrompt = v; }
  bool KeepConnection() const { return FKeepConnection; }
  void SetKeepConnection(bool v) { FKeepConnection = v; }
  bool Temporary() const { return FTemporary; }

  TSession& DBSession() const { return SessionByName(FSessionName); }
  // "STANDARD" or "SQLITE" once connected.
  AnsiString ResolvedDriver() const;
  TSqliteConnection& Connection() const;
  std::shared_ptr<TSqliteConnection> SharedConnection() const { return FConnection; }
  void GetTableNames(TStrings& list, bool systemTables);
  // Runs SQL (several statements allowed); answers the changed rows.
  int64_t Execute(const AnsiString& sql);
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;

  int DataSetCount() const { return int(FDataSets.size()); }
  TDBDataSet* DataSets(int index) const { return FDataSets[size_t(index)]; }
  void CloseDataSets();

protected:
  void Loaded() override;

private:
  friend class TSession;
  friend class TDBDataSet;
  void Connect();
  void CheckInactive() const;
  AnsiString FAliasName, FDatabaseName, FDriverName, FSessionName;
  std::unique_ptr<TStringList> FParams;
  bool FLoginPrompt = true;
  bool FKeepConnection = true;
  bool FTemporary = false;
  bool FStreamedConnected = false;
  TSession* FSession = nullptr;
  std::shared_ptr<TSqliteConnection> FConnection;
  std::vector<TDBDataSet*> FDataSets;
};

// A dataset on a database of a session.
class TDBDataSet : public TDataSet {
  DECLARE_CLASS(TDBDataSet, TDataSet)
public:
  explicit TDBDataSet(TComponent* owner);
  ~TDBDataSet() override;

  const AnsiString& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const AnsiString& v);
  const AnsiString& SessionName() const { return FSessionName; }
  void SetSessionName(const AnsiString& v);
  // The database while open, nullptr otherwise.
  TDatabase* Database() const { return FDatabase; }
  TSession& DBSession() const { return SessionByName(FSessionName); }

protected:
  // The database a dataset opens: DatabaseName, or the current directory.
  virtual AnsiString EffectiveDatabaseName() const;
  TDatabase* OpenDb();
  void CloseDb();
  void CloseCursor() override;
  void RestartCursor() override;
  bool FetchRow(TRecord& rec) override;
  int64_t CountRows() override;
  // Opens FStatement on sql with params; the first row is read ahead so
  // that expression columns get their types.
  void OpenStatement(const AnsiString& sql, const TParams* params);
  void DescribeStatement(TSqliteStatement& st, bool haveRow, std::vector<TFieldDef>& defs) const;
  static void BindParams(TSqliteStatement& st, const TParams* params);

  std::unique_ptr<TSqliteStatement> FStatement;
  AnsiString FCursorSql;
  const TParams* FCursorParams = nullptr;

private:
  friend class TDatabase;
  AnsiString FDatabaseName, FSessionName;
  TDatabase* FDatabase = nullptr;
  bool FRowPending = false;
};

// A dataset of an SQL statement.
class TQuery : public TDBDataSet {
  DECLARE_CLASS(TQuery, TDBDataSet)
public:
  explicit TQuery(TComponent* owner);
  ~TQuery() override;

  TStrings* SQL() const { return FSQL.get(); }
  void SetSQL(TStrings* v) { FSQL->Assign(*v); }
  TParams& Params() { return FParams; }
  int ParamCount() const { return FParams.Count(); }
  TParam* ParamByName(const AnsiString& name) const { return FParams.ParamByName(name); }
  TParam* FindParam(const AnsiString& name) const { return FParams.FindParam(name); }
  bool ParamCheck() const { return FParamCheck; }
  void SetParamCheck(bool v) { FParamCheck = v; }
  // Editing a query's rows is not offered; the setting is kept.
  bool RequestLive() const { return FRequestLive; }
  void SetRequestLive(bool v) { FRequestLive = v; }

  // Checks the statement against the database now.
  void Prepare();
  void UnPrepare() { FPrepared = false; }
  bool Prepared() const { return FPrepared; }
  // Runs every statement of the text; a statement giving rows is run to its end.
  void ExecSQL();
  int64_t RowsAffected() const { return FRowsAffected; }
  AnsiString Text() const { return FSQL->Text(); }

protected:
  void OpenCursor() override;
  void InitFieldDefs() override;

private:
  void SQLChanged();
  std::unique_ptr<TStringList> FSQL;
  TParams FParams;
  bool FParamCheck = true;
  bool FRequestLive = false;
  bool FPrepared = false;
  int64_t FRowsAffected = -1;
};

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive };
using TIndexOptions = TSet<TIndexOption>;

struct TIndexDef {
  AnsiString Name;
  AnsiString Fields;  // separated by ';'
  TIndexOptions Options;
};

class TTable;

// The indexes of a table; the primary key is the index with an empty name.
class TIndexDefs {
public:
  explicit TIndexDefs(TTable* table) : FTable(table) {}
  int Count() const { return int(FItems.size()); }
  const TIndexDef& Items(int index) const { return FItems[size_t(index)]; }
  const TIndexDef* Find(const AnsiString& name) const;
  void Add(const AnsiString& name, const AnsiString& fields, TIndexOptions options);
  void Clear() { FItems.clear(); }
  void Update();

private:
  TTable* FTable;
  std::vector<TIndexDef> FItems;
};

// A dataset of one table, with editing. A TableName with a directory part is
// a table file of its own (STANDARD), whatever DatabaseName says.
class TTable : public TDBDataSet {
  DECLARE_CLASS(TTable, TDBDataSet)
public:
  explicit TTable(TComponent* owner);
  ~TTable() override;

  const AnsiString& TableName() const { return FTableName; }
  void SetTableName(const AnsiString& v);
  const AnsiString& IndexName() const { return FIndexName; }
  void SetIndexName(const AnsiString& v);
  const AnsiString& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const AnsiString& v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  TIndexDefs& IndexDefs() { return FIndexDefs; }

  bool Exists();
  // Makes the table from FieldDefs and the primary index of IndexDefs,
  // replacing a table of that name.
  void CreateTable();
  void EmptyTable();
  void DeleteTable();
  bool CanModify() const override { return !FReadOnly && Active(); }

  // The database the table lives in and its name there (for batch moves).
  TDatabase* OpenTableDb();
  AnsiString TableRef();
  // The fields that identify a row: IndexFieldNames, the fields of
  // IndexName, or the primary key; empty when there are none.
  std::vector<AnsiString> KeyFields();

protected:
  AnsiString EffectiveDatabaseName() const override;
  void OpenCursor() override;
  void InitFieldDefs() override;
  void InsertRecord(TRecord& rec) override;
  void UpdateRecord(const TRecord& old, TRecord& rec) override;
  void DeleteRecord(const TRecord& rec) override;

private:
  AnsiString OrderClause();
  AnsiString TableKey() const;
  void ReadBack(int64_t rowid, TRecord& rec);
  AnsiString FTableName, FIndexName, FIndexFieldNames;
  bool FReadOnly = false;
  TIndexDefs FIndexDefs;
};

enum TBatchMode { batAppend, batUpdate, batAppendUpdate, batDelete, batCopy };
DECLARE_ENUM_TYPE(TBatchMode);

// Copies the rows of a dataset into a table in one of five modes. Update,
// append-update and delete match rows by the destination's key fields.
class TBatchMove : public TComponent {
  DECLARE_CLASS(TBatchMove, TComponent)
public:
  explicit TBatchMove(TComponent* owner) : TComponent(owner) {}
  ~TBatchMove() override;

  TDataSet* Source() const { return FSource; }
  void SetSource(TDataSet* v);
  TTable* Destination() const { return FDestination; }
  void SetDestination(TTable* v);
  TBatchMode Mode() const { return FMode; }
  void SetMode(TBatchMode v) { FMode = v; }
  // The most source records to take, 0 for all.
  int32_t RecordCount() const { return FRecordCount; }
  void SetRecordCount(int32_t v) { FRecordCount = v; }
  // When off, rows that break a unique key are counted and skipped.
  bool AbortOnKeyViol() const { return FAbortOnKeyViol; }
  void SetAbortOnKeyViol(bool v) { FAbortOnKeyViol = v; }

  // Runs the move in one transaction; any error rolls it back and is raised.
  void Execute();
  int32_t MovedCount() const { return FMovedCount; }
  int32_t KeyViolCount() const { return FKeyViolCount; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  TDataSet* FSource = nullptr;
  TTable* FDestination = nullptr;
  TBatchMode FMode = batAppend;
  int32_t FRecordCount = 0;
  bool FAbortOnKeyViol = true;
  int32_t FMovedCount = 0;
  int32_t FKeyViolCount = 0;
};

// Registers the streamable classes of this module.
void RegisterDbClasses();
