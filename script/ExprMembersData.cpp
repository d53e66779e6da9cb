// Member operations on datasets: opening, moving, counting, locating, field
// values, table names, the SQL segments of a query and its parameters.
#include <algorithm>
#include <array>

#include "DBTables.h"
#include "ExprMembersInternal.h"
#include "ExprSupport.h"
#include "uParseQuery.h"

namespace {

namespace Msg {
constexpr const char* StateError = "ERROR %s";
constexpr const char* FieldNotExists = "Field %s  not exists";
constexpr const char* NotInteger = "Not Integer Field  %s  ";
constexpr const char* NotFloat = "Not Float Field  %s  ";
constexpr const char* NotBoolean = "Not Boolean Field  %s  ";
constexpr const char* NotDate = "Not DATEtime Field  %s  ";
constexpr const char* NotTime = "Not dateTIME Field  %s  ";
}  // namespace Msg

enum : int {
  mcClose = 20, mcOpen, mcExecSql, mcIsEmpty, mcEof, mcBof, mcNext, mcPrior, mcFirst, mcLast, mcMoveBy,
  mcLocate, mcRecordCount, mcLocatePartial, mcFieldExists, mcTableExists, mcDataType, mcDataSize,
  mcFieldCount, mcField, mcAsString, mcAsInteger, mcAsFloat, mcAsBoolean, mcAsDate, mcAsTime, mcAsDateTime,
  mcGetSegment = 60, mcChangeSegment, mcAddToWhere, mcSelectCount,
  mcParamInteger = 81, mcParamBoolean, mcParamString, mcParamDateTime, mcParamDate, mcParamTime, mcParamFloat
};

bool IsMemberDataSet(const TObject* object) {
  const AnsiString& name = object->ClassName();
  return name == "TDataSet" || name == "TQuery" || name == "TTable";
}

TQuery& QueryOf(TDataSet& dataSet) {
  if (dataSet.ClassName() != "TQuery") throw EExpression("Not a query");
  return static_cast<TQuery&>(dataSet);
}

// The field definitions must name the field; a closed dataset reads them anew.
bool FieldDefined(TDataSet& dataSet, const TMemberCall& call, const AnsiString& field) {
  if (!dataSet.Active()) dataSet.FieldDefs().Update();
  if (dataSet.FieldDefs().IndexOf(field) >= 0) return true;
  ReportScriptErrorFmt(Msg::FieldNotExists, {call.Identifier + "(" + field + ")"});
  return false;
}

const char* DataTypeName(TFieldType type) {
  switch (type) {
    case ftString: return "STRING";
    case ftSmallint:
    case ftInteger:
    case ftWord: return "INTEGER";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "CURRENCY";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "DATETIME";
    case ftBytes: return "BYTES";
    case ftVarBytes: return "VARBYTES";
    case ftAutoInc: return "AUTOINC";
    case ftBlob: return "BLOB";
    case ftMemo: return "MEMO";
    case ftGraphic: return "GRAPHIC";
    case ftFmtMemo: return "FTMMEMO";
    default: return "X";
  }
}

// A field value read as asked; a failure reports the member's message.
template <class Read>
IValuePtr FieldValue(TDataSet& dataSet, const TMemberCall& call, const char* failure, Read read) {
  try {
    return read(*dataSet.FieldByName(call.Text(0)));
  } catch (const EExpression&) {
    throw;
  } catch (const std::exception&) {
    ReportScriptErrorFmt(failure, {call.Identifier});
    return MemberBoolean(false);
  }
}

IValuePtr FieldMember(TDataSet& dataSet, const TMemberCall& call) {
  if (call.Code == mcFieldCount) {
    if (!dataSet.Active()) dataSet.FieldDefs().Update();
    return MemberInteger(dataSet.FieldDefs().Count());
  }
  if (!call.NeedsParameters()) return MemberBoolean(false);
  const AnsiString field = call.Text(0);
  if (!FieldDefined(dataSet, call, field)) return MemberBoolean(false);
  const TFieldDef& def = *dataSet.FieldDefs().Find(field);
  switch (call.Code) {
    case mcDataType: return MemberString(DataTypeName(def.DataType));
    case mcDataSize: return MemberInteger(def.Size);
    case mcField: return MemberString(def.Name);
    case mcAsString:
      try {
        return MemberString(dataSet.FieldByName(field)->AsString());
      } catch (const std::exception&) {
        return MemberString(AnsiString());
      }
    case mcAsInteger:
      return FieldValue(dataSet, call, Msg::NotInteger, [](TField& f) { return MemberInteger(f.AsInteger()); });
    case mcAsFloat:
      return FieldValue(dataSet, call, Msg::NotFloat, [](TField& f) { return MemberFloat(f.AsFloat()); });
    case mcAsBoolean:
      return FieldValue(dataSet, call, Msg::NotBoolean, [](TField& f) { return MemberBoolean(f.AsBoolean()); });
    case mcAsDate:
      return FieldValue(dataSet, call, Msg::NotDate, [](TField& f) { return MemberString(DateToStr(f.AsDateTime())); });
    case mcAsTime:
      return FieldValue(dataSet, call, Msg::NotTime, [](TField& f) { return MemberString(TimeToStr(f.AsDateTime())); });
    case mcAsDateTime: return MemberFloat(dataSet.FieldByName(field)->AsDateTime());
    default: return nullptr;
  }
}

IValuePtr LocateMember(TDataSet& dataSet, const TMemberCall& call) {
  if (!call.NeedsParameters()) return MemberBoolean(false);
  const AnsiString fields = call.Text(0);
  if (!FieldDefined(dataSet, call, fields)) return MemberBoolean(false);
  const AnsiString value = call.Text(1);
  if (!dataSet.Active()) return MemberBoolean(false);
  TLocateOptions options{loCaseInsensitive};
  if (call.Code == mcLocatePartial) options << loPartialKey;
  return MemberBoolean(dataSet.Locate(fields, value, options));
}

bool FramedBySeparators(const AnsiString& text, size_t at, size_t length) {
  constexpr std::array<char, 6> separators = {'\n', '\r', ',', '.', ';', '\\'};
  auto separator = [&](char c) { return std::find(separators.begin(), separators.end(), c) != separators.end(); };
  return at > 0 && at + length < text.size() && separator(text[at - 1]) && separator(text[at + length]);
}

bool TableExists(TDataSet& dataSet, const AnsiString& table) {
  auto* dbDataSet = dynamic_cast<TDBDataSet*>(&dataSet);
  if (!dbDataSet) return false;
  AnsiString database = dbDataSet->DatabaseName();
  if (database.empty()) database = GetCurrentDir();
  TStringList names;
  dbDataSet->DBSession().GetTableNames(database, "*", false, false, names);
  AnsiString joined;
  for (int i = 0; i < names.Count(); ++i) joined += (i ? "\r\n" : "") + names.Strings(i);
  const AnsiString text = ";" + AnsiUpperCase(joined) + ";";
  const AnsiString wanted = AnsiUpperCase(table);
  if (wanted.empty()) return false;
  for (size_t at = text.find(wanted); at != AnsiString::npos; at = text.find(wanted, at + 1))
    if (FramedBySeparators(text, at, wanted.size())) return true;
  return false;
}

IValuePtr SegmentMember(TDataSet& dataSet, const TMemberCall& call) {
  if (call.Code == mcSelectCount) return MemberInteger(SelectCount(QueryOf(dataSet)));
  if (!call.NeedsParameters()) return MemberBoolean(false);
  TQuery& query = QueryOf(dataSet);
  const AnsiString argument = call.Text(0);
  ParseSQL(query.SQL()->Text());
  if (call.Code == mcGetSegment) return MemberString(GetSegment(argument));
  if (call.Code == mcChangeSegment) ChangeSegment(argument);
  else AddToWhere(argument);
  query.Close();
  query.SQL()->SetText(GetSQLText());
  return MemberBoolean(true);
}

void SetParam(TParam& param, int code, const TMemberCall& call) {
  switch (code) {
    case mcParamInteger: param.SetAsInteger(call.Integer(1)); break;
    case mcParamBoolean: param.SetAsBoolean(call.Boolean(1)); break;
    case mcParamString: param.SetAsString(call.Text(1)); break;
    case mcParamDateTime: param.SetAsDateTime(call.Float(1)); break;
    case mcParamDate: param.SetAsDate(call.Float(1)); break;
    case mcParamTime: param.SetAsTime(call.Float(1)); break;
    case mcParamFloat: param.SetAsFloat(call.Float(1)); break;
    default: break;
  }
}

IValuePtr ParamMember(TDataSet& dataSet, const TMemberCall& call) {
  if (!call.NeedsParameters()) return MemberBoolean(false);
  const AnsiString name = call.Text(0);
  auto* query = dataSet.ClassName() == "TQuery" ? static_cast<TQuery*>(&dataSet) : nullptr;
  TParam* param = query ? query->FindParam(name) : nullptr;
  if (!param) return MemberBoolean(true);
  try {
    SetParam(*param, call.Code, call);
  } catch (const std::exception&) {
    ReportScriptError("Invalid Field " + name + " parameter" + " or dataset is busy");
    return MemberBoolean(false);
  }
  return MemberBoolean(true);
}

// ISEMPTY, EOF, BOF: a failure names the member.
IValuePtr StateMember(TDataSet& dataSet, const TMemberCall& call) {
  try {
    if (call.Code == mcIsEmpty) return MemberBoolean(dataSet.IsEmpty());
    return MemberBoolean(call.Code == mcEof ? dataSet.Eof() : dataSet.Bof());
  } catch (const std::exception&) {
    ReportScriptErrorFmt(Msg::StateError, {call.Identifier});
    return MemberBoolean(false);
  }
}

IValuePtr MoveMember(TDataSet& dataSet, const TMemberCall& call) {
  if (call.Code == mcMoveBy) {
    if (!call.NeedsParameters()) return MemberBoolean(false);
    const int32_t distance = call.Integer(0);
    return MemberInteger(dataSet.Active() ? dataSet.MoveBy(distance) : 0);
  }
  if (!dataSet.Active()) return MemberBoolean(false);
  switch (call.Code) {
    case mcNext: dataSet.Next(); break;
    case mcPrior: dataSet.Prior(); break;
    case mcFirst: dataSet.First(); break;
    default: dataSet.Last(); break;
  }
  return MemberBoolean(true);
}

}  // namespace

IValuePtr DataSetMember(TObject* object, const TMemberCall& call) {
  if (!IsMemberDataSet(object)) return nullptr;
  TDataSet& dataSet = *static_cast<TDataSet*>(object);
  switch (call.Code) {
    case mcClose: dataSet.Close(); return MemberBoolean(true);
    case mcOpen: dataSet.Open(); return MemberBoolean(true);
    case mcExecSql: QueryOf(dataSet).ExecSQL(); return MemberBoolean(true);
    case mcIsEmpty:
    case mcEof:
    case mcBof: return StateMember(dataSet, call);
    case mcNext:
    case mcPrior:
    case mcFirst:
    case mcLast:
    case mcMoveBy: return MoveMember(dataSet, call);
    case mcRecordCount: return MemberInteger(dataSet.Active() ? dataSet.RecordCount() : -1);
    case mcLocate:
    case mcLocatePartial: return LocateMember(dataSet, call);
    case mcFieldExists: {
      if (!call.NeedsParameters()) return MemberBoolean(false);
      const AnsiString field = call.Text(0);
      if (dataSet.Active()) return MemberBoolean(dataSet.FindField(field) != nullptr);
      dataSet.FieldDefs().Update();
      return MemberBoolean(dataSet.FieldDefs().IndexOf(field) >= 0);
    }
    case mcTableExists:
      if (!call.NeedsParameters()) return MemberBoolean(false);
      return MemberBoolean(TableExists(dataSet, call.Text(0)));
    case mcGetSegment:
    case mcChangeSegment:
    case mcAddToWhere:
    case mcSelectCount: return SegmentMember(dataSet, call);
    default: break;
  }
  if (call.Code >= mcDataType && call.Code <= mcAsDateTime) return FieldMember(dataSet, call);
  if (call.Code >= mcParamInteger && call.Code <= mcParamFloat) return ParamMember(dataSet, call);
  return nullptr;
}
