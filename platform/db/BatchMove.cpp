#include <sqlite3.h>
#include <map>

#include "DBTables.h"

DEFINE_ENUM_TYPE(TBatchMode, "batAppend,batUpdate,batAppendUpdate,batDelete,batCopy")

namespace {

// One destination column and the source field that feeds it.
struct TMapping {
  TFieldDef Dest;
  TField* Source;
  bool Key;
};

AnsiString Marks(const std::vector<const TMapping*>& cols, int first, const char* sep, bool assign) {
  AnsiString out;
  int n = first;
  for (const TMapping* m : cols) {
    if (!out.empty()) out += sep;
    if (assign) out += QuoteIdent(m->Dest.Name) + " = ";
    out += "?" + IntToStr(n++);
  }
  return out;
}

AnsiString Names(const std::vector<const TMapping*>& cols) {
  AnsiString out;
  for (const TMapping* m : cols) out += (out.empty() ? "" : ", ") + QuoteIdent(m->Dest.Name);
  return out;
}

// The prepared statements of one move; values are bound per source row.
class TMoveStatements {
public:
  TMoveStatements(TSqliteConnection& conn, const AnsiString& ref, const std::vector<TMapping>& map) : FConn(conn) {
    for (const TMapping& m : map) {
      if (!m.Source) continue;
      FAll.push_back(&m);
      (m.Key ? FKeys : FOthers).push_back(&m);
    }
    if (FAll.empty()) throw EDatabaseError("Source and destination have no field in common");
    FInsert = conn.Prepare("INSERT INTO " + ref + " (" + Names(FAll) + ") VALUES (" + Marks(FAll, 1, ", ", false) + ")");
    if (FKeys.empty()) return;
    AnsiString where = Marks(FKeys, 1, " AND ", true);
    std::vector<const TMapping*> sets = FOthers.empty() ? FKeys : FOthers;
    FUpdate = conn.Prepare("UPDATE " + ref + " SET " + Marks(sets, int(FKeys.size()) + 1, ", ", true) + " WHERE " + where);
    FUpdateSets = sets;
    FDelete = conn.Prepare("DELETE FROM " + ref + " WHERE " + where);
  }

  void ReadSource() {
    FValues.clear();
    for (const TMapping* m : FAll)
      FValues[m] = ConvertCell(m->Source->Value(), m->Source->DataType(), m->Dest.DataType, m->Dest.Name);
  }
  bool Insert() { return Run(*FInsert, {}, FAll); }
  bool Update() { return Run(*FUpdate, FKeys, FUpdateSets); }
  bool Delete() { return Run(*FDelete, FKeys, {}); }

private:
  bool Run(TSqliteStatement& st, const std::vector<const TMapping*>& first, const std::vector<const TMapping*>& then) {
    st.Reset();
    int n = 1;
    for (const TMapping* m : first) st.Bind(n++, FValues[m]);
    for (const TMapping* m : then) st.Bind(n++, FValues[m]);
    bool changed = st.ExecuteAll() > 0;
    st.Reset();
    return changed;
  }
  TSqliteConnection& FConn;
  std::vector<const TMapping*> FAll, FKeys, FOthers, FUpdateSets;
  std::unique_ptr<TSqliteStatement> FInsert, FUpdate, FDelete;
  std::map<const TMapping*, TCell> FValues;
};

bool IsKeyViolation(sqlite3* db) { return sqlite3_errcode(db) == SQLITE_CONSTRAINT; }

}  // namespace

BEGIN_CLASS(TBatchMove) {
  b.Property("AbortOnKeyViol", &TBatchMove::AbortOnKeyViol, &TBatchMove::SetAbortOnKeyViol).Default(true);
  b.Property("Destination", &TBatchMove::Destination, &TBatchMove::SetDestination);
  b.Property("Mode", &TBatchMove::Mode, &TBatchMove::SetMode).Default(batAppend);
  b.Property("RecordCount", &TBatchMove::RecordCount, &TBatchMove::SetRecordCount).Default(0);
  b.Property("Source", &TBatchMove::Source, &TBatchMove::SetSource);
}

TBatchMove::~TBatchMove() {
  SetSource(nullptr);
  SetDestination(nullptr);
}

void TBatchMove::SetSource(TDataSet* v) {
  if (FSource == v) return;
  if (FSource) FSource->RemoveFreeNotification(this);
  FSource = v;
  if (FSource) FSource->FreeNotification(this);
}

void TBatchMove::SetDestination(TTable* v) {
  if (FDestination == v) return;
  if (FDestination) FDestination->RemoveFreeNotification(this);
  FDestination = v;
  if (FDestination) FDestination->FreeNotification(this);
}

void TBatchMove::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FSource) FSource = nullptr;
  if (component == FDestination) FDestination = nullptr;
}

void TBatchMove::Execute() {
  if (!FSource || !FDestination) throw EDatabaseError("Batch move needs a source and a destination");
  FMovedCount = FKeyViolCount = 0;
  TTable& dest = *FDestination;
  bool destWasActive = dest.Active();
  if (!FSource->Active()) FSource->Open();
  if (destWasActive) dest.Close();
  if (FMode == batCopy) {
    dest.FieldDefs().Assign(FSource->FieldDefs().List());
    dest.IndexDefs().Clear();
    dest.CreateTable();
  }
  dest.FieldDefs().Update();
  std::vector<AnsiString> keys;
  if (FMode == batUpdate || FMode == batAppendUpdate || FMode == batDelete) {
    keys = dest.KeyFields();
    if (keys.empty()) throw EDatabaseError("Batch move in this mode needs a key on table " + dest.TableName());
  }
  std::vector<TMapping> map;
  for (const TFieldDef& d : dest.FieldDefs().List()) {
    bool key = false;
    for (const AnsiString& k : keys) key = key || AnsiSameText(k, d.Name);
    map.push_back(TMapping{d, FSource->FindField(d.Name), key});
    if (key && !map.back().Source) throw EDatabaseError(Format(DbMsg::FieldNotFound, {d.Name}));
  }
  TDatabase* db = dest.OpenTableDb();
  TSqliteConnection& conn = db->Connection();
  TMoveStatements st(conn, dest.TableRef(), map);
  bool ownTransaction = !db->InTransaction();
  if (ownTransaction) db->StartTransaction();
  try {
    FSource->First();
    for (int taken = 0; !FSource->Eof() && (FRecordCount <= 0 || taken < FRecordCount); ++taken) {
      st.ReadSource();
      try {
        bool moved = false;
        switch (FMode) {
          case batAppend: case batCopy: moved = st.Insert(); break;
          case batUpdate: moved = st.Update(); break;
          case batAppendUpdate: moved = st.Update() || st.Insert(); break;
          case batDelete: moved = st.Delete(); break;
        }
        if (moved) ++FMovedCount;
      } catch (const EDatabaseError&) {
        if (FAbortOnKeyViol || !IsKeyViolation(conn.Handle())) throw;
        ++FKeyViolCount;
      }
      FSource->Next();
    }
    if (ownTransaction) db->Commit();
  } catch (...) {
    if (ownTransaction && db->InTransaction()) db->Rollback();
    throw;
  }
  if (destWasActive) dest.Open();
}

// ---------------------------------------------------------------------------

void RegisterDbClasses() {
  RegisterClasses({&TSession::StaticClass(), &TDatabase::StaticClass(), &TQuery::StaticClass(),
                   &TTable::StaticClass(), &TDataSource::StaticClass(), &TBatchMove::StaticClass()});
}
