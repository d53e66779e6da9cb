#include <algorithm>
#include <cctype>
#include <cstring>

#include "DB.h"

BEGIN_CLASS(TField) {
  b.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel).StoredIf(&TField::DisplayLabelStored);
  b.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
  b.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
  b.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
  b.Property("Required", &TField::Required, &TField::SetRequired).Default(false);
  b.Property("Size", &TField::Size, &TField::SetSize).Default(0);
  b.Property("Visible", &TField::Visible, &TField::SetVisible).Default(true);
}

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::TField(TDataSet* dataSet, const TFieldDef& def, int index)
    : TComponent(nullptr), FDataSet(dataSet), FFieldName(def.Name), FDataType(def.DataType), FSize(def.Size),
      FIndex(index), FRequired(def.Required) {}

int32_t TField::DisplayWidth() const {
  if (FDisplayWidth > 0) return FDisplayWidth;
  if (FDataType == ftString || FDataType == ftFixedChar) return FSize;
  return 10;
}

const TCell& TField::Value() const {
  static const TCell null;
  return FDataSet ? FDataSet->CellOf(FIndex) : null;
}

bool TField::IsNull() const { return Value().Kind == TCell::Null; }
AnsiString TField::AsString() const { return CellAsString(Value(), FDataType); }
int64_t TField::AsLargeInt() const { return CellAsLargeInt(Value(), FDataType, FFieldName); }
double TField::AsFloat() const { return CellAsFloat(Value(), FDataType, FFieldName); }
bool TField::AsBoolean() const { return CellAsBoolean(Value(), FDataType, FFieldName); }
TDateTime TField::AsDateTime() const { return CellAsDateTime(Value(), FDataType, FFieldName); }

int32_t TField::AsInteger() const {
  int64_t v = AsLargeInt();
  if (v < INT32_MIN || v > INT32_MAX) throw EConvertError(Format("'%s' is not a valid integer value", {IntToStr(v)}));
  return int32_t(v);
}

void TField::AccessError(const char* typeName) const {
  throw EDatabaseError(Format(DbMsg::FieldAccess, {FFieldName, typeName}));
}

void TField::SetValue(const TCell& v, TFieldType from) {
  if (!FDataSet) throw EDatabaseError(DbMsg::NotEditing);
  FDataSet->SetCell(FIndex, ConvertCell(v, from, FDataType, FFieldName));
}

void TField::SetAsString(const AnsiString& v) { SetValue(TCell::OfText(v), ftString); }
void TField::SetAsInteger(int32_t v) { SetValue(TCell::OfInt(v), ftInteger); }
void TField::SetAsLargeInt(int64_t v) { SetValue(TCell::OfInt(v), ftLargeint); }
void TField::SetAsFloat(double v) { SetValue(TCell::OfFloat(v), ftFloat); }
void TField::SetAsBoolean(bool v) { SetValue(TCell::OfInt(v ? 1 : 0), ftBoolean); }
void TField::SetAsDateTime(TDateTime v) { SetValue(TCell::OfFloat(v), ftDateTime); }
void TField::Clear() { SetValue(TCell(), FDataType); }

// ---------------------------------------------------------------------------

TField* TFields::Fields(int index) const {
  if (index < 0 || index >= Count()) throw EDatabaseError(Format("List index out of bounds (%d)", {index}));
  return FItems[size_t(index)].get();
}

TField* TFields::FindField(const AnsiString& name) const {
  for (const auto& f : FItems)
    if (AnsiSameText(f->FieldName(), name)) return f.get();
  return nullptr;
}

TField* TFields::FieldByName(const AnsiString& name) const {
  TField* f = FindField(name);
  if (!f) throw EDatabaseError(Format(DbMsg::FieldNotFound, {name}));
  return f;
}

const TFieldDef& TFieldDefs::Items(int index) const {
  if (index < 0 || index >= Count()) throw EDatabaseError(Format("List index out of bounds (%d)", {index}));
  return FItems[size_t(index)];
}

int TFieldDefs::IndexOf(const AnsiString& name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (AnsiSameText(FItems[i].Name, name)) return int(i);
  return -1;
}

const TFieldDef* TFieldDefs::Find(const AnsiString& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &FItems[size_t(i)];
}

void TFieldDefs::Add(const AnsiString& name, TFieldType type, int size, bool required) {
  FItems.push_back(TFieldDef{name, type, size, required, Count() + 1});
}

void TFieldDefs::Update() {
  if (FDataSet && !FDataSet->Active()) FDataSet->InitFieldDefs();
}

// ---------------------------------------------------------------------------

void TParam::Set(TFieldType type, TCell value) {
  FDataType = type;
  FValue = std::move(value);
  FBound = true;
}

void TParam::SetAsString(const AnsiString& v) { Set(ftString, TCell::OfText(v)); }
void TParam::SetAsInteger(int32_t v) { Set(ftInteger, TCell::OfInt(v)); }
void TParam::SetAsLargeInt(int64_t v) { Set(ftLargeint, TCell::OfInt(v)); }
void TParam::SetAsFloat(double v) { Set(ftFloat, TCell::OfFloat(v)); }
void TParam::SetAsCurrency(double v) { Set(ftCurrency, TCell::OfFloat(v)); }
void TParam::SetAsBoolean(bool v) { Set(ftBoolean, TCell::OfInt(v ? 1 : 0)); }
void TParam::SetAsDateTime(TDateTime v) { Set(ftDateTime, TCell::OfFloat(v)); }
void TParam::SetAsDate(TDateTime v) { Set(ftDate, TCell::OfFloat(v)); }
void TParam::SetAsTime(TDateTime v) { Set(ftTime, TCell::OfFloat(v)); }
void TParam::Clear() { Set(FDataType, TCell()); }

AnsiString TParam::AsString() const { return CellAsString(FValue, FDataType); }
int32_t TParam::AsInteger() const { return int32_t(CellAsLargeInt(FValue, FDataType, FName)); }
double TParam::AsFloat() const { return CellAsFloat(FValue, FDataType, FName); }
bool TParam::AsBoolean() const { return CellAsBoolean(FValue, FDataType, FName); }
TDateTime TParam::AsDateTime() const { return CellAsDateTime(FValue, FDataType, FName); }

// Dates go to the database as text so that SQLite's date functions read them.
TCell TParam::BindValue() const {
  if (!FBound) throw EDatabaseError(Format(DbMsg::NoParamValue, {FName}));
  if (IsDateType(FDataType)) return ConvertCell(FValue, FDataType, FDataType, FName);
  return FValue;
}

void TParam::AssignValue(const TParam& other) {
  FDataType = other.FDataType;
  FParamType = other.FParamType;
  FValue = other.FValue;
  FBound = other.FBound;
}

TParam* TParams::Items(int index) const {
  if (index < 0 || index >= Count()) throw EDatabaseError(Format("List index out of bounds (%d)", {index}));
  return FItems[size_t(index)].get();
}

TParam* TParams::FindParam(const AnsiString& name) const {
  for (const auto& p : FItems)
    if (AnsiSameText(p->Name(), name)) return p.get();
  return nullptr;
}

TParam* TParams::ParamByName(const AnsiString& name) const {
  TParam* p = FindParam(name);
  if (!p) throw EDatabaseError(Format(DbMsg::ParamNotFound, {name}));
  return p;
}

TParam* TParams::CreateParam(TFieldType type, const AnsiString& name, TParamType paramType) {
  FItems.push_back(std::make_unique<TParam>(name));
  FItems.back()->SetDataType(type);
  FItems.back()->SetParamType(paramType);
  return FItems.back().get();
}

void TParams::AssignValues(const TParams& other) {
  for (const auto& p : FItems)
    if (TParam* o = other.FindParam(p->Name())) p->AssignValue(*o);
}

void TParams::ParseSQL(const AnsiString& sql) {
  TParams old;
  old.FItems.swap(FItems);
  for (const AnsiString& name : ParamNamesOf(sql)) CreateParam(ftUnknown, name, ptInput);
  AssignValues(old);
}

std::vector<AnsiString> ParamNamesOf(const AnsiString& sql) {
  std::vector<AnsiString> names;
  auto identChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
                                       static_cast<unsigned char>(c) >= 0x80; };
  for (size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (c == '\'' || c == '"' || c == '`') {
      size_t end = sql.find(c, i + 1);
      i = end == AnsiString::npos ? sql.size() : end;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      size_t end = sql.find('\n', i);
      i = end == AnsiString::npos ? sql.size() : end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      size_t end = sql.find("*/", i + 2);
      i = end == AnsiString::npos ? sql.size() : end + 1;
    } else if (c == ':' && i + 1 < sql.size() && identChar(sql[i + 1]) && (i == 0 || sql[i - 1] != ':')) {
      size_t j = i + 1;
      while (j < sql.size() && identChar(sql[j])) ++j;
      AnsiString name = sql.substr(i + 1, j - i - 1);
      bool known = false;
      for (const AnsiString& n : names) known = known || AnsiSameText(n, name);
      if (!known) names.push_back(name);
      i = j - 1;
    }
  }
  return names;
}

// ---------------------------------------------------------------------------
// Packed rows: per cell a kind byte, then 8 bytes for numbers or a 4-byte
// length and the bytes for texts and blobs.

TRowStore::TSpan TRowStore::Pack(const TRecord& rec) {
  constexpr size_t BlockSize = 4 << 20;
  size_t size = 0;
  for (const TCell& c : rec) size += 13 + c.Bytes.size();
  if (FBlocks.empty() || FBlocks.back().size() + size > FBlocks.back().capacity()) {
    FBlocks.emplace_back();
    FBlocks.back().reserve(std::max(BlockSize, size));
  }
  std::string& data = FBlocks.back();
  size_t start = data.size();
  for (const TCell& c : rec) {
    data += char(c.Kind);
    if (c.Kind == TCell::Integer) {
      data.append(reinterpret_cast<const char*>(&c.Int), 8);
    } else if (c.Kind == TCell::Float) {
      data.append(reinterpret_cast<const char*>(&c.Real), 8);
    } else if (c.Kind == TCell::Text || c.Kind == TCell::Blob) {
      uint32_t n = uint32_t(c.Bytes.size());
      data.append(reinterpret_cast<const char*>(&n), 4);
      data += c.Bytes;
    }
  }
  return TSpan{uint32_t(FBlocks.size() - 1), uint32_t(data.size() - start), start};
}

void TRowStore::Clear() {
  FBlocks.clear();
  FBlocks.shrink_to_fit();
  FRows.clear();
  FRows.shrink_to_fit();
}

void TRowStore::Read(int64_t index, TRecord& rec) const {
  const TSpan span = FRows[size_t(index)];
  const char* row = FBlocks[span.Block].data() + span.Offset;
  size_t pos = 0;
  size_t i = 0;
  while (pos < span.Length) {
    if (i >= rec.size()) rec.resize(i + 1);
    TCell& c = rec[i++];
    c.Kind = TCell::TKind(row[pos++]);
    if (c.Kind == TCell::Integer) {
      std::memcpy(&c.Int, row + pos, 8);
      pos += 8;
    } else if (c.Kind == TCell::Float) {
      std::memcpy(&c.Real, row + pos, 8);
      pos += 8;
    } else if (c.Kind == TCell::Text || c.Kind == TCell::Blob) {
      uint32_t n;
      std::memcpy(&n, row + pos, 4);
      pos += 4;
      c.Bytes.assign(row + pos, n);
      pos += n;
    }
  }
  rec.resize(i);
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TDataSource) {
  b.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
  b.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
  b.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
}

TDataSource::~TDataSource() { SetDataSet(nullptr); }

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (FDataSet == dataSet) return;
  if (FDataSet) FDataSet->RemoveFreeNotification(this);
  FDataSet = dataSet;
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FDataSet) FDataSet = nullptr;
}
