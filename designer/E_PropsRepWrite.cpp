#include "E_PropsRepInternal.h"
#include "Graphics.h"

namespace {

// Walks the path and finds the property it ends in; false when either fails.
bool Locate(TObject*& obj, AnsiString& path, const TPropInfo*& info) {
  WalkSubObjects(obj, path);
  info = FindPropInfo(obj, path);
  return info != nullptr;
}

template <class F> bool WithProp(TObject* obj, const AnsiString& path, F act) {
  AnsiString name = path;
  const TPropInfo* info = nullptr;
  if (!Locate(obj, name, info)) return false;
  act(obj, info);
  return true;
}

int32_t CharCodeFromText(const AnsiString& text) {
  AnsiString t = StringReplace(text, " ", "", rfReplaceAll);
  if (t.empty()) return 0;
  if (t[0] == '#') return StrToInt(Copy(t, 2));
  return int32_t(uint8_t(t[0]));
}

// Position of the first name equal to text without case, -1 when none.
int IndexOfName(const std::vector<AnsiString>& names, const AnsiString& text) {
  AnsiString upper = UpperCase(text);
  for (size_t i = 0; i < names.size(); ++i)
    if (UpperCase(names[i]) == upper) return int(i);
  return -1;
}

int32_t CursorFromText(const AnsiString& text) {
  int32_t value = 0;
  return IdentToCursor(text, value) ? value : StrToInt(text);
}

// The dataset string properties clear the ones that depend on them.
void WriteDataSetString(TObject* obj, const TEProperty& p, const AnsiString& name, const AnsiString& text) {
  AnsiString t = Trim(text);
  if (!t.empty() && p.Kind == pkIndexName) WriteStrPropByPath(obj, "IndexFieldNames", "");
  if (!t.empty() && p.Kind == pkIndexFieldNames) WriteStrPropByPath(obj, "IndexName", "");
  if (t != p.Value && (p.Kind == pkDatabaseName || p.Kind == pkTableName)) {
    WriteStrPropByPath(obj, "IndexFieldNames", "");
    WriteStrPropByPath(obj, "IndexName", "");
    if (p.Kind == pkDatabaseName) WriteStrPropByPath(obj, "TableName", "");
  }
  WriteStrPropByPath(obj, name, text);
}

// A reference is set only to a component the property accepts; else nil.
void WriteReference(TObject* obj, const TPropInfo* info, TComponent* target) {
  if (target) {
    try {
      SetObjectProp(obj, info, target);
      return;
    } catch (const EPropertyError&) {
    }
  }
  SetObjectProp(obj, info, nullptr);
}

void WriteObject(TObject* obj, const TPropInfo* info, const TEProperty& p, const AnsiString& text) {
  switch (p.ClassKind) {
    case ckStrings:
      if (auto* s = dynamic_cast<TStrings*>(p.ObjValue)) s->SetText(text);
      break;
    case ckComponent:
      WriteReference(obj, info, FindCompRef(ReferenceRoot(obj), text));
      break;
    case ckDataSet: {
      TComponent* found = FindCompRef(ReferenceRoot(obj), text);
      if (!found || !found->InheritsFrom("TDataSet")) found = FindSessionDataSet(text);
      WriteReference(obj, info, found);
      break;
    }
    case ckDataSource: {
      TComponent* found = FindCompRef(ReferenceRoot(obj), text);
      WriteReference(obj, info, found && found->InheritsFrom("TDataSource") ? found : nullptr);
      break;
    }
    default:
      break;  // fonts, pictures and plain objects are not written from text
  }
}

void WriteByKind(TObject* obj, const TPropInfo* info, const TEProperty& p, const AnsiString& text) {
  switch (p.Kind) {
    case pkString:
      SetStrProp(obj, info, text);
      break;
    case pkChar:
      SetOrdProp(obj, info, CharCodeFromText(text));
      break;
    case pkBoolean:
      SetOrdProp(obj, info, UpperCase(Trim(text)) == "TRUE" ? 1 : 0);
      break;
    case pkInteger:
      SetOrdProp(obj, info, StrToInt(text));
      break;
    case pkFloat:
      SetFloatProp(obj, info, StrToFloat(text));
      break;
    case pkEnum:
    case pkModalResult: {
      std::vector<AnsiString> names = p.Kind == pkEnum ? p.PropType->EnumNames : ModalResultNames();
      int index = IndexOfName(names, text);
      if (index >= 0) SetOrdProp(obj, info, index);
      break;
    }
    case pkSet:
      SetSetText(obj, info->Name, text);
      break;
    case pkColor:
      SetOrdProp(obj, info, int32_t(StringToColor(text)));
      break;
    case pkCursor:
      SetOrdProp(obj, info, CursorFromText(text));
      break;
    case pkDatabaseName:
    case pkIndexFieldNames:
    case pkTableName:
    case pkLookupField:
    case pkIndexName:
      if (p.Kind == pkLookupField) SetStrProp(obj, info, text);
      else WriteDataSetString(obj, p, info->Name, text);
      break;
    case pkObject:
      WriteObject(obj, info, p, text);
      break;
    default:
      break;
  }
}

}  // namespace

AnsiString ReadStrPropByPath(TObject* obj, const AnsiString& path) {
  AnsiString result;
  WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { result = GetStrProp(o, info); });
  return result;
}

uint8_t ReadOrdPropByteByPath(TObject* obj, const AnsiString& path) {
  uint8_t result = 0;
  WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { result = uint8_t(GetOrdProp(o, info)); });
  return result;
}

bool WriteStrPropByPath(TObject* obj, const AnsiString& path, const AnsiString& value) {
  return WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { SetStrProp(o, info, value); });
}

bool WriteOrdPropByPath(TObject* obj, const AnsiString& path, int32_t value) {
  return WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { SetOrdProp(o, info, value); });
}

bool WriteBoolPropByPath(TObject* obj, const AnsiString& path, bool value) {
  return WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { SetOrdProp(o, info, value ? 1 : 0); });
}

bool WriteFloatPropByPath(TObject* obj, const AnsiString& path, double value) {
  return WithProp(obj, path, [&](TObject* o, const TPropInfo* info) { SetFloatProp(o, info, value); });
}

bool SetSetText(TObject* obj, const AnsiString& path, const AnsiString& text) {
  return WithProp(obj, path, [&](TObject* o, const TPropInfo* info) {
    const TTypeInfo* element = info->PropType->CompType;
    AnsiString body = StringReplace(StringReplace(text, "[", "", rfReplaceAll), "]", "", rfReplaceAll);
    uint32_t bits = 0;
    size_t start = 0;
    while (true) {
      size_t comma = body.find(',', start);
      int value = GetEnumValue(element, body.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start));
      if (value >= 0 && value <= 31) bits |= 1u << value;
      if (comma == AnsiString::npos) break;
      start = comma + 1;
    }
    SetOrdProp(o, info, bits);
  });
}

namespace {
[[noreturn]] void NoObjectOnPath(const AnsiString& path) {
  throw EPropertyError("No object holds the property " + path);
}
}  // namespace

AnsiString ReadPropText(TObject* obj, const AnsiString& path) {
  AnsiString name = path;
  WalkSubObjects(obj, name);
  if (!obj) NoObjectOnPath(path);
  if (!FindPropInfo(obj, name)) return AnsiString();
  auto p = std::make_unique<TEProperty>();
  DescribeProp(obj, name, *p);
  SetLastPropKind(p->Kind);
  return p->Value;
}

void WritePropText(TObject* obj, const AnsiString& path, const AnsiString& text) {
  AnsiString name = path;
  WalkSubObjects(obj, name);
  if (!obj) NoObjectOnPath(path);
  const TPropInfo* info = FindPropInfo(obj, name);
  if (!info) return;
  auto p = std::make_unique<TEProperty>();
  DescribeProp(obj, name, *p);
  if (p->Kind == pkNone) return;
  WriteByKind(obj, info, *p, text);
}
