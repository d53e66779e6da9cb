#include <algorithm>
#include <cstdlib>
#include <map>

#include <sqlite3.h>

#include "DBTables.h"
#include "FileSystem.h"
#include "Settings.h"

DEFINE_ENUM_TYPE(TConfigMode, "cfmVirtual,cfmPersistent,cfmSession")
DEFINE_SET_TYPE(TConfigModes, TConfigMode)

namespace {

constexpr const char* DefaultSessionName = "Default";
constexpr const char* StandardDriver = "STANDARD";
constexpr const char* SqliteDriver = "SQLITE";
constexpr const char* DriverValue = "DRIVER";

std::vector<TSession*>& AllSessions() {
  static std::vector<TSession*> sessions;
  return sessions;
}

bool IsStandardDriver(const AnsiString& driver) {
  return driver.empty() || SameText(driver, StandardDriver) || SameText(driver, "PARADOX");
}

AnsiString CanonicalDriver(const AnsiString& driver) {
  if (IsStandardDriver(driver)) return StandardDriver;
  if (SameText(driver, SqliteDriver)) return SqliteDriver;
  throw EDatabaseError("Unknown driver: " + driver);
}

// The sample database directory: $VORDA_SAMPLE_DB, else the one the build made.
AnsiString SampleDirectory() {
  if (const char* env = std::getenv("VORDA_SAMPLE_DB"); env && *env) return env;
#ifdef VORDA_SAMPLE_DB_DIR
  return VORDA_SAMPLE_DB_DIR;
#else
  return "";
#endif
}

void SortNames(std::vector<AnsiString>& names) {
  std::sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
}

void FillList(TStrings& list, const std::vector<AnsiString>& names) {
  list.BeginUpdate();
  list.Clear();
  for (const AnsiString& n : names) list.Add(n);
  list.EndUpdate();
}

// Connections are shared by every database on the same directory or file,
// so that one process never locks itself out of its own tables.
std::shared_ptr<TSqliteConnection> PooledConnection(bool standard, const AnsiString& location) {
  static std::map<AnsiString, std::weak_ptr<TSqliteConnection>> pool;
  AnsiString key = (standard ? "S:" : "F:") + IncludeTrailingPathDelimiter(AbsolutePath(location));
  if (auto existing = pool[key].lock()) return existing;
  auto conn = standard ? TSqliteConnection::OpenStandard(location) : TSqliteConnection::OpenFile(location);
  pool[key] = conn;
  return conn;
}

}  // namespace

AnsiString TAliasDef::Param(const AnsiString& name) const {
  for (const auto& [n, v] : Params)
    if (SameText(n, name)) return v;
  return "";
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TSession) {
  b.Property("KeepConnections", &TSession::KeepConnections, &TSession::SetKeepConnections).Default(true);
  b.Property("SessionName", &TSession::SessionName, &TSession::SetSessionName);
}

TSession::TSession(TComponent* owner) : TComponent(owner) { AllSessions().push_back(this); }

TSession::~TSession() {
  Close();
  for (TDatabase* db : FDatabases) db->FSession = nullptr;
  std::erase(AllSessions(), this);
}

TSession& Session() {
  static TSession* session = [] {
    static TSession s(nullptr);
    s.SetSessionName(DefaultSessionName);
    RegisterDbClasses();
    return &s;
  }();
  return *session;
}

TSession& SessionByName(const AnsiString& name) {
  if (Trim(name).empty() || SameText(name, DefaultSessionName)) return Session();
  for (TSession* s : AllSessions())
    if (SameText(s->SessionName(), name)) return *s;
  throw EDatabaseError("Session " + name + " not found");
}

void TSession::Register(TDatabase* db) {
  if (std::find(FDatabases.begin(), FDatabases.end(), db) == FDatabases.end()) FDatabases.push_back(db);
}

void TSession::Unregister(TDatabase* db) { std::erase(FDatabases, db); }

std::vector<TAliasDef> TSession::PersistentAliases() const {
  std::vector<TAliasDef> aliases;
  TRegistry reg;
  if (!reg.OpenKeyReadOnly(AliasesKey)) return aliases;
  for (const AnsiString& name : reg.GetKeyNames()) {
    TRegistry key;
    if (!key.OpenKeyReadOnly(AnsiString(AliasesKey) + "\\" + name)) continue;
    TAliasDef def{name, StandardDriver, {}, true};
    for (const AnsiString& value : key.GetValueNames()) {
      AnsiString text = key.GetDataType(value) == rdInteger ? IntToStr(key.ReadInteger(value)) : key.ReadString(value);
      if (SameText(value, DriverValue)) def.Driver = text;
      else def.Params.emplace_back(value, text);
    }
    aliases.push_back(def);
  }
  return aliases;
}

void TSession::WritePersistentAlias(const TAliasDef& alias) {
  TRegistry reg;
  reg.OpenKey(AnsiString(AliasesKey) + "\\" + alias.Name, true);
  reg.WriteString(DriverValue, alias.Driver);
  for (const auto& [n, v] : alias.Params) reg.WriteString(n, v);
}

bool TSession::FindAlias(const AnsiString& name, TAliasDef& alias) const {
  AnsiString n = Trim(name);
  if (n.empty()) return false;
  if (FConfigMode.Contains(cfmSession)) {
    for (const TAliasDef& a : FSessionAliases)
      if (AnsiSameText(a.Name, n)) { alias = a; return true; }
  }
  if (FConfigMode.Contains(cfmPersistent)) {
    for (const TAliasDef& a : PersistentAliases())
      if (AnsiSameText(a.Name, n)) { alias = a; return true; }
  }
  AnsiString sample = SampleDirectory();
  if (SameText(n, SampleAliasName) && !sample.empty() && DirectoryExists(sample)) {
    alias = TAliasDef{SampleAliasName, StandardDriver, {{"PATH", sample}}, false};
    return true;
  }
  return false;
}

bool TSession::IsAlias(const AnsiString& name) const {
  TAliasDef a;
  return FindAlias(name, a);
}

void TSession::AddAlias(const AnsiString& name, const AnsiString& driver, const TStrings& params) {
  AnsiString n = Trim(name);
  if (n.empty()) throw EDatabaseError("Alias name is empty");
  if (IsAlias(n)) throw EDatabaseError("Alias '" + n + "' already exists");
  TAliasDef def{n, CanonicalDriver(driver), {}, false};
  for (int i = 0; i < params.Count(); ++i)
    if (!params.Names(i).empty()) def.Params.emplace_back(params.Names(i), params.ValueFromIndex(i));
  if (!FConfigMode.Contains(cfmSession) && FConfigMode.Contains(cfmPersistent)) {
    def.Persistent = true;
    WritePersistentAlias(def);
  } else {
    FSessionAliases.push_back(def);
  }
}

void TSession::AddStandardAlias(const AnsiString& name, const AnsiString& path, const AnsiString& defaultDriver) {
  TStringList params;
  params.Add("PATH=" + path);
  AddAlias(name, defaultDriver, params);
}

void TSession::CloseAliasDatabases(const AnsiString& alias) {
  std::vector<TDatabase*> copy = FDatabases;
  for (TDatabase* db : copy) {
    bool viaAlias = SameText(db->AliasName(), alias) || (db->Temporary() && SameText(db->DatabaseName(), alias));
    if (!viaAlias) continue;
    db->Close();
    if (db->Temporary()) delete db;
  }
}

void TSession::DeleteAlias(const AnsiString& name) {
  AnsiString n = Trim(name);
  auto it = std::find_if(FSessionAliases.begin(), FSessionAliases.end(),
                         [&](const TAliasDef& a) { return AnsiSameText(a.Name, n); });
  if (it != FSessionAliases.end()) {
    FSessionAliases.erase(it);
  } else {
    TRegistry reg;
    if (!reg.OpenKey(AliasesKey, false) || !reg.KeyExists(n)) throw EDatabaseError("Alias '" + n + "' not found");
    reg.DeleteKey(n);
  }
  CloseAliasDatabases(n);
}

void TSession::GetAliasNames(TStrings& list) const {
  std::vector<AnsiString> names;
  auto add = [&](const AnsiString& n) {
    for (const AnsiString& known : names)
      if (AnsiSameText(known, n)) return;
    names.push_back(n);
  };
  if (FConfigMode.Contains(cfmSession))
    for (const TAliasDef& a : FSessionAliases) add(a.Name);
  if (FConfigMode.Contains(cfmPersistent))
    for (const TAliasDef& a : PersistentAliases()) add(a.Name);
  if (IsAlias(SampleAliasName)) add(SampleAliasName);
  SortNames(names);
  FillList(list, names);
}

void TSession::GetAliasParams(const AnsiString& name, TStrings& list) const {
  TAliasDef a;
  if (!FindAlias(name, a)) throw EDatabaseError("Alias '" + name + "' not found");
  list.Clear();
  for (const auto& [n, v] : a.Params) list.Add(n + "=" + v);
}

AnsiString TSession::GetAliasDriverName(const AnsiString& name) const {
  TAliasDef a;
  if (!FindAlias(name, a)) throw EDatabaseError("Alias '" + name + "' not found");
  return CanonicalDriver(a.Driver);
}

void TSession::GetDriverNames(TStrings& list) const { FillList(list, {StandardDriver, SqliteDriver}); }

void TSession::GetDatabaseNames(TStrings& list) const {
  TStringList aliases;
  GetAliasNames(aliases);
  std::vector<AnsiString> names;
  for (int i = 0; i < aliases.Count(); ++i) names.push_back(aliases[i]);
  for (TDatabase* db : FDatabases) {
    if (db->Temporary() || db->DatabaseName().empty()) continue;
    bool known = false;
    for (const AnsiString& n : names) known = known || AnsiSameText(n, db->DatabaseName());
    if (!known) names.push_back(db->DatabaseName());
  }
  SortNames(names);
  FillList(list, names);
}

void TSession::GetTableNames(const AnsiString& databaseName, const AnsiString& pattern, bool extensions,
                             bool systemTables, TStrings& list) {
  TDatabase* db = OpenDatabase(databaseName);
  AnsiString mask = Trim(pattern).empty() ? AnsiString("*") : Trim(pattern);
  std::vector<AnsiString> names;
  for (const AnsiString& n : db->Connection().TableNames(extensions, systemTables))
    if (MatchesFilePattern(n, mask) || (extensions && MatchesFilePattern(StandardTableName(n), mask)))
      names.push_back(n);
  FillList(list, names);
}

TDatabase* TSession::FindDatabase(const AnsiString& databaseName) const {
  AnsiString n = Trim(databaseName);
  for (TDatabase* db : FDatabases)
    if (!n.empty() && AnsiSameText(db->DatabaseName(), n)) return db;
  return nullptr;
}

TDatabase* TSession::OpenDatabase(const AnsiString& databaseName) {
  if (TDatabase* db = FindDatabase(databaseName)) {
    db->Open();
    return db;
  }
  auto* db = new TDatabase(this);  // owned by the session
  db->FTemporary = true;
  db->SetSessionName(FSessionName);
  db->SetDatabaseName(Trim(databaseName));
  try {
    db->Open();
  } catch (...) {
    delete db;
    throw;
  }
  return db;
}

void TSession::Close() {
  std::vector<TDatabase*> copy = FDatabases;
  for (TDatabase* db : copy) db->Close();
  DropConnections();
}

void TSession::DropConnections() {
  std::vector<TDatabase*> copy = FDatabases;
  for (TDatabase* db : copy)
    if (db->Temporary() && db->DataSetCount() == 0) delete db;
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TDatabase) {
  b.Property("AliasName", &TDatabase::AliasName, &TDatabase::SetAliasName);
  b.Property("DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName);
  b.Property("DriverName", &TDatabase::DriverName, &TDatabase::SetDriverName);
  b.Property("KeepConnection", &TDatabase::KeepConnection, &TDatabase::SetKeepConnection).Default(true);
  b.Property("LoginPrompt", &TDatabase::LoginPrompt, &TDatabase::SetLoginPrompt).Default(true);
  b.Property("Params", &TDatabase::Params, &TDatabase::SetParams);
  b.Property("SessionName", &TDatabase::SessionName, &TDatabase::SetSessionName);
  b.Property("Connected", &TDatabase::Connected, &TDatabase::SetConnected).Default(false);
}

TDatabase::TDatabase(TComponent* owner) : TComponent(owner), FParams(std::make_unique<TStringList>()) {
  FSession = &Session();
  FSession->Register(this);
}

TDatabase::~TDatabase() {
  CloseDataSets();
  FConnection.reset();
  if (FSession) FSession->Unregister(this);
}

void TDatabase::CheckInactive() const {
  if (Connected()) throw EDatabaseError("Cannot perform this operation on an open database");
}

void TDatabase::SetAliasName(const AnsiString& v) {
  CheckInactive();
  FAliasName = v;
  if (!v.empty()) FDriverName.clear();
}

void TDatabase::SetDatabaseName(const AnsiString& v) {
  CheckInactive();
  FDatabaseName = v;
}

void TDatabase::SetDriverName(const AnsiString& v) {
  CheckInactive();
  FDriverName = v;
  if (!v.empty()) FAliasName.clear();
}

void TDatabase::SetSessionName(const AnsiString& v) {
  CheckInactive();
  TSession& target = SessionByName(v);
  if (FSession != &target) {
    if (FSession) FSession->Unregister(this);
    FSession = &target;
    FSession->Register(this);
  }
  FSessionName = v;
}

void TDatabase::SetConnected(bool v) {
  if (HasState(csLoading)) {
    FStreamedConnected = v;
    return;
  }
  if (v == Connected()) return;
  if (v) {
    Connect();
  } else {
    CloseDataSets();
    FConnection.reset();
  }
}

void TDatabase::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    SetConnected(true);
  }
}

void TDatabase::Connect() {
  TAliasDef def;
  TSession& session = FSession ? *FSession : Session();
  if (!FAliasName.empty()) {
    if (!session.FindAlias(FAliasName, def)) throw EDatabaseError("Alias '" + FAliasName + "' not found");
  } else if (!FDriverName.empty()) {
    def.Driver = FDriverName;
  } else if (!session.FindAlias(FDatabaseName, def)) {
    if (FDatabaseName.empty() || !DirectoryExists(FDatabaseName))
      throw EDatabaseError("Unknown database: " + FDatabaseName);
    def = TAliasDef{FDatabaseName, StandardDriver, {{"PATH", FDatabaseName}}, false};
  }
  for (int i = 0; i < FParams->Count(); ++i) {
    AnsiString name = FParams->Names(i);
    if (name.empty()) continue;
    std::erase_if(def.Params, [&](const auto& p) { return SameText(p.first, name); });
    def.Params.emplace_back(name, FParams->ValueFromIndex(i));
  }
  bool standard = CanonicalDriver(def.Driver) == StandardDriver;
  AnsiString location = standard ? def.Param("PATH") : def.Param("DATABASE NAME");
  if (location.empty()) location = def.Param("PATH");
  if (location.empty()) throw EDatabaseError("No PATH given for database " + FDatabaseName);
  FConnection = PooledConnection(standard, location);
}

AnsiString TDatabase::ResolvedDriver() const {
  if (!FConnection) return "";
  return FConnection->Kind() == TDriverKind::Standard ? StandardDriver : SqliteDriver;
}

TSqliteConnection& TDatabase::Connection() const {
  if (!FConnection) throw EDatabaseError("Database " + FDatabaseName + " is not connected");
  return *FConnection;
}

void TDatabase::GetTableNames(TStrings& list, bool systemTables) {
  Open();
  FillList(list, Connection().TableNames(false, systemTables));
}

int64_t TDatabase::Execute(const AnsiString& sql) {
  Open();
  return Connection().Execute(sql);
}

void TDatabase::StartTransaction() { Execute("BEGIN"); }
void TDatabase::Commit() { Execute("COMMIT"); }
void TDatabase::Rollback() { Execute("ROLLBACK"); }

bool TDatabase::InTransaction() const { return FConnection && !sqlite3_get_autocommit(FConnection->Handle()); }

void TDatabase::CloseDataSets() {
  std::vector<TDBDataSet*> copy = FDataSets;
  for (TDBDataSet* ds : copy) ds->Close();
}
