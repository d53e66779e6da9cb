#include <algorithm>

#include "E_PropsRepInternal.h"
#include "Forms.h"
#include "Graphics.h"

BEGIN_CLASS(TEProperty) {}

namespace {

bool IsDataSet(const TObject* obj) { return obj && obj->InheritsFrom("TDataSet"); }

bool IsListedKind(TTypeKind kind) {
  switch (kind) {
    case tkInteger: case tkChar: case tkEnumeration: case tkFloat: case tkString: case tkSet:
    case tkClass: case tkLString:
      return true;
    default:
      return false;
  }
}

// Published properties that the inspector lists, sorted by name without case.
std::vector<const TPropInfo*> ListedProps(const TObject* obj) {
  std::vector<const TPropInfo*> props;
  if (!obj) return props;
  for (const TPropInfo* p : GetPropList(obj->ClassInfo()))
    if (p->PropType && IsListedKind(p->PropType->Kind)) props.push_back(p);
  std::stable_sort(props.begin(), props.end(),
                   [](const TPropInfo* a, const TPropInfo* b) { return CompareText(a->Name, b->Name) < 0; });
  return props;
}

bool HasListedProps(const TObject* obj) { return !ListedProps(obj).empty(); }

int16_t MaxLenOfOrdType(TOrdType ord) {
  switch (ord) {
    case otSByte: return 4;
    case otUByte: return 3;
    case otSWord: return 6;
    case otUWord: return 5;
    default: return 11;
  }
}

AnsiString CharText(int code) {
  if (code >= 32 && code <= 127) return AnsiString(1, char(code));
  return "#" + IntToStr(code);
}

int FloatDigits(TFloatType ft) {
  switch (ft) {
    case ftSingle: return 8;
    case ftDouble: return 16;
    default: return 20;
  }
}

AnsiString SetText(const TTypeInfo* element, uint32_t bits) {
  AnsiString text = "[";
  bool first = true;
  for (int v = std::max(0, element ? element->MinValue : 0); v <= 31; ++v) {
    if (!((bits >> v) & 1u)) continue;
    if (element && v > element->MaxValue) break;
    if (!first) text += ",";
    text += GetEnumName(element, v);
    first = false;
  }
  return text + "]";
}

// "nil", the component's name, or "Owner.Name" when the owner is not root.
AnsiString ReferenceText(TObject* value, TComponent* root) {
  auto* c = dynamic_cast<TComponent*>(value);
  if (!c) return "nil";
  if (c->Owner() && c->Owner() != root) return c->Owner()->Name() + "." + c->Name();
  return c->Name();
}

void DescribeInteger(TObject* obj, const TPropInfo* info, TEProperty& p) {
  AnsiString upper = UpperCase(info->Name);
  int32_t value = int32_t(GetOrdProp(obj, info));
  if (upper.find("COLOR") != AnsiString::npos) {
    p.Kind = pkColor;
    p.Value = ColorToString(TColor(value));
  } else if (upper.find("CURSOR") != AnsiString::npos) {
    p.Kind = pkCursor;
    p.Value = CursorToString(TCursor(int16_t(value)));
  } else {
    p.Kind = pkInteger;
    p.Value = IntToStr(value);
    p.MinValue = info->PropType->MinValue;
    p.MaxValue = info->PropType->MaxValue;
    p.MaxLen = MaxLenOfOrdType(info->PropType->OrdType);
  }
}

void DescribeString(TObject* obj, const TPropInfo* info, TEProperty& p) {
  p.Kind = pkString;
  p.MaxLen = info->PropType->Kind == tkString ? int16_t(info->PropType->MaxLength) : 0;
  if (info->Name == "Name") p.MaxLen = 63;
  AnsiString upper = UpperCase(info->Name);
  if (IsDataSet(obj)) {
    if (upper == "DATABASENAME") p.Kind = pkDatabaseName;
    else if (upper == "INDEXFIELDNAMES") p.Kind = pkIndexFieldNames;
    else if (upper == "TABLENAME") p.Kind = pkTableName;
    else if (upper == "INDEXNAME") p.Kind = pkIndexName;
  } else if (upper == "LOOKUPFIELD" || upper == "LOOKUPDISPLAY") {
    p.Kind = pkLookupField;
  }
  p.Value = GetStrProp(obj, info);
}

void DescribeClass(TObject* obj, const TPropInfo* info, TEProperty& p) {
  p.Kind = pkObject;
  p.ObjValue = GetObjectProp(obj, info);
  p.Value = "(" + p.TypeName + ")";
  AnsiString upper = UpperCase(p.TypeName);
  if (upper == "TFONT") {
    p.ClassKind = ckFont;
    if (auto* f = dynamic_cast<TFont*>(p.ObjValue)) p.Value = f->Name();
  } else if (upper == "TPICTURE") {
    p.ClassKind = ckPicture;
  } else if (upper == "TICON") {
    p.ClassKind = ckIcon;
  } else if (upper == "TBITMAP") {
    p.ClassKind = ckBitmap;
  } else if (upper == "TSTRINGS") {
    p.ClassKind = ckStrings;
    auto* s = dynamic_cast<TStrings*>(p.ObjValue);
    p.Value = s ? s->Text() : AnsiString();
  } else if (upper == "TDATASET" || upper == "TTABLE") {
    p.ClassKind = ckDataSet;
    p.Value = ReferenceText(p.ObjValue, ReferenceRoot(obj));
  } else if (upper == "TDATASOURCE") {
    p.ClassKind = ckDataSource;
    p.Value = ReferenceText(p.ObjValue, ReferenceRoot(obj));
  } else if (IsComponentClass(p.TypeName)) {
    p.ClassKind = ckComponent;
    p.Value = ReferenceText(p.ObjValue, ReferenceRoot(obj));
  } else {
    p.Value.clear();
    if (!p.ObjValue || !HasListedProps(p.ObjValue)) {
      p.Kind = pkNone;
      p.Value = "*" + p.TypeName + "*";
    }
  }
}

}  // namespace

TComponent* ReferenceRoot(TObject* obj) {
  auto* c = dynamic_cast<TComponent*>(obj);
  if (!c) return nullptr;
  if (dynamic_cast<TApplication*>(c) || dynamic_cast<TForm*>(c)) return c;
  return c->Owner();
}

const TPropInfo* FindPropInfo(const TObject* obj, const AnsiString& propName) {
  if (!obj) return nullptr;
  try {
    return GetPropInfo(obj, propName);
  } catch (...) {
    return nullptr;
  }
}

void DescribeProp(TObject* obj, const AnsiString& propName, TEProperty& p) {
  const TPropInfo* info = FindPropInfo(obj, propName);
  p.MinValue = p.MaxValue = 0;
  p.ObjValue = nullptr;
  p.MaxLen = 0;
  p.ClassKind = ckPlain;
  p.Kind = pkNone;
  if (!info || !info->PropType) return;
  p.PropType = info->PropType;
  p.TypeName = info->PropType->Name;
  switch (info->PropType->Kind) {
    case tkInteger:
      DescribeInteger(obj, info, p);
      break;
    case tkChar:
      p.Kind = pkChar;
      p.MaxLen = 4;
      p.Value = CharText(int(uint8_t(GetOrdProp(obj, info))));
      break;
    case tkEnumeration: {
      int value = int(GetOrdProp(obj, info));
      if (UpperCase(info->Name) == "BOOLEAN") {
        p.Kind = pkBoolean;
        p.Value = value ? "True" : "False";
      } else {
        p.Kind = pkEnum;
        p.Value = GetEnumName(info->PropType, value);
        p.MinValue = info->PropType->MinValue;
        p.MaxValue = info->PropType->MaxValue;
      }
      break;
    }
    case tkFloat:
      p.Kind = pkFloat;
      p.MaxLen = 22;
      p.Value = FloatToStrF(GetFloatProp(obj, info), ffGeneral, FloatDigits(info->PropType->FloatType), 0);
      break;
    case tkString:
    case tkLString:
      DescribeString(obj, info, p);
      break;
    case tkSet:
      p.Kind = pkSet;
      p.PropType = info->PropType->CompType;
      if (p.PropType) {
        p.MinValue = p.PropType->MinValue;
        p.MaxValue = p.PropType->MaxValue;
      }
      p.Value = SetText(p.PropType, uint32_t(GetOrdProp(obj, info)));
      break;
    case tkClass:
      DescribeClass(obj, info, p);
      break;
    default:
      break;
  }
}

bool GetPropChoices(const TEProperty* prop, TStrings& list) {
  if (!prop) return false;
  list.Clear();
  if (prop->Kind == pkBoolean) {
    list.Add("True");
    list.Add("False");
    return true;
  }
  // Only enumerations have names; an integer's range is no list of choices.
  if (!prop->PropType || prop->PropType->Kind != tkEnumeration) return true;
  for (int32_t v = prop->MinValue; v <= prop->MaxValue; ++v) list.Add(GetEnumName(prop->PropType, v));
  return true;
}

bool IsComponentClass(const AnsiString& typeName) {
  TApplication* app = Application();
  for (int i = 0; i < app->ComponentCount(); ++i) {
    auto* form = dynamic_cast<TForm*>(app->Components(i));
    if (!form) continue;
    for (int j = 0; j < form->ComponentCount(); ++j)
      for (const TClassInfo* c = &form->Components(j)->ClassInfo(); c; c = c->Parent())
        if (UpperCase(c->Name()) == UpperCase(typeName)) return true;
  }
  return false;
}

TComponent* FindCompRef(TComponent* root, const AnsiString& text) {
  int dot = Pos(".", text);
  if (dot == 0) return root ? root->FindComponent(text) : nullptr;
  TComponent* form = Application()->FindComponent(Copy(text, 1, dot - 1));
  if (!form) return nullptr;
  AnsiString name = Trim(Copy(text, dot + 1, 500));
  return name.empty() ? nullptr : form->FindComponent(name);
}

// ---------------------------------------------------------------------------

namespace {

constexpr int MaxListDepth = 16;  // guards against objects that contain themselves

bool ExpandsInList(const TEProperty& p) {
  if (p.Kind != pkObject || !p.ObjValue) return false;
  if (p.ClassKind == ckFont) return true;
  return p.ClassKind == ckPlain && HasListedProps(p.ObjValue);
}

void ListInto(TObject* obj, TStringList& rows, const AnsiString& prefix, int depth) {
  for (const TPropInfo* info : ListedProps(obj)) {
    auto p = std::make_unique<TEProperty>();
    DescribeProp(obj, info->Name, *p);
    if (p->ClassKind == ckComponent) {
      // An unnamed component is a part of its holder, not a reference.
      auto* c = dynamic_cast<TComponent*>(p->ObjValue);
      if (c && Trim(c->Name()).empty()) {
        p->ClassKind = ckPlain;
        if (!HasListedProps(c)) {
          p->Kind = pkNone;
          p->Value = "*" + p->TypeName + "*";
        }
      } else if (c) {
        p->Value = Trim(c->Name());
      }
    }
    bool expand = ExpandsInList(*p) && depth < MaxListDepth;
    if (expand) {
      p->Value = p->TypeName;
      if (p->ClassKind != ckFont) p->Kind = pkNone;
    }
    TObject* sub = p->ObjValue;
    rows.AddObject(prefix + info->Name, p.release());
    if (expand) ListInto(sub, rows, prefix + info->Name + ".", depth + 1);
  }
}

}  // namespace

int ListProps(TObject* obj, std::unique_ptr<TStringList>& rows, const AnsiString& prefix) {
  if (prefix.empty()) {
    rows.reset();
    if (!HasListedProps(obj)) return 0;
    rows = std::make_unique<TStringList>();
    rows->SetOwnsObjects(true);
  }
  if (!rows) return 0;
  ListInto(obj, *rows, prefix, 0);
  return rows->Count();
}
