#include <sqlite3.h>

#include <algorithm>

#include "DBTables.h"
#include "FileSystem.h"

namespace {

std::vector<AnsiString> SplitFieldList(const AnsiString& list) {
  std::vector<AnsiString> out;
  AnsiString rest = list;
  while (!rest.empty()) {
    size_t semi = rest.find(';');
    AnsiString name = Trim(rest.substr(0, semi));
    rest = semi == AnsiString::npos ? AnsiString() : rest.substr(semi + 1);
    if (!name.empty()) out.push_back(name);
  }
  return out;
}

AnsiString JoinQuoted(const std::vector<AnsiString>& names, const char* suffix = "") {
  AnsiString out;
  for (const AnsiString& n : names) out += (out.empty() ? "" : ", ") + QuoteIdent(n) + suffix;
  return out;
}

AnsiString WithoutTrailingSemicolons(AnsiString sql) {
  sql = TrimRight(sql);
  while (!sql.empty() && sql.back() == ';') sql = TrimRight(sql.substr(0, sql.size() - 1));
  return sql;
}

TFieldType TypeOfValue(const TCell& c) {
  switch (c.Kind) {
    case TCell::Integer: return (c.Int < INT32_MIN || c.Int > INT32_MAX) ? ftLargeint : ftInteger;
    case TCell::Float: return ftFloat;
    case TCell::Text: return ftString;
    case TCell::Blob: return ftBlob;
    default: return ftUnknown;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

BEGIN_CLASS(TDBDataSet) {
  b.Property("Active", &TDBDataSet::Active, &TDBDataSet::SetActive).Default(false);
  b.Property("DatabaseName", &TDBDataSet::DatabaseName, &TDBDataSet::SetDatabaseName);
  b.Property("SessionName", &TDBDataSet::SessionName, &TDBDataSet::SetSessionName);
  b.Property("BeforeOpen", &TDBDataSet::BeforeOpen, &TDBDataSet::BeforeOpen);
  b.Property("AfterOpen", &TDBDataSet::AfterOpen, &TDBDataSet::AfterOpen);
  b.Property("BeforeClose", &TDBDataSet::BeforeClose, &TDBDataSet::BeforeClose);
  b.Property("AfterClose", &TDBDataSet::AfterClose, &TDBDataSet::AfterClose);
  b.Property("BeforeScroll", &TDBDataSet::BeforeScroll, &TDBDataSet::BeforeScroll);
  b.Property("AfterScroll", &TDBDataSet::AfterScroll, &TDBDataSet::AfterScroll);
}

TDBDataSet::TDBDataSet(TComponent* owner) : TDataSet(owner) {}

// Closing here, while this class's cursor still exists; no handler runs
// during destruction.
TDBDataSet::~TDBDataSet() {
  for (TDataSetNotifyEvent* e : {&BeforeOpen, &AfterOpen, &BeforeClose, &AfterClose, &BeforeScroll, &AfterScroll})
    e->Clear();
  if (Active()) Close();
  CloseDb();
}

void TDBDataSet::SetDatabaseName(const AnsiString& v) {
  if (v == FDatabaseName) return;
  CheckInactive();
  FDatabaseName = v;
}

void TDBDataSet::SetSessionName(const AnsiString& v) {
  if (v == FSessionName) return;
  CheckInactive();
  FSessionName = v;
}

AnsiString TDBDataSet::EffectiveDatabaseName() const {
  return Trim(FDatabaseName).empty() ? GetCurrentDir() : FDatabaseName;
}

TDatabase* TDBDataSet::OpenDb() {
  if (FDatabase) return FDatabase;
  TDatabase* db = DBSession().OpenDatabase(EffectiveDatabaseName());
  db->FDataSets.push_back(this);
  FDatabase = db;
  return db;
}

void TDBDataSet::CloseDb() {
  if (!FDatabase) return;
  TDatabase* db = FDatabase;
  FDatabase = nullptr;
  std::erase(db->FDataSets, this);
  if (db->Temporary() && db->FDataSets.empty() && db->FSession && !db->FSession->KeepConnections()) delete db;
}

void TDBDataSet::BindParams(TSqliteStatement& st, const TParams* params) {
  for (int i = 1; i <= st.ParamCount(); ++i) {
    AnsiString name = st.ParamName(i);
    TParam* p = params ? params->FindParam(name) : nullptr;
    if (!p) throw EDatabaseError(Format(DbMsg::NoParamValue, {name.empty() ? AnsiString("?") : name}));
    st.Bind(i, p->BindValue());
  }
}

void TDBDataSet::DescribeStatement(TSqliteStatement& st, bool haveRow, std::vector<TFieldDef>& defs) const {
  defs.clear();
  int n = st.ColumnCount() - FHiddenColumns;
  TCell first;
  for (int i = 0; i < n; ++i) {
    TFieldDef d;
    d.Name = st.ColumnName(i);
    d.FieldNo = i + 1;
    d.DataType = FieldTypeOfDeclared(st.ColumnDeclType(i), d.Size);
    if (d.DataType == ftUnknown && haveRow) {
      st.ReadCell(i, first);
      d.DataType = TypeOfValue(first);
      if (d.DataType == ftString) d.Size = 255;
    }
    defs.push_back(d);
  }
}

void TDBDataSet::OpenStatement(const AnsiString& sql, const TParams* params) {
  FStatement = FDatabase->Connection().Prepare(sql);
  if (!FStatement->Handle() || FStatement->ColumnCount() == 0) {
    FStatement.reset();
    throw EDatabaseError(DbMsg::NoResultSet);
  }
  BindParams(*FStatement, params);
  FRowPending = FStatement->Step();
  FCursorSql = sql;
  FCursorParams = params;
  std::vector<TFieldDef> defs;
  DescribeStatement(*FStatement, FRowPending, defs);
  FieldDefs().Assign(std::move(defs));
}

void TDBDataSet::CloseCursor() {
  FStatement.reset();
  FRowPending = false;
  CloseDb();
}

bool TDBDataSet::FetchRow(TRecord& rec) {
  if (FRowPending) {
    FRowPending = false;
    FStatement->ReadRow(rec);
    return true;
  }
  if (!FStatement || !FStatement->Step()) return false;
  FStatement->ReadRow(rec);
  return true;
}

void TDBDataSet::RestartCursor() {
  FStatement->Reset();
  FRowPending = false;
}

int64_t TDBDataSet::CountRows() {
  auto st = FDatabase->Connection().Prepare("select count(*) from (" + WithoutTrailingSemicolons(FCursorSql) + ")");
  BindParams(*st, FCursorParams);
  st->Step();
  TCell c;
  st->ReadCell(0, c);
  return c.Int;
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TQuery) {
  b.Property("ParamCheck", &TQuery::ParamCheck, &TQuery::SetParamCheck).Default(true);
  b.Property("RequestLive", &TQuery::RequestLive, &TQuery::SetRequestLive).Default(false);
  b.Property("SQL", &TQuery::SQL, &TQuery::SetSQL);
  b.Property("UniDirectional", &TQuery::UniDirectional, &TQuery::SetUniDirectional).Default(false);
}

TQuery::TQuery(TComponent* owner) : TDBDataSet(owner), FSQL(std::make_unique<TStringList>()) {
  FSQL->OnChange.Handler = [this](TObject*) { SQLChanged(); };
}

TQuery::~TQuery() { FSQL->OnChange.Clear(); }

void TQuery::SQLChanged() {
  if (Active()) Close();
  FPrepared = false;
  if (FParamCheck) FParams.ParseSQL(FSQL->Text());
}

void TQuery::OpenCursor() {
  OpenDb();
  try {
    OpenStatement(FSQL->Text(), &FParams);
  } catch (...) {
    CloseDb();
    throw;
  }
}

void TQuery::InitFieldDefs() {
  OpenDb();
  try {
    auto st = Database()->Connection().Prepare(FSQL->Text());
    if (!st->Handle() || st->ColumnCount() == 0) throw EDatabaseError(DbMsg::NoResultSet);
    // Unset parameters are null here: only the columns are wanted.
    for (int i = 1; i <= st->ParamCount(); ++i) {
      TParam* p = FParams.FindParam(st->ParamName(i));
      st->Bind(i, p && p->Bound() ? p->BindValue() : TCell());
    }
    bool row = st->Step();
    std::vector<TFieldDef> defs;
    DescribeStatement(*st, row, defs);
    FieldDefs().Assign(std::move(defs));
  } catch (...) {
    CloseDb();
    throw;
  }
  CloseDb();
}

void TQuery::Prepare() {
  OpenDb();
  try {
    Database()->Connection().Prepare(FSQL->Text());
  } catch (...) {
    if (!Active()) CloseDb();
    throw;
  }
  if (!Active()) CloseDb();
  FPrepared = true;
}

void TQuery::ExecSQL() {
  OpenDb();
  try {
    FRowsAffected = Database()->Connection().Execute(FSQL->Text(), [this](TSqliteStatement& st) {
      BindParams(st, &FParams);
    });
  } catch (...) {
    if (!Active()) CloseDb();
    throw;
  }
  if (!Active()) CloseDb();
}

// ---------------------------------------------------------------------------

const TIndexDef* TIndexDefs::Find(const AnsiString& name) const {
  for (const TIndexDef& d : FItems)
    if (AnsiSameText(d.Name, name)) return &d;
  return nullptr;
}

void TIndexDefs::Add(const AnsiString& name, const AnsiString& fields, TIndexOptions options) {
  FItems.push_back(TIndexDef{name, fields, options});
}

void TIndexDefs::Update() {
  FItems.clear();
  TSqliteConnection& conn = FTable->OpenTableDb()->Connection();
  AnsiString key = conn.BareTableName(FTable->TableName());
  AnsiString prefix = conn.PragmaPrefix(FTable->TableName());
  std::vector<std::pair<int64_t, AnsiString>> pk;
  auto info = conn.Prepare("pragma " + prefix + "table_info(" + QuoteIdent(key) + ")");
  TRecord row;
  while (info->Step()) {
    info->ReadRow(row);
    if (row[5].Int > 0) pk.emplace_back(row[5].Int, row[1].Bytes);
  }
  std::sort(pk.begin(), pk.end());
  if (!pk.empty()) {
    std::vector<AnsiString> names;
    for (const auto& p : pk) names.push_back(p.second);
    AnsiString fields;
    for (const AnsiString& n : names) fields += (fields.empty() ? "" : ";") + n;
    Add("", fields, TIndexOptions{ixPrimary, ixUnique});
  }
  auto list = conn.Prepare("pragma " + prefix + "index_list(" + QuoteIdent(key) + ")");
  while (list->Step()) {
    list->ReadRow(row);
    if (row.size() > 3 && row[3].Bytes == "pk") continue;
    AnsiString name = row[1].Bytes;
    TIndexOptions options;
    if (row[2].Int) options << ixUnique;
    auto cols = conn.Prepare("pragma " + prefix + "index_info(" + QuoteIdent(name) + ")");
    AnsiString fields;
    TRecord c;
    while (cols->Step()) {
      cols->ReadRow(c);
      fields += (fields.empty() ? "" : ";") + c[2].Bytes;
    }
    Add(name, fields, options);
  }
}

BEGIN_CLASS(TTable) {
  b.Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
  b.Property("IndexName", &TTable::IndexName, &TTable::SetIndexName);
  b.Property("ReadOnly", &TTable::ReadOnly, &TTable::SetReadOnly).Default(false);
  b.Property("TableName", &TTable::TableName, &TTable::SetTableName);
}

TTable::TTable(TComponent* owner) : TDBDataSet(owner), FIndexDefs(this) { FHiddenColumns = 1; }

TTable::~TTable() = default;

void TTable::SetTableName(const AnsiString& v) {
  if (v == FTableName) return;
  CheckInactive();
  FTableName = v;
}

void TTable::SetIndexName(const AnsiString& v) {
  FIndexName = v;
  if (!v.empty()) FIndexFieldNames.clear();
  if (Active()) Refresh();
}

void TTable::SetIndexFieldNames(const AnsiString& v) {
  FIndexFieldNames = v;
  if (!v.empty()) FIndexName.clear();
  if (Active()) Refresh();
}

AnsiString TTable::EffectiveDatabaseName() const {
  if (FTableName.find('/') != AnsiString::npos) return ExtractFileDir(AbsolutePath(Trim(FTableName)));
  return TDBDataSet::EffectiveDatabaseName();
}

AnsiString TTable::TableKey() const {
  if (FTableName.find('/') != AnsiString::npos) return ExtractFileName(Trim(FTableName));
  return Trim(FTableName);
}

TDatabase* TTable::OpenTableDb() {
  if (Database()) return Database();
  return DBSession().OpenDatabase(EffectiveDatabaseName());
}

AnsiString TTable::TableRef() {
  if (Trim(FTableName).empty()) throw EDatabaseError("No table name given");
  return OpenTableDb()->Connection().TableRef(TableKey());
}

std::vector<AnsiString> TTable::KeyFields() {
  if (!FIndexFieldNames.empty()) return SplitFieldList(FIndexFieldNames);
  FIndexDefs.Update();
  const TIndexDef* def = FIndexName.empty() ? FIndexDefs.Find("") : FIndexDefs.Find(FIndexName);
  if (!FIndexName.empty() && !def) throw EDatabaseError("Index '" + FIndexName + "' not found");
  if (def && (def->Options.Contains(ixPrimary) || !FIndexName.empty())) return SplitFieldList(def->Fields);
  return {};
}

AnsiString TTable::OrderClause() {
  std::vector<AnsiString> keys = KeyFields();
  return keys.empty() ? AnsiString(" order by rowid") : " order by " + JoinQuoted(keys);
}

void TTable::OpenCursor() {
  OpenDb();
  try {
    TSqliteConnection& conn = Database()->Connection();
    AnsiString ref = conn.TableRef(TableKey());
    OpenStatement("select *, rowid from " + ref + OrderClause(), nullptr);
  } catch (...) {
    CloseDb();
    throw;
  }
}

void TTable::InitFieldDefs() {
  auto st = OpenTableDb()->Connection().Prepare("select *, rowid from " + TableRef());
  std::vector<TFieldDef> defs;
  DescribeStatement(*st, false, defs);
  FieldDefs().Assign(std::move(defs));
}

bool TTable::Exists() { return OpenTableDb()->Connection().TableExists(TableKey()); }

void TTable::CreateTable() {
  CheckInactive();
  TSqliteConnection& conn = OpenTableDb()->Connection();
  AnsiString columns;
  for (const TFieldDef& d : FieldDefs().List()) {
    columns += (columns.empty() ? "" : ", ") + QuoteIdent(d.Name);
    AnsiString type = DeclaredTypeOf(d.DataType, d.Size);
    if (!type.empty()) columns += " " + type;
    if (d.Required) columns += " NOT NULL";
  }
  std::vector<AnsiString> indexes;
  AnsiString table = QuoteIdent(conn.BareTableName(TableKey()));
  for (int i = 0; i < FIndexDefs.Count(); ++i) {
    const TIndexDef& d = FIndexDefs.Items(i);
    AnsiString fields = JoinQuoted(SplitFieldList(d.Fields));
    if (d.Options.Contains(ixPrimary)) columns += ", PRIMARY KEY (" + fields + ")";
    else if (!d.Name.empty())
      indexes.push_back(AnsiString("CREATE ") + (d.Options.Contains(ixUnique) ? "UNIQUE " : "") + "INDEX " +
                        QuoteIdent(d.Name) + " ON " + table + " (" + fields + ")");
  }
  conn.RecreateTable(TableKey(), columns, indexes);
}

void TTable::EmptyTable() {
  OpenTableDb()->Connection().Execute("DELETE FROM " + TableRef());
  if (Active()) Refresh();
}

void TTable::DeleteTable() {
  CheckInactive();
  OpenTableDb()->Connection().DropTable(TableKey());
}

void TTable::ReadBack(int64_t rowid, TRecord& rec) {
  auto st = Database()->Connection().Prepare("select *, rowid from " + TableRef() + " where rowid = ?1");
  st->Bind(1, TCell::OfInt(rowid));
  if (st->Step()) st->ReadRow(rec);
}

void TTable::InsertRecord(TRecord& rec) {
  std::vector<AnsiString> names;
  std::vector<const TCell*> values;
  for (int i = 0; i < FieldCount(); ++i) {
    if (rec[size_t(i)].Kind == TCell::Null) continue;
    names.push_back(Fields()[i]->FieldName());
    values.push_back(&rec[size_t(i)]);
  }
  AnsiString sql = "INSERT INTO " + TableRef();
  if (names.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    AnsiString marks;
    for (size_t i = 0; i < names.size(); ++i) marks += (i ? ", ?" : "?") + IntToStr(int64_t(i + 1));
    sql += " (" + JoinQuoted(names) + ") VALUES (" + marks + ")";
  }
  TSqliteConnection& conn = Database()->Connection();
  auto st = conn.Prepare(sql);
  for (size_t i = 0; i < values.size(); ++i) st->Bind(int(i + 1), *values[i]);
  st->ExecuteAll();
  ReadBack(sqlite3_last_insert_rowid(conn.Handle()), rec);
}

void TTable::UpdateRecord(const TRecord& old, TRecord& rec) {
  AnsiString sets;
  for (int i = 0; i < FieldCount(); ++i)
    sets += (i ? ", " : "") + QuoteIdent(Fields()[i]->FieldName()) + " = ?" + IntToStr(i + 1);
  int64_t rowid = old.back().Int;
  auto st = Database()->Connection().Prepare("UPDATE " + TableRef() + " SET " + sets + " WHERE rowid = ?" +
                                             IntToStr(FieldCount() + 1));
  for (int i = 0; i < FieldCount(); ++i) st->Bind(i + 1, rec[size_t(i)]);
  st->Bind(FieldCount() + 1, TCell::OfInt(rowid));
  st->ExecuteAll();
  ReadBack(rowid, rec);
}

void TTable::DeleteRecord(const TRecord& rec) {
  auto st = Database()->Connection().Prepare("DELETE FROM " + TableRef() + " WHERE rowid = ?1");
  st->Bind(1, TCell::OfInt(rec.back().Int));
  st->ExecuteAll();
}
