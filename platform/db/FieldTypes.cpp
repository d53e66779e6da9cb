#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DB.h"

DEFINE_ENUM_TYPE(TFieldType,
                 "ftUnknown,ftString,ftSmallint,ftInteger,ftWord,ftBoolean,ftFloat,ftCurrency,ftBCD,ftDate,"
                 "ftTime,ftDateTime,ftBytes,ftVarBytes,ftAutoInc,ftBlob,ftMemo,ftGraphic,ftFmtMemo,ftParadoxOle,"
                 "ftDBaseOle,ftTypedBinary,ftCursor,ftFixedChar,ftWideString,ftLargeint,ftADT,ftArray,"
                 "ftReference,ftDataSet,ftOraBlob,ftOraClob,ftVariant,ftInterface,ftIDispatch,ftGuid")
DEFINE_ENUM_TYPE(TDataSetState, "dsInactive,dsBrowse,dsEdit,dsInsert")

namespace {

struct TTypeName {
  const char* Name;
  TFieldType Type;
  int DefaultSize;
};

// Declared type names by their first word; sizes in parentheses override.
constexpr TTypeName DeclaredNames[] = {
    {"VARCHAR", ftString, 255},   {"CHAR", ftString, 255},      {"CHARACTER", ftString, 255},
    {"NVARCHAR", ftString, 255},  {"NCHAR", ftString, 255},     {"STRING", ftString, 255},
    {"ALPHA", ftString, 255},     {"SMALLINT", ftSmallint, 0},  {"SHORTINT", ftSmallint, 0},
    {"INT2", ftSmallint, 0},      {"WORD", ftWord, 0},          {"INTEGER", ftInteger, 0},
    {"INT", ftInteger, 0},        {"INT4", ftInteger, 0},       {"MEDIUMINT", ftInteger, 0},
    {"LONGINT", ftInteger, 0},    {"BIGINT", ftLargeint, 0},    {"INT8", ftLargeint, 0},
    {"LARGEINT", ftLargeint, 0},  {"AUTOINC", ftAutoInc, 0},    {"AUTOINCREMENT", ftAutoInc, 0},
    {"COUNTER", ftAutoInc, 0},    {"BOOLEAN", ftBoolean, 0},    {"BOOL", ftBoolean, 0},
    {"LOGICAL", ftBoolean, 0},    {"REAL", ftFloat, 0},         {"FLOAT", ftFloat, 0},
    {"DOUBLE", ftFloat, 0},       {"NUMBER", ftFloat, 0},       {"MONEY", ftCurrency, 0},
    {"CURRENCY", ftCurrency, 0},  {"NUMERIC", ftBCD, 0},        {"DECIMAL", ftBCD, 0},
    {"BCD", ftBCD, 0},            {"DATE", ftDate, 0},          {"TIME", ftTime, 0},
    {"DATETIME", ftDateTime, 0},  {"TIMESTAMP", ftDateTime, 0}, {"BLOB", ftBlob, 0},
    {"BINARY", ftBlob, 0},        {"GRAPHIC", ftGraphic, 0},    {"IMAGE", ftGraphic, 0},
    {"BYTES", ftBytes, 1},        {"VARBYTES", ftVarBytes, 1},  {"VARBINARY", ftVarBytes, 1},
    {"TEXT", ftMemo, 0},          {"MEMO", ftMemo, 0},          {"CLOB", ftMemo, 0},
    {"FMTMEMO", ftFmtMemo, 0},    {"GUID", ftGuid, 38},         {"UUID", ftGuid, 38},
};

bool IsStringType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftFmtMemo || t == ftGuid;
}
bool IsBlobType(TFieldType t) {
  return t == ftBlob || t == ftGraphic || t == ftBytes || t == ftVarBytes || t == ftTypedBinary ||
         t == ftParadoxOle || t == ftDBaseOle || t == ftOraBlob;
}

// An unknown type takes its meaning from the value it holds.
TFieldType Effective(const TCell& c, TFieldType t) {
  if (t != ftUnknown && t != ftVariant) return t;
  switch (c.Kind) {
    case TCell::Integer: return ftLargeint;
    case TCell::Float: return ftFloat;
    case TCell::Blob: return ftBlob;
    default: return ftString;
  }
}

[[noreturn]] void AccessError(const AnsiString& field, const char* typeName) {
  throw EDatabaseError(Format(DbMsg::FieldAccess, {field, typeName}));
}

// Database text in a numeric column is read in the database's own notation.
bool ParseDbNumber(const AnsiString& s, double& value) {
  AnsiString t = Trim(s);
  if (t.empty()) return false;
  char* end = nullptr;
  value = std::strtod(t.c_str(), &end);
  return end && *end == '\0';
}

bool ParseBooleanText(const AnsiString& s, bool& value) {
  AnsiString t = UpperCase(Trim(s));
  if (t.empty()) { value = false; return true; }
  if (t == "1") { value = true; return true; }
  if (t == "0") { value = false; return true; }
  switch (t[0]) {
    case 'T': case 'Y': value = true; return true;
    case 'F': case 'N': value = false; return true;
    default: return false;
  }
}

}  // namespace

bool IsIntegerType(TFieldType t) {
  return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

TFieldType FieldTypeOfDeclared(const AnsiString& declared, int& size) {
  AnsiString d = UpperCase(Trim(declared));
  size = 0;
  if (d.empty()) return ftUnknown;
  size_t wordEnd = d.find_first_of(" (");
  AnsiString word = d.substr(0, wordEnd);
  int args[2] = {-1, -1};
  if (size_t open = d.find('('); open != AnsiString::npos) {
    const char* p = d.c_str() + open + 1;
    char* end = nullptr;
    args[0] = int(std::strtol(p, &end, 10));
    if (end && *end == ',') args[1] = int(std::strtol(end + 1, nullptr, 10));
  }
  for (const TTypeName& n : DeclaredNames) {
    if (word != n.Name) continue;
    if (n.Type == ftBCD) size = args[1] > 0 ? args[1] : 0;
    else if (n.DefaultSize > 0) size = args[0] > 0 ? args[0] : n.DefaultSize;
    return n.Type;
  }
  // Otherwise SQLite's own affinity rules decide.
  if (d.find("INT") != AnsiString::npos) return ftInteger;
  if (d.find("CHAR") != AnsiString::npos) { size = args[0] > 0 ? args[0] : 255; return ftString; }
  if (d.find("CLOB") != AnsiString::npos || d.find("TEXT") != AnsiString::npos) return ftMemo;
  if (d.find("BLOB") != AnsiString::npos) return ftBlob;
  if (d.find("REAL") != AnsiString::npos || d.find("FLOA") != AnsiString::npos || d.find("DOUB") != AnsiString::npos)
    return ftFloat;
  return ftUnknown;
}

AnsiString DeclaredTypeOf(TFieldType type, int size) {
  AnsiString n = IntToStr(size > 0 ? size : 255);
  switch (type) {
    case ftString: case ftWideString: return "VARCHAR(" + n + ")";
    case ftFixedChar: return "CHAR(" + n + ")";
    case ftSmallint: return "SMALLINT";
    case ftInteger: return "INTEGER";
    case ftWord: return "WORD";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "MONEY";
    case ftBCD: return "NUMERIC(20," + IntToStr(size) + ")";
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "DATETIME";
    case ftBytes: return "BYTES(" + IntToStr(size) + ")";
    case ftVarBytes: return "VARBYTES(" + IntToStr(size) + ")";
    case ftAutoInc: return "AUTOINC";
    case ftMemo: return "MEMO";
    case ftGraphic: return "GRAPHIC";
    case ftFmtMemo: return "FMTMEMO";
    case ftLargeint: return "BIGINT";
    case ftGuid: return "GUID";
    case ftUnknown: return "";
    default: return "BLOB";
  }
}

int FieldDataSize(TFieldType type, int size) {
  switch (type) {
    case ftString: case ftFixedChar: case ftGuid: return size + 1;
    case ftWideString: return (size + 1) * 2;
    case ftSmallint: case ftWord: case ftBoolean: return 2;
    case ftInteger: case ftAutoInc: case ftDate: case ftTime: return 4;
    case ftFloat: case ftCurrency: case ftDateTime: case ftLargeint: return 8;
    case ftBCD: return 34;
    case ftBytes: return size;
    case ftVarBytes: return size + 2;
    default: return 0;
  }
}

AnsiString DateTimeToDbText(TDateTime value, TFieldType type) {
  int y, mo, d, h, mi, s, ms;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  char date[16], time[24];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", y, mo, d);
  if (ms) std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", h, mi, s, ms);
  else std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, mi, s);
  if (type == ftDate) return date;
  if (type == ftTime) return time;
  return AnsiString(date) + " " + time;
}

namespace {

// Reads exactly count digits.
bool Digits(const char*& p, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i, ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
  }
  return true;
}

// "h:nn", "hh:nn:ss" or "hh:nn:ss.fff", optionally followed by 'Z'.
bool ParseTimePart(const char* p, TDateTime& value) {
  int h = 0, mi = 0, s = 0, ms = 0;
  if (!Digits(p, 1, h)) return false;
  if (*p >= '0' && *p <= '9') h = h * 10 + (*p++ - '0');
  if (*p++ != ':' || !Digits(p, 2, mi)) return false;
  if (*p == ':') {
    ++p;
    if (!Digits(p, 2, s)) return false;
    if (*p == '.') {
      ++p;
      double scale = 100;
      double frac = 0;
      for (; *p >= '0' && *p <= '9'; ++p, scale /= 10) frac += (*p - '0') * scale;
      ms = std::min(999, int(std::lround(frac)));
    }
  }
  while (*p == ' ') ++p;
  if (*p == 'Z') ++p;
  return *p == '\0' && TryEncodeTime(h, mi, s, ms, value);
}

}  // namespace

bool TryDbValueToDateTime(const TCell& cell, TDateTime& value) {
  if (cell.Kind == TCell::Integer) { value = double(cell.Int); return true; }
  if (cell.Kind == TCell::Float) { value = cell.Real; return true; }
  if (cell.Kind != TCell::Text) return false;
  AnsiString t = Trim(cell.Bytes);
  const char* p = t.c_str();
  int y, mo, d;
  if (Digits(p, 4, y) && *p == '-') {
    ++p;
    TDateTime date;
    if (!Digits(p, 2, mo) || *p++ != '-' || !Digits(p, 2, d) || !TryEncodeDate(y, mo, d, date)) return false;
    if (*p == '\0') { value = date; return true; }
    if (*p != ' ' && *p != 'T') return false;
    TDateTime time;
    if (!ParseTimePart(p + 1, time)) return false;
    value = ComposeDateTime(date, time);
    return true;
  }
  return ParseTimePart(t.c_str(), value);
}

// ---------------------------------------------------------------------------
// Reading a stored value as the accessor asks, by the field's type.

AnsiString CellAsString(const TCell& c, TFieldType type) {
  TFieldType t = Effective(c, type);
  if (c.Kind == TCell::Null) return "";
  if (IsDateType(t)) {
    TDateTime v;
    if (!TryDbValueToDateTime(c, v)) return c.Bytes;
    return t == ftDate ? DateToStr(v) : t == ftTime ? TimeToStr(v) : DateTimeToStr(v);
  }
  if (t == ftBoolean && c.Kind != TCell::Text) {
    bool b = c.Kind == TCell::Integer ? c.Int != 0 : c.Real != 0;
    return b ? "True" : "False";
  }
  switch (c.Kind) {
    case TCell::Integer: return IntToStr(c.Int);
    case TCell::Float: return FloatToStr(c.Real);
    default: return c.Bytes;
  }
}

int64_t CellAsLargeInt(const TCell& c, TFieldType type, const AnsiString& field) {
  TFieldType t = Effective(c, type);
  if (t == ftBoolean || IsDateType(t) || IsBlobType(t)) AccessError(field, "Integer");
  if (c.Kind == TCell::Null) return 0;
  if (c.Kind == TCell::Integer) return c.Int;
  if (c.Kind == TCell::Float) return std::llround(c.Real);
  double d;
  if (!IsStringType(t) && ParseDbNumber(c.Bytes, d)) return std::llround(d);
  return StrToInt64(c.Bytes);
}

double CellAsFloat(const TCell& c, TFieldType type, const AnsiString& field) {
  TFieldType t = Effective(c, type);
  if (t == ftBoolean || IsBlobType(t)) AccessError(field, "Float");
  if (c.Kind == TCell::Null) return 0;
  if (IsDateType(t)) {
    TDateTime v;
    if (!TryDbValueToDateTime(c, v)) throw EConvertError(Format(DbMsg::InvalidDateTime, {c.Bytes}));
    return v;
  }
  if (c.Kind == TCell::Integer) return double(c.Int);
  if (c.Kind == TCell::Float) return c.Real;
  double d;
  if (!IsStringType(t) && ParseDbNumber(c.Bytes, d)) return d;
  return StrToFloat(c.Bytes);
}

bool CellAsBoolean(const TCell& c, TFieldType type, const AnsiString& field) {
  TFieldType t = Effective(c, type);
  if (t != ftBoolean && !IsStringType(t)) AccessError(field, "Boolean");
  if (c.Kind == TCell::Null) return false;
  if (c.Kind == TCell::Integer) return c.Int != 0;
  if (c.Kind == TCell::Float) return c.Real != 0;
  bool b;
  if (!ParseBooleanText(c.Bytes, b)) throw EConvertError(Format(DbMsg::InvalidBoolean, {c.Bytes}));
  return b;
}

TDateTime CellAsDateTime(const TCell& c, TFieldType type, const AnsiString& field) {
  TFieldType t = Effective(c, type);
  if (!IsDateType(t) && !IsStringType(t)) AccessError(field, "DateTime");
  if (c.Kind == TCell::Null) return 0;
  TDateTime v;
  if (TryDbValueToDateTime(c, v)) return v;
  if (IsStringType(t)) return StrToDateTime(c.Bytes);
  throw EConvertError(Format(DbMsg::InvalidDateTime, {c.Bytes}));
}

TCell ConvertCell(const TCell& value, TFieldType from, TFieldType to, const AnsiString& fieldName) {
  if (value.Kind == TCell::Null) return TCell();
  if (to == ftUnknown || to == ftVariant) return value;
  if (IsIntegerType(to)) return TCell::OfInt(CellAsLargeInt(value, from, fieldName));
  if (IsFloatType(to)) return TCell::OfFloat(CellAsFloat(value, from, fieldName));
  if (to == ftBoolean) return TCell::OfInt(CellAsBoolean(value, from, fieldName) ? 1 : 0);
  if (IsDateType(to)) return TCell::OfText(DateTimeToDbText(CellAsDateTime(value, from, fieldName), to));
  if (IsBlobType(to)) return value.Kind == TCell::Blob ? value : TCell::OfBlob(CellAsString(value, from));
  return TCell::OfText(CellAsString(value, from));
}
