#include <charconv>

#include "Streaming.h"

namespace {

// Longer strings are split into pieces joined with " +", so lines stay readable.
constexpr size_t StringPieceLength = 64;
constexpr size_t BinaryLineBytes = 32;  // 64 hexadecimal digits

bool IsControlChar(unsigned char c) { return c < 32 || c == 127; }

// 'It''s'#13#10'next': quotes doubled, control characters as #nn; bytes of
// the code page above 127 stay literal.
AnsiString QuoteString(const AnsiString& s) {
  AnsiString out;
  out.reserve(s.size() + 2);
  bool quoted = false;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsControlChar(c)) {
      if (quoted) out += '\'';
      quoted = false;
      out += '#';
      out += std::to_string(c);
      continue;
    }
    if (!quoted) out += '\'';
    quoted = true;
    out += ch;
    if (ch == '\'') out += '\'';
  }
  if (quoted) out += '\'';
  return out.empty() ? AnsiString("''") : out;
}

// The shortest text that reads back to the same value, always with '.'.
template <class F> AnsiString ShortestFloat(F value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return AnsiString(buf, res.ptr);
}

AnsiString SetText(const TTypeInfo* setType, uint32_t bits) {
  AnsiString out = "[";
  for (int i = 0; i < 32; ++i) {
    if (!((bits >> i) & 1u)) continue;
    if (out.size() > 1) out += ',';
    out += GetEnumName(setType ? setType->CompType : nullptr, i);
  }
  return out + "]";
}

}  // namespace

TWriter::TWriter(TComponent* root) : FRoot(root) {}
TWriter::~TWriter() = default;

void TWriter::Indent(int level) { FText.append(size_t(level) * 2, ' '); }

void TWriter::WriteComponent(TComponent* component) {
  const bool wasWriting = component->HasState(csWriting);
  component->SetState(csWriting, true);
  Indent(FLevel);
  FText += "object ";
  if (!component->Name().empty()) FText += component->Name() + ": ";
  FText += component->ClassName() + "\n";
  ++FLevel;
  WriteProperties(component, AnsiString());
  component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
  --FLevel;
  Indent(FLevel);
  FText += "end\n";
  component->SetState(csWriting, wasWriting);
}

void TWriter::WriteProperties(TObject* obj, const AnsiString& prefix) {
  for (const TPropInfo* prop : GetPropList(obj->ClassInfo())) WriteProperty(obj, prop, prefix);
  if (auto* persistent = dynamic_cast<TPersistent*>(obj)) {
    const AnsiString saved = FPrefix;
    FPrefix = prefix;
    persistent->DefineProperties(*this);
    FPrefix = saved;
  }
}

void TWriter::WriteProperty(TObject* obj, const TPropInfo* prop, const AnsiString& prefix) {
  const TTypeInfo* type = prop->PropType;
  if (type->Kind == tkClass) {
    TObject* value = GetObjectProp(obj, prop);
    if (!value || (prop->Stored && !prop->Stored(obj))) return;
    auto* component = dynamic_cast<TComponent*>(value);
    // A sub-object is changed in place, so it is written even without a setter.
    if (!component) return WriteSubObject(value, prefix + prop->Name + ".");
    const AnsiString ref = ReferenceName(component);
    if (!prop->SetObj || ref.empty()) return;
    WritePropertyName(prefix + prop->Name);
    WriteIdent(ref);
    FText += '\n';
    return;
  }
  if (!prop->Writable() || !IsStoredProp(obj, prop)) return;
  WritePropertyName(prefix + prop->Name);
  switch (type->Kind) {
    case tkInteger: WriteInteger(GetOrdProp(obj, prop)); break;
    case tkChar: WriteString(AnsiString(1, char(GetOrdProp(obj, prop)))); break;
    case tkEnumeration: WriteIdent(GetEnumName(type, int(GetOrdProp(obj, prop)))); break;
    case tkSet: WriteIdent(SetText(type, uint32_t(GetOrdProp(obj, prop)))); break;
    case tkFloat:
      BeginValue();
      FText += type->FloatType == ftSingle ? ShortestFloat(float(GetFloatProp(obj, prop)))
                                           : ShortestFloat(GetFloatProp(obj, prop));
      break;
    case tkMethod: WriteIdent(GetMethodProp(obj, prop).Name); break;
    default: WriteString(GetStrProp(obj, prop)); break;
  }
  FText += '\n';
}

void TWriter::WriteSubObject(TObject* sub, const AnsiString& path) { WriteProperties(sub, path); }

AnsiString TWriter::ReferenceName(const TComponent* component) const {
  if (component->Name().empty()) return AnsiString();
  if (component == FRoot || component->Owner() == FRoot) return component->Name();
  const TComponent* owner = component->Owner();
  if (!owner || owner->Name().empty()) return AnsiString();
  return owner->Name() + "." + component->Name();
}

void TWriter::WritePropertyName(const AnsiString& name) {
  Indent(FLevel);
  FText += name;
  FText += " = ";
}

// A list item starts on its own line, one level deeper than its list.
void TWriter::BeginValue() {
  if (FListDepth == 0) return;
  FText += '\n';
  Indent(FLevel + FListDepth);
}

void TWriter::WriteListBegin() {
  BeginValue();
  FText += '(';
  ++FListDepth;
}

void TWriter::WriteListEnd() {
  if (FListDepth > 0) --FListDepth;
  FText += ')';
}

void TWriter::WriteString(const AnsiString& value) {
  BeginValue();
  if (value.size() <= StringPieceLength) {
    FText += QuoteString(value);
    return;
  }
  for (size_t pos = 0; pos < value.size(); pos += StringPieceLength) {
    if (pos > 0) {
      FText += " +\n";
      Indent(FLevel + FListDepth + 1);
    }
    FText += QuoteString(value.substr(pos, StringPieceLength));
  }
}

void TWriter::WriteInteger(int64_t value) {
  BeginValue();
  FText += IntToStr(value);
}

void TWriter::WriteFloat(double value) {
  BeginValue();
  FText += ShortestFloat(value);
}

void TWriter::WriteBoolean(bool value) { WriteIdent(value ? "True" : "False"); }

void TWriter::WriteIdent(const AnsiString& ident) {
  BeginValue();
  FText += ident;
}

void TWriter::WriteBinary(const std::string& bytes) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  BeginValue();
  FText += '{';
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % BinaryLineBytes == 0) {
      FText += '\n';
      Indent(FLevel + FListDepth + 1);
    }
    const auto c = static_cast<unsigned char>(bytes[i]);
    FText += Hex[c >> 4];
    FText += Hex[c & 15];
  }
  FText += '}';
}

void TWriter::DefineProperty(const AnsiString& name, const std::function<void(TReader&)>&,
                             const std::function<void(TWriter&)>& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropertyName(FPrefix + name);
  writeData(*this);
  FText += '\n';
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const std::function<void(const std::string&)>&,
                                   const std::function<std::string()>& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropertyName(FPrefix + name);
  WriteBinary(writeData());
  FText += '\n';
}

AnsiString ComponentToText(TComponent* root) {
  TWriter writer(root);
  writer.WriteComponent(root);
  return writer.Text();
}

AnsiString ComponentsToText(const std::vector<TComponent*>& components) {
  AnsiString text;
  for (TComponent* c : components) {
    TWriter writer(c->Owner() ? c->Owner() : c);
    writer.WriteComponent(c);
    text += writer.Text();
  }
  return text;
}
