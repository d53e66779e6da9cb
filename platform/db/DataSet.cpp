#include <cmath>
#include <limits>

#include "DB.h"

BEGIN_CLASS(TDataSet) {}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), FFieldDefs(this) {}

// Descendants close themselves while their cursor still exists.
TDataSet::~TDataSet() = default;

void TDataSet::CheckActive() const {
  if (FState == dsInactive) throw EDatabaseError(DbMsg::DataSetClosed);
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive) throw EDatabaseError(DbMsg::DataSetOpen);
}

void TDataSet::SetActive(bool active) {
  if (HasState(csLoading)) {
    FStreamedActive = active;
    return;
  }
  if (active == Active()) return;
  if (active) DoOpen();
  else DoClose();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    SetActive(true);
  }
}

void TDataSet::SetUniDirectional(bool v) {
  if (v != FUniDirectional) CheckInactive();
  FUniDirectional = v;
}

void TDataSet::ResetPosition() {
  FRows.Clear();
  FCurrent.clear();
  FFetched.clear();
  FEditBuffer.clear();
  FRecNo = -1;
  FCursorRows = 0;
  FFetchedAll = false;
  FBof = FEof = true;
}

void TDataSet::DoOpen() {
  BeforeOpen(this);
  ResetPosition();
  try {
    OpenCursor();
    CreateFields();
    FCurrent.assign(size_t(FFieldDefs.Count() + FHiddenColumns), TCell());
    FState = dsBrowse;
    if (MoveToIndex(0)) FEof = false;
  } catch (...) {
    FState = dsInactive;
    FFields.Clear();
    CloseCursor();
    ResetPosition();
    throw;
  }
  AfterOpen(this);
  if (!IsEmpty()) AfterScroll(this);
}

void TDataSet::DoClose() {
  BeforeClose(this);
  FState = dsInactive;
  FFields.Clear();
  CloseCursor();
  ResetPosition();
  AfterClose(this);
}

void TDataSet::CreateFields() {
  FFields.Clear();
  for (int i = 0; i < FFieldDefs.Count(); ++i) FFields.Add(std::make_unique<TField>(this, FFieldDefs.Items(i), i));
}

void TDataSet::GetFieldNames(TStrings& list) {
  list.Clear();
  if (!Active()) FFieldDefs.Update();
  for (const TFieldDef& d : FFieldDefs.List()) list.Add(d.Name);
}

void TDataSet::Refresh() {
  CheckActive();
  int64_t at = FRecNo;
  CloseCursor();
  ResetPosition();
  OpenCursor();
  FCurrent.assign(size_t(FFieldDefs.Count() + FHiddenColumns), TCell());
  if (MoveToIndex(0)) {
    FEof = false;
    if (at > 0) MoveToIndex(at);
  }
}

const TCell& TDataSet::CellOf(int index) const {
  static const TCell null;
  const TRecord& rec = (FState == dsEdit || FState == dsInsert) ? FEditBuffer : FCurrent;
  if (FState == dsBrowse && FRecNo < 0) return null;
  return size_t(index) < rec.size() ? rec[size_t(index)] : null;
}

void TDataSet::SetCell(int index, TCell value) {
  if (FState != dsEdit && FState != dsInsert) throw EDatabaseError(DbMsg::NotEditing);
  FEditBuffer[size_t(index)] = std::move(value);
}

// ---------------------------------------------------------------------------
// Cursor movement. A bidirectional dataset keeps every row it has read; a
// unidirectional one keeps only the current row and starts its cursor again
// to reach an earlier one.

bool TDataSet::FetchUpTo(int64_t index) {
  while (!FFetchedAll && FRows.Count() <= index) {
    if (!FetchRow(FFetched)) {
      FFetchedAll = true;
      break;
    }
    FRows.Append(FFetched);
    ++FCursorRows;
  }
  return FRows.Count() > index;
}

void TDataSet::FetchAll() {
  if (!FUniDirectional) FetchUpTo(std::numeric_limits<int64_t>::max());
}

bool TDataSet::MoveToIndex(int64_t target) {
  if (target < 0) target = 0;
  if (!FUniDirectional) {
    int64_t before = FRows.Count();
    bool found = FetchUpTo(target);
    int64_t reached = found ? target : FRows.Count() - 1;
    // The row just read needs no unpacking.
    if (reached >= 0 && reached != FRecNo) {
      if (reached == FRows.Count() - 1 && reached >= before) FCurrent.swap(FFetched);
      else FRows.Read(reached, FCurrent);
    }
    FRecNo = reached;
    return found;
  }
  if (target < FRecNo || (FRecNo < 0 && FCursorRows > 0)) {
    RestartCursor();
    FCursorRows = 0;
    FFetchedAll = false;
    FRecNo = -1;
  }
  while (FRecNo < target && !FFetchedAll) {
    if (!FetchRow(FCurrent)) {
      FFetchedAll = true;
      break;
    }
    FRecNo = FCursorRows++;
  }
  return FRecNo == target;
}

template <class F> void TDataSet::Scroll(F move) {
  CheckActive();
  if (FState != dsBrowse) Post();
  BeforeScroll(this);
  move();
  AfterScroll(this);
}

void TDataSet::First() {
  Scroll([this] {
    FBof = true;
    FEof = !MoveToIndex(0);
  });
}

void TDataSet::Last() {
  Scroll([this] {
    MoveToIndex(std::numeric_limits<int64_t>::max());
    FEof = true;
    FBof = FRecNo < 0;
  });
}

void TDataSet::Next() { MoveBy(1); }
void TDataSet::Prior() { MoveBy(-1); }

int TDataSet::MoveBy(int distance) {
  int moved = 0;
  Scroll([&] {
    if (distance > 0 && !FEof) {
      int64_t from = FRecNo;
      bool found = MoveToIndex(from + distance);
      moved = int(FRecNo - from);
      if (moved > 0) FBof = false;
      if (!found) FEof = true;
    } else if (distance < 0 && !FBof) {
      int64_t from = FRecNo;
      int64_t target = from + distance;
      MoveToIndex(target < 0 ? 0 : target);
      moved = int(FRecNo - from);
      if (moved < 0) FEof = false;
      if (target < 0) FBof = true;
    }
  });
  return moved;
}

int TDataSet::RecordCount() {
  CheckActive();
  if (FFetchedAll) return int(FUniDirectional ? FCursorRows : FRows.Count());
  return int(CountRows());
}

bool TDataSet::RowMatches(const std::vector<TField*>& keys, const std::vector<AnsiString>& values,
                          TLocateOptions options) const {
  for (size_t i = 0; i < keys.size(); ++i) {
    const TField* f = keys[i];
    const AnsiString& want = values[i];
    if (f->IsNull()) {
      if (!want.empty()) return false;
      continue;
    }
    bool partial = options.Contains(loPartialKey);
    double number;
    if (!partial && (IsIntegerType(f->DataType()) || IsFloatType(f->DataType())) && TryStrToFloat(want, number)) {
      if (f->AsFloat() != number) return false;
      continue;
    }
    AnsiString have = f->AsString();
    if (partial) have = have.substr(0, want.size());
    bool same = options.Contains(loCaseInsensitive) ? AnsiSameText(have, want) : have == want;
    if (!same) return false;
  }
  return true;
}

bool TDataSet::Locate(const AnsiString& keyFields, const std::vector<AnsiString>& values, TLocateOptions options) {
  CheckActive();
  if (FState != dsBrowse) Post();
  std::vector<TField*> keys;
  AnsiString rest = keyFields;
  while (!rest.empty()) {
    size_t semi = rest.find(';');
    AnsiString name = Trim(rest.substr(0, semi));
    rest = semi == AnsiString::npos ? AnsiString() : rest.substr(semi + 1);
    if (!name.empty()) keys.push_back(FieldByName(name));
  }
  if (keys.size() != values.size())
    throw EDatabaseError("Locate needs one value for each of the fields " + keyFields);
  BeforeScroll(this);
  int64_t start = FRecNo;
  bool startBof = FBof, startEof = FEof;
  for (int64_t i = 0; MoveToIndex(i); ++i) {
    if (RowMatches(keys, values, options)) {
      FBof = FEof = false;
      AfterScroll(this);
      return true;
    }
  }
  if (start >= 0) MoveToIndex(start);
  FBof = startBof;
  FEof = startEof;
  return false;
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::Append() {
  CheckActive();
  if (!CanModify()) throw EDatabaseError(DbMsg::ReadOnlyDataSet);
  if (FState != dsBrowse) Post();
  FetchAll();
  FEditBuffer.assign(FCurrent.size(), TCell());
  FState = dsInsert;
}

void TDataSet::Edit() {
  CheckActive();
  if (!CanModify()) throw EDatabaseError(DbMsg::ReadOnlyDataSet);
  if (FState != dsBrowse) return;
  if (FRecNo < 0) throw EDatabaseError(DbMsg::NoCurrentRecord);
  FetchAll();  // no change while the cursor is still reading
  FEditBuffer = FCurrent;
  FState = dsEdit;
}

void TDataSet::Post() {
  CheckActive();
  if (FState == dsBrowse) return;
  if (FState == dsInsert) {
    InsertRecord(FEditBuffer);
    FRows.Append(FEditBuffer);
    FRecNo = FRows.Count() - 1;
  } else {
    UpdateRecord(FCurrent, FEditBuffer);
    FRows.Replace(FRecNo, FEditBuffer);
  }
  FCurrent = FEditBuffer;
  FEditBuffer.clear();
  FState = dsBrowse;
  FBof = FEof = false;
}

void TDataSet::Cancel() {
  if (FState == dsEdit || FState == dsInsert) {
    FEditBuffer.clear();
    FState = dsBrowse;
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (!CanModify()) throw EDatabaseError(DbMsg::ReadOnlyDataSet);
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  Cancel();
  if (FRecNo < 0) throw EDatabaseError(DbMsg::NoCurrentRecord);
  FetchAll();
  DeleteRecord(FCurrent);
  FRows.Erase(FRecNo);
  if (FRows.Count() == 0) {
    FRecNo = -1;
    FBof = FEof = true;
    return;
  }
  if (FRecNo >= FRows.Count()) FRecNo = FRows.Count() - 1;
  FRows.Read(FRecNo, FCurrent);
}

void TDataSet::InsertRecord(TRecord&) { throw EDatabaseError(DbMsg::ReadOnlyDataSet); }
void TDataSet::UpdateRecord(const TRecord&, TRecord&) { throw EDatabaseError(DbMsg::ReadOnlyDataSet); }
void TDataSet::DeleteRecord(const TRecord&) { throw EDatabaseError(DbMsg::ReadOnlyDataSet); }
