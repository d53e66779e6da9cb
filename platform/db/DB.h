// Datasets and their fields, parameters and data sources, independent of
// where the rows come from. DBTables.h adds sessions, databases, queries,
// tables and batch moves on SQLite.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.h"
#include "SqliteConnection.h"
#include "SysUtils.h"
#include "TStringList.h"
#include "TypInfo.h"

// Field types in the platform's numbering.
enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
  ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle,
  ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference,
  ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid
};
DECLARE_ENUM_TYPE(TFieldType);

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
DECLARE_ENUM_TYPE(TDataSetState);

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

// The field type for a declared column type (VARCHAR(20) gives ftString of
// size 20) and the declared type that gives a field type back.
TFieldType FieldTypeOfDeclared(const AnsiString& declared, int& size);
AnsiString DeclaredTypeOf(TFieldType type, int size);
// The bytes a value of the type takes in a record buffer.
int FieldDataSize(TFieldType type, int size);
bool IsIntegerType(TFieldType type);
bool IsFloatType(TFieldType type);
bool IsDateType(TFieldType type);

// Stored date and time texts: "yyyy-mm-dd", "hh:nn:ss[.zzz]" and both joined
// by a blank; a number is taken as the day count itself.
AnsiString DateTimeToDbText(TDateTime value, TFieldType type);
bool TryDbValueToDateTime(const TCell& cell, TDateTime& value);

// Converts a value of one type into the stored form of another, with the
// conversions and errors of the field accessors.
TCell ConvertCell(const TCell& value, TFieldType from, TFieldType to, const AnsiString& fieldName);
// A stored value read as the accessors read a field of the given type.
AnsiString CellAsString(const TCell& c, TFieldType type);
int64_t CellAsLargeInt(const TCell& c, TFieldType type, const AnsiString& field);
double CellAsFloat(const TCell& c, TFieldType type, const AnsiString& field);
bool CellAsBoolean(const TCell& c, TFieldType type, const AnsiString& field);
TDateTime CellAsDateTime(const TCell& c, TFieldType type, const AnsiString& field);

class TDataSet;

// One field definition: what the database says a column is.
struct TFieldDef {
  AnsiString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
  int FieldNo = 0;  // 1-based column number
};

// The field definitions of a dataset; Update refreshes them from the database.
class TFieldDefs {
public:
  explicit TFieldDefs(TDataSet* dataSet) : FDataSet(dataSet) {}
  int Count() const { return int(FItems.size()); }
  const TFieldDef& Items(int index) const;
  // -1 when absent; names are compared without case.
  int IndexOf(const AnsiString& name) const;
  const TFieldDef* Find(const AnsiString& name) const;
  void Add(const AnsiString& name, TFieldType type, int size = 0, bool required = false);
  void Clear() { FItems.clear(); }
  void Update();
  const std::vector<TFieldDef>& List() const { return FItems; }
  void Assign(std::vector<TFieldDef> defs) { FItems = std::move(defs); }

private:
  TDataSet* FDataSet;
  std::vector<TFieldDef> FItems;
};

// A column of the open dataset: the value of the current record, read and
// written with the platform's conversions. Conversions that do not exist
// raise EDatabaseError "Cannot access field '%s' as type %s"; texts that do
// not convert raise EConvertError.
class TField : public TComponent {
  DECLARE_CLASS(TField, TComponent)
public:
  explicit TField(TComponent* owner);
  TField(TDataSet* dataSet, const TFieldDef& def, int index);

  TDataSet* DataSet() const { return FDataSet; }
  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& name) { FFieldName = name; }
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  void SetSize(int size) { FSize = size; }
  int DataSize() const { return FieldDataSize(FDataType, FSize); }
  int Index() const { return FIndex; }
  int FieldNo() const { return FIndex + 1; }
  AnsiString DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const AnsiString& label) { FDisplayLabel = label; }
  bool DisplayLabelStored() const { return !FDisplayLabel.empty(); }
  int32_t DisplayWidth() const;
  void SetDisplayWidth(int32_t width) { FDisplayWidth = width; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }

  bool IsNull() const;
  AnsiString AsString() const;
  int32_t AsInteger() const;
  int64_t AsLargeInt() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  AnsiString DisplayText() const { return AsString(); }
  // The stored value itself.
  const TCell& Value() const;

  // Writing needs the dataset in edit or insert state.
  void SetAsString(const AnsiString& v);
  void SetAsInteger(int32_t v);
  void SetAsLargeInt(int64_t v);
  void SetAsFloat(double v);
  void SetAsBoolean(bool v);
  void SetAsDateTime(TDateTime v);
  void SetValue(const TCell& v, TFieldType from);
  void Clear();

private:
  [[noreturn]] void AccessError(const char* typeName) const;
  TDataSet* FDataSet = nullptr;
  AnsiString FFieldName;
  TFieldType FDataType = ftUnknown;
  int FSize = 0;
  int FIndex = 0;
  AnsiString FDisplayLabel;
  int32_t FDisplayWidth = 0;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
};

// The fields of an open dataset, in column order.
class TFields {
public:
  int Count() const { return int(FItems.size()); }
  TField* Fields(int index) const;
  TField* operator[](int index) const { return Fields(index); }
  TField* FindField(const AnsiString& name) const;
  // Raises EDatabaseError "Field '%s' not found".
  TField* FieldByName(const AnsiString& name) const;
  void Clear() { FItems.clear(); }
  void Add(std::unique_ptr<TField> field) { FItems.push_back(std::move(field)); }

private:
  std::vector<std::unique_ptr<TField>> FItems;
};

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// A statement parameter: a name, a data type and a value.
class TParam {
public:
  explicit TParam(AnsiString name) : FName(std::move(name)) {}
  const AnsiString& Name() const { return FName; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType type) { FDataType = type; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType type) { FParamType = type; }
  // A parameter is bound once a value (or an explicit null) was given.
  bool Bound() const { return FBound; }
  bool IsNull() const { return FValue.Kind == TCell::Null; }

  // Each setter also sets the data type, as the platform's parameters do.
  void SetAsString(const AnsiString& v);
  void SetAsInteger(int32_t v);
  void SetAsLargeInt(int64_t v);
  void SetAsFloat(double v);
  void SetAsCurrency(double v);
  void SetAsBoolean(bool v);
  void SetAsDateTime(TDateTime v);
  void SetAsDate(TDateTime v);
  void SetAsTime(TDateTime v);
  void Clear();
  AnsiString AsString() const;
  int32_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  // The value as it is bound to a statement.
  TCell BindValue() const;
  void AssignValue(const TParam& other);

private:
  void Set(TFieldType type, TCell value);
  AnsiString FName;
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptInput;
  TCell FValue;
  bool FBound = false;
};

class TParams {
public:
  int Count() const { return int(FItems.size()); }
  TParam* Items(int index) const;
  TParam* operator[](int index) const { return Items(index); }
  TParam* FindParam(const AnsiString& name) const;
  // Raises EDatabaseError "Parameter '%s' not found".
  TParam* ParamByName(const AnsiString& name) const;
  TParam* CreateParam(TFieldType type, const AnsiString& name, TParamType paramType);
  void Clear() { FItems.clear(); }
  // Takes the values of same-named parameters of other.
  void AssignValues(const TParams& other);
  // The ":NAME" parameters of a statement, in order of first use.
  void ParseSQL(const AnsiString& sql);

private:
  std::vector<std::unique_ptr<TParam>> FItems;
};

// The names of the ":NAME" parameters of an SQL text, outside quotes and
// comments, in order of first use.
std::vector<AnsiString> ParamNamesOf(const AnsiString& sql);

using TDataSetNotifyEvent = TEvent<TDataSet*>;

// Rows kept by a bidirectional dataset, each packed into one byte string.
class TRowStore {
public:
  int64_t Count() const { return int64_t(FRows.size()); }
  void Append(const TRecord& rec) { FRows.push_back(Pack(rec)); }
  void Insert(int64_t index, const TRecord& rec) { FRows.insert(FRows.begin() + index, Pack(rec)); }
  // The old bytes stay unused in the arena; edits are rare next to reads.
  void Replace(int64_t index, const TRecord& rec) { FRows[size_t(index)] = Pack(rec); }
  void Erase(int64_t index) { FRows.erase(FRows.begin() + index); }
  void Read(int64_t index, TRecord& rec) const;
  void Clear();

private:
  struct TSpan {
    uint32_t Block;
    uint32_t Length;
    size_t Offset;
  };
  TSpan Pack(const TRecord& rec);
  // Packed rows one after another in blocks that never move once filled.
  std::vector<std::string> FBlocks;
  std::vector<TSpan> FRows;
};

// A dataset: a cursor over rows with fields, state, navigation and the six
// open/close/scroll events. Descendants supply the rows through the cursor
// primitives. A unidirectional dataset keeps only the current row and
// reaches an earlier one by running its cursor again from the start.
class TDataSet : public TComponent {
  DECLARE_CLASS(TDataSet, TComponent)
public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  bool Active() const { return FState != dsInactive; }
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }
  // Closes and opens again, returning to the same record number.
  void Refresh();

  void First();
  void Next();
  void Prior();
  void Last();
  // Answers the number of records actually moved (negative backwards).
  int MoveBy(int distance);
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  bool IsEmpty() const { return FEof && FBof; }
  // Counts all rows; rows not fetched yet are counted by the database.
  int RecordCount();
  // 1-based number of the current record, 0 when there is none.
  int RecNo() const { return int(FRecNo + 1); }

  // keyFields separated by ';' with one value each. Numbers compare by value
  // unless loPartialKey is given.
  bool Locate(const AnsiString& keyFields, const std::vector<AnsiString>& values, TLocateOptions options);
  bool Locate(const AnsiString& keyFields, const AnsiString& value, TLocateOptions options) {
    return Locate(keyFields, std::vector<AnsiString>{value}, options);
  }

  TFieldDefs& FieldDefs() { return FFieldDefs; }
  const TFields& Fields() const { return FFields; }
  int FieldCount() const { return FFields.Count(); }
  TField* FindField(const AnsiString& name) const { return FFields.FindField(name); }
  TField* FieldByName(const AnsiString& name) const { return FFields.FieldByName(name); }
  void GetFieldNames(TStrings& list);

  // Editing, for datasets that can write their rows back.
  void Append();
  void Insert() { Append(); }
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  virtual bool CanModify() const { return false; }

  bool UniDirectional() const { return FUniDirectional; }
  void SetUniDirectional(bool v);

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll;

  // The value a field reads: the edit buffer while editing, else the current row.
  const TCell& CellOf(int index) const;
  void SetCell(int index, TCell value);
  // Whether the cursor stands on a row (false on an empty dataset).
  bool HasCurrentRow() const { return FRecNo >= 0; }

protected:
  void Loaded() override;
  void CheckActive() const;
  void CheckInactive() const;

  // Cursor primitives. OpenCursor prepares the rows and fills the field
  // definitions; FetchRow reads the next row into rec (false at the end and
  // then rec is untouched); RestartCursor starts the rows over.
  virtual void OpenCursor() = 0;
  virtual void CloseCursor() = 0;
  virtual bool FetchRow(TRecord& rec) = 0;
  virtual void RestartCursor() = 0;
  virtual int64_t CountRows() = 0;
  // Refreshes FieldDefs without opening.
  virtual void InitFieldDefs() = 0;
  // Writing primitives; rec is the whole edited record.
  virtual void InsertRecord(TRecord& rec);
  virtual void UpdateRecord(const TRecord& old, TRecord& rec);
  virtual void DeleteRecord(const TRecord& rec);
  // Columns after the fields that the cursor carries for its own use.
  int FHiddenColumns = 0;

private:
  friend class TFieldDefs;
  void DoOpen();
  void DoClose();
  void CreateFields();
  void ResetPosition();
  bool MoveToIndex(int64_t target);
  bool FetchUpTo(int64_t index);
  void FetchAll();
  bool RowMatches(const std::vector<TField*>& keys, const std::vector<AnsiString>& values,
                  TLocateOptions options) const;
  template <class F> void Scroll(F move);

  TDataSetState FState = dsInactive;
  TFieldDefs FFieldDefs;
  TFields FFields;
  bool FUniDirectional = false;
  bool FStreamedActive = false;
  bool FBof = true;
  bool FEof = true;
  int64_t FRecNo = -1;        // index of the current row
  int64_t FCursorRows = 0;    // rows read from the cursor so far
  bool FFetchedAll = false;
  TRowStore FRows;            // bidirectional only
  TRecord FCurrent;
  TRecord FFetched;  // the row read last, before it becomes current
  TRecord FEditBuffer;
};

// Connects data-aware parts to a dataset.
class TDataSource : public TComponent {
  DECLARE_CLASS(TDataSource, TComponent)
public:
  explicit TDataSource(TComponent* owner) : TComponent(owner) {}
  ~TDataSource() override;
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* dataSet);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool v) { FAutoEdit = v; }
  TDataSetState State() const { return FDataSet && FEnabled ? FDataSet->State() : dsInactive; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  TDataSet* FDataSet = nullptr;
  bool FEnabled = true;
  bool FAutoEdit = true;
};

namespace DbMsg {
inline constexpr const char* FieldNotFound = "Field '%s' not found";
inline constexpr const char* ParamNotFound = "Parameter '%s' not found";
inline constexpr const char* NoParamValue = "No value for parameter '%s'";
inline constexpr const char* FieldAccess = "Cannot access field '%s' as type %s";
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* ReadOnlyDataSet = "Cannot modify a read-only dataset";
inline constexpr const char* NoCurrentRecord = "No current record";
inline constexpr const char* InvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr const char* InvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* NoResultSet = "Error creating cursor handle";
}  // namespace DbMsg
