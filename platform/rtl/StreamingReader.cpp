#include <charconv>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "Streaming.h"

namespace {

enum class TTokenKind { Eof, Ident, Number, String, Binary, Symbol };

struct TToken {
  TTokenKind Kind = TTokenKind::Eof;
  AnsiString Text;  // identifier, number text, decoded string or bytes
  char Symbol = 0;
  int Line = 1;
};

[[noreturn]] void RaiseAt(int line, const AnsiString& message) {
  throw EReadError(Format(StreamMsg::LinePrefix, {line, message}));
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

// Splits form text into tokens with one token of look-ahead.
class TFormLexer {
public:
  explicit TFormLexer(const AnsiString& text) : FText(text) { Next(); }

  const TToken& Current() const { return FToken; }
  int Line() const { return FToken.Line; }
  void Next();

  bool IsSymbol(char c) const { return FToken.Kind == TTokenKind::Symbol && FToken.Symbol == c; }
  bool IsIdent(const char* word) const { return FToken.Kind == TTokenKind::Ident && SameText(FToken.Text, word); }
  void ExpectSymbol(char c) {
    if (!IsSymbol(c)) RaiseAt(Line(), Format(StreamMsg::Expected, {AnsiString("'") + c + "'"}));
    Next();
  }
  AnsiString ExpectIdent() {
    if (FToken.Kind != TTokenKind::Ident) RaiseAt(Line(), Format(StreamMsg::Expected, {"Identifier"}));
    AnsiString s = FToken.Text;
    Next();
    return s;
  }

private:
  char Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }
  bool AtEnd() const { return FPos >= FText.size(); }
  void SkipBlanks();
  void ScanIdent();
  void ScanNumber();
  void ScanString();
  void ScanBinary();

  const AnsiString& FText;
  size_t FPos = 0;
  int FLine = 1;
  TToken FToken;
};

void TFormLexer::SkipBlanks() {
  while (!AtEnd()) {
    const char c = Peek();
    if (c == '\n') ++FLine;
    else if (c != ' ' && c != '\t' && c != '\r') return;
    ++FPos;
  }
}

void TFormLexer::Next() {
  SkipBlanks();
  // The end of the text counts as the last line that holds something.
  const int previousLine = FToken.Line;
  FToken = TToken();
  FToken.Line = AtEnd() ? previousLine : FLine;
  if (AtEnd()) return;
  const char c = Peek();
  if (IsIdentStart(c)) return ScanIdent();
  if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && IsDigit(Peek(1)))) return ScanNumber();
  if (c == '\'' || c == '#') return ScanString();
  if (c == '{') return ScanBinary();
  static const AnsiString symbols = "=:()[],+-";
  if (symbols.find(c) == AnsiString::npos) {
    const auto u = static_cast<unsigned char>(c);
    RaiseAt(FLine, Format(StreamMsg::InvalidChar, {u >= 32 && u < 127 ? "'" + AnsiString(1, c) + "'" : "#" + IntToStr(u)}));
  }
  FToken.Kind = TTokenKind::Symbol;
  FToken.Symbol = c;
  ++FPos;
}

// Dotted names (Font.Size, Form1.Table1) form one identifier.
void TFormLexer::ScanIdent() {
  const size_t start = FPos;
  while (IsIdentChar(Peek()) || (Peek() == '.' && IsIdentStart(Peek(1)))) ++FPos;
  FToken.Kind = TTokenKind::Ident;
  FToken.Text = FText.substr(start, FPos - start);
}

void TFormLexer::ScanNumber() {
  const size_t start = FPos;
  if (Peek() == '$') {
    ++FPos;
    while (HexValue(Peek()) >= 0) ++FPos;
  } else {
    if (Peek() == '-' || Peek() == '+') ++FPos;
    while (IsDigit(Peek())) ++FPos;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      ++FPos;
      while (IsDigit(Peek())) ++FPos;
    }
    const bool signedExp = (Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2));
    if ((Peek() == 'e' || Peek() == 'E') && (IsDigit(Peek(1)) || signedExp)) {
      FPos += signedExp ? 2 : 1;
      while (IsDigit(Peek())) ++FPos;
    }
  }
  if (IsIdentChar(Peek()) || Peek() == '.') RaiseAt(FLine, StreamMsg::InvalidValue);
  FToken.Kind = TTokenKind::Number;
  FToken.Text = FText.substr(start, FPos - start);
}

// 'quoted' pieces and #nn characters written next to each other form one string.
void TFormLexer::ScanString() {
  FToken.Kind = TTokenKind::String;
  for (;;) {
    if (Peek() == '\'') {
      ++FPos;
      for (;;) {
        if (AtEnd() || Peek() == '\n' || Peek() == '\r') RaiseAt(FLine, StreamMsg::UnterminatedString);
        const char c = FText[FPos++];
        if (c != '\'') FToken.Text += c;
        else if (Peek() == '\'') FToken.Text += FText[FPos++];
        else break;
      }
    } else if (Peek() == '#') {
      ++FPos;
      const bool hex = Peek() == '$';
      if (hex) ++FPos;
      int value = 0, digits = 0;
      for (int d; (d = hex ? HexValue(Peek()) : (IsDigit(Peek()) ? Peek() - '0' : -1)) >= 0; ++FPos, ++digits) {
        value = value * (hex ? 16 : 10) + d;
        if (value > 255) RaiseAt(FLine, StreamMsg::InvalidValue);
      }
      if (digits == 0) RaiseAt(FLine, StreamMsg::InvalidValue);
      FToken.Text += char(value);
    } else {
      return;
    }
  }
}

void TFormLexer::ScanBinary() {
  ++FPos;
  FToken.Kind = TTokenKind::Binary;
  int high = -1;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) RaiseAt(FLine, StreamMsg::InvalidBinary);
    const char c = FText[FPos++];
    if (c == '}') break;
    const int v = HexValue(c);
    if (v < 0) RaiseAt(FLine, StreamMsg::InvalidBinary);
    if (high < 0) {
      high = v;
    } else {
      FToken.Text += char(high * 16 + v);
      high = -1;
    }
  }
  if (high >= 0) RaiseAt(FLine, StreamMsg::InvalidBinary);
}

// ---------------------------------------------------------------------------

// One reading run: the tokens, the components made so far (freed again when
// reading fails) and the references resolved once the whole text is read.
struct TReadSession {
  struct TFixup {
    TObject* Obj;
    const TPropInfo* Prop;
    AnsiString Name;
    int Line;
  };

  TReadSession(const AnsiString& text, TComponent* root) : Lex(text), Root(root), Reader(*this) {}

  TFormLexer Lex;
  TComponent* Root;
  TReader Reader;
  std::vector<TComponent*> Created;
  std::vector<TComponent*> Loaded;
  std::vector<TFixup> Fixups;

  void ReadHeader(AnsiString& name, AnsiString& className);
  void ReadRoot(bool rootIsNew);
  TComponent* ReadChild(TComponent* parent);
  void ReadBody(TComponent* component);
  void ReadProperty(TComponent* component);
  TObject* WalkPath(TObject* obj, const AnsiString& path, AnsiString& last, int line);
  void ReadValue(TObject* obj, const TPropInfo* prop, int line);
  void ReadOrdinal(TObject* obj, const TPropInfo* prop);
  uint32_t ReadSet(const TTypeInfo* type);
  void ReadReference(TObject* obj, const TPropInfo* prop, int line);
  void ResolveFixups();
  TComponent* FindReference(const AnsiString& name,
                            const std::unordered_map<AnsiString, TComponent*>& rootNames) const;
  void Finish();
  void Abandon(TComponent* createdRoot);
  void ExpectEnd();

  template <class F> void Guarded(int line, F&& action) {
    try {
      action();
    } catch (const EReadError&) {
      throw;
    } catch (const Exception& e) {
      RaiseAt(line, e.Message);
    }
  }
};

void TReadSession::ReadHeader(AnsiString& name, AnsiString& className) {
  if (!Lex.IsIdent("object")) RaiseAt(Lex.Line(), Format(StreamMsg::Expected, {"'object'"}));
  Lex.Next();
  className = Lex.ExpectIdent();
  name.clear();
  if (Lex.IsSymbol(':')) {
    Lex.Next();
    name = className;
    className = Lex.ExpectIdent();
  }
}

void TReadSession::ReadRoot(bool rootIsNew) {
  const int line = Lex.Line();
  AnsiString name, className;
  ReadHeader(name, className);
  if (!rootIsNew && !Root->InheritsFrom(className))
    RaiseAt(line, Format(StreamMsg::RootClassMismatch, {className, Root->ClassName()}));
  Root->SetState(csLoading, true);
  Root->SetState(csReading, true);
  Loaded.push_back(Root);
  Guarded(line, [&] {
    if (!name.empty()) Root->SetName(name);
  });
  ReadBody(Root);
}

TComponent* TReadSession::ReadChild(TComponent* parent) {
  const int line = Lex.Line();
  AnsiString name, className;
  ReadHeader(name, className);
  const TClassInfo* cls = GetClass(className);
  if (!cls || !cls->CanCreate()) RaiseAt(line, Format(StreamMsg::ClassNotFound, {className}));
  TComponent* child = nullptr;
  Guarded(line, [&] {
    child = cls->CreateComponent(Root);
    Created.push_back(child);
    child->SetState(csLoading, true);
    child->SetState(csReading, true);
    Loaded.push_back(child);
    child->SetName(name);
    if (child->HasParent()) child->SetParentComponent(parent);
  });
  ReadBody(child);
  return child;
}

void TReadSession::ReadBody(TComponent* component) {
  for (;;) {
    if (Lex.IsIdent("end")) return Lex.Next();
    if (Lex.IsIdent("object")) {
      ReadChild(component);
    } else if (Lex.Current().Kind == TTokenKind::Ident) {
      ReadProperty(component);
    } else if (Lex.Current().Kind == TTokenKind::Eof) {
      RaiseAt(Lex.Line(), Format(StreamMsg::Expected, {"'end'"}));
    } else {
      RaiseAt(Lex.Line(), Format(StreamMsg::Expected, {"Identifier"}));
    }
  }
}

void TReadSession::ReadProperty(TComponent* component) {
  const int line = Lex.Line();
  const AnsiString path = Lex.ExpectIdent();
  Lex.ExpectSymbol('=');
  AnsiString last;
  TObject* obj = WalkPath(component, path, last, line);
  if (const TPropInfo* prop = obj->ClassInfo().FindProp(last)) return ReadValue(obj, prop, line);
  auto* persistent = dynamic_cast<TPersistent*>(obj);
  Reader.FDefinedName = last;
  Reader.FDefinedFound = false;
  if (persistent) Guarded(line, [&] { persistent->DefineProperties(Reader); });
  if (!Reader.FDefinedFound) RaiseAt(line, Format(StreamMsg::PropertyNotFound, {path}));
}

// Follows Font.Style to the Font object; answers it and "Style" in last.
TObject* TReadSession::WalkPath(TObject* obj, const AnsiString& path, AnsiString& last, int line) {
  size_t start = 0;
  for (size_t dot; (dot = path.find('.', start)) != AnsiString::npos; start = dot + 1) {
    const TPropInfo* prop = obj->ClassInfo().FindProp(path.substr(start, dot - start));
    TObject* sub = prop && prop->PropType->Kind == tkClass ? GetObjectProp(obj, prop) : nullptr;
    if (!sub) RaiseAt(line, Format(StreamMsg::PropertyNotFound, {path}));
    obj = sub;
  }
  last = path.substr(start);
  return obj;
}

void TReadSession::ReadValue(TObject* obj, const TPropInfo* prop, int line) {
  const TTypeKind kind = prop->PropType->Kind;
  if (!prop->Writable()) RaiseAt(line, Format(StreamMsg::PropertyReadOnly, {prop->Name}));
  Guarded(line, [&] {
    switch (kind) {
      case tkInteger: case tkChar: case tkEnumeration: case tkSet: return ReadOrdinal(obj, prop);
      case tkFloat: return SetFloatProp(obj, prop, Reader.ReadFloat());
      case tkString: case tkLString: case tkWString: {
        const AnsiString s = Reader.ReadString();
        if (kind == tkString && prop->PropType->MaxLength > 0 && int(s.size()) > prop->PropType->MaxLength)
          RaiseAt(line, StreamMsg::InvalidValue);
        return SetStrProp(obj, prop, s);
      }
      case tkClass: return ReadReference(obj, prop, line);
      case tkMethod: return SetMethodProp(obj, prop, TMethod{Root, Reader.ReadIdent()});
      default: RaiseAt(line, StreamMsg::InvalidValue);
    }
  });
}

void TReadSession::ReadOrdinal(TObject* obj, const TPropInfo* prop) {
  const TTypeInfo* type = prop->PropType;
  // Checked after the value is taken, so the message names the value's own line.
  const int line = Lex.Line();
  int64_t value = 0;
  switch (type->Kind) {
    case tkInteger: {
      value = Reader.ReadInteger();
      const bool unsigned32 = type->OrdType == otULong;
      const int64_t lo = unsigned32 ? 0 : type->MinValue;
      const int64_t hi = unsigned32 ? int64_t(UINT32_MAX) : type->MaxValue;
      if (value < lo || value > hi) RaiseAt(line, StreamMsg::InvalidValue);
      break;
    }
    case tkChar: {
      const AnsiString s = Reader.ReadString();
      if (s.size() != 1) RaiseAt(line, StreamMsg::InvalidValue);
      value = static_cast<unsigned char>(s[0]);
      break;
    }
    case tkEnumeration:
      value = GetEnumValue(type, Reader.ReadIdent());
      if (value < 0) RaiseAt(line, StreamMsg::InvalidValue);
      break;
    default: value = ReadSet(type); break;
  }
  SetOrdProp(obj, prop, value);
}

uint32_t TReadSession::ReadSet(const TTypeInfo* type) {
  Lex.ExpectSymbol('[');
  uint32_t bits = 0;
  while (!Lex.IsSymbol(']')) {
    const int line = Lex.Line();
    const int value = GetEnumValue(type->CompType, Reader.ReadIdent());
    if (value < 0 || value > 31) RaiseAt(line, StreamMsg::InvalidValue);
    bits |= 1u << value;
    if (!Lex.IsSymbol(']')) Lex.ExpectSymbol(',');
  }
  Lex.Next();
  return bits;
}

// References are kept by name and set once every component exists.
void TReadSession::ReadReference(TObject* obj, const TPropInfo* prop, int line) {
  const TClassInfo* cls = prop->PropType->ClassType;
  if (!cls || !cls->InheritsFrom(TComponent::StaticClass())) Reader.Error(StreamMsg::InvalidValue);
  const AnsiString name = Reader.ReadIdent();
  if (SameText(name, "nil")) return SetObjectProp(obj, prop, nullptr);
  Fixups.push_back(TFixup{obj, prop, name, line});
}

TComponent* TReadSession::FindReference(const AnsiString& name,
                                        const std::unordered_map<AnsiString, TComponent*>& rootNames) const {
  const size_t dot = name.find('.');
  if (dot == AnsiString::npos) {
    if (SameText(name, Root->Name())) return Root;
    auto it = rootNames.find(UpperCase(name));
    return it == rootNames.end() ? nullptr : it->second;
  }
  const AnsiString ownerName = name.substr(0, dot), compName = name.substr(dot + 1);
  TComponent* owner = SameText(ownerName, Root->Name()) ? Root : Root->FindComponent(ownerName);
  for (TComponent* up = Root->Owner(); !owner && up; up = up->Owner()) owner = up->FindComponent(ownerName);
  return owner ? owner->FindComponent(compName) : nullptr;
}

void TReadSession::ResolveFixups() {
  if (Fixups.empty()) return;
  std::unordered_map<AnsiString, TComponent*> rootNames;
  for (int i = 0; i < Root->ComponentCount(); ++i) {
    TComponent* c = Root->Components(i);
    if (!c->Name().empty()) rootNames.emplace(UpperCase(c->Name()), c);
  }
  for (const TFixup& f : Fixups) {
    TComponent* target = FindReference(f.Name, rootNames);
    if (!target) RaiseAt(f.Line, Format(StreamMsg::ComponentNotFound, {f.Name}));
    Guarded(f.Line, [&] { SetObjectProp(f.Obj, f.Prop, target); });
  }
}

void TReadSession::ExpectEnd() {
  if (Lex.Current().Kind != TTokenKind::Eof) RaiseAt(Lex.Line(), StreamMsg::EndOfFileExpected);
}

void TReadSession::Finish() {
  ResolveFixups();
  for (TComponent* c : Loaded) c->SetState(csReading, false);
  for (TComponent* c : Loaded) {
    c->Loaded();
    c->SetState(csLoading, false);
  }
}

// Frees what this run made, so a failed read leaves no half-read components.
void TReadSession::Abandon(TComponent* createdRoot) {
  for (TComponent* c : Loaded) {
    c->SetState(csReading, false);
    c->SetState(csLoading, false);
  }
  if (createdRoot) {
    delete createdRoot;
    return;
  }
  for (auto it = Created.rbegin(); it != Created.rend(); ++it) delete *it;
}

// ---------------------------------------------------------------------------
// TReader

TReader::TReader(TReadSession& session) : FSession(session) {}
TReader::~TReader() = default;

TComponent* TReader::Root() const { return FSession.Root; }
int TReader::Line() const { return FSession.Lex.Line(); }
void TReader::Error(const AnsiString& message) const { RaiseAt(Line(), message); }

void TReader::ReadListBegin() { FSession.Lex.ExpectSymbol('('); }
bool TReader::EndOfList() {
  const TTokenKind k = FSession.Lex.Current().Kind;
  if (k == TTokenKind::Eof) FSession.Lex.ExpectSymbol(')');
  return FSession.Lex.IsSymbol(')');
}
void TReader::ReadListEnd() { FSession.Lex.ExpectSymbol(')'); }

AnsiString TReader::ReadString() {
  TFormLexer& lex = FSession.Lex;
  if (lex.Current().Kind != TTokenKind::String) Error(StreamMsg::InvalidValue);
  AnsiString s = lex.Current().Text;
  lex.Next();
  while (lex.IsSymbol('+')) {
    lex.Next();
    if (lex.Current().Kind != TTokenKind::String) Error(StreamMsg::InvalidValue);
    s += lex.Current().Text;
    lex.Next();
  }
  return s;
}

int64_t TReader::ReadInteger() {
  TFormLexer& lex = FSession.Lex;
  const AnsiString& t = lex.Current().Text;
  int64_t value = 0;
  bool ok = lex.Current().Kind == TTokenKind::Number;
  if (ok && t[0] == '$') {
    ok = t.size() > 1 && t.size() <= 9 && TryStrToInt64(t, value);
  } else if (ok) {
    const char* first = t.data() + (t[0] == '+' ? 1 : 0);
    auto res = std::from_chars(first, t.data() + t.size(), value);
    ok = res.ec == std::errc() && res.ptr == t.data() + t.size();
  }
  if (!ok) Error(StreamMsg::InvalidValue);
  lex.Next();
  return value;
}

// Numbers, and nan / inf / -inf as the writer spells them.
double TReader::ReadFloat() {
  TFormLexer& lex = FSession.Lex;
  bool negative = false;
  if (lex.IsSymbol('-')) {
    negative = true;
    lex.Next();
  }
  const TToken& tok = lex.Current();
  double value = 0;
  if (tok.Kind == TTokenKind::Ident && (SameText(tok.Text, "nan") || SameText(tok.Text, "inf"))) {
    value = SameText(tok.Text, "nan") ? std::nan("") : HUGE_VAL;
  } else if (tok.Kind == TTokenKind::Number && !negative && tok.Text[0] != '$') {
    const char* first = tok.Text.data() + (tok.Text[0] == '+' ? 1 : 0);
    auto res = std::from_chars(first, tok.Text.data() + tok.Text.size(), value);
    if (res.ec != std::errc() || res.ptr != tok.Text.data() + tok.Text.size()) Error(StreamMsg::InvalidValue);
  } else {
    Error(StreamMsg::InvalidValue);
  }
  lex.Next();
  return negative ? -value : value;
}

bool TReader::ReadBoolean() {
  const int value = GetEnumValue(TypeInfoOf<bool>(), FSession.Lex.Current().Text);
  if (FSession.Lex.Current().Kind != TTokenKind::Ident || value < 0) Error(StreamMsg::InvalidValue);
  FSession.Lex.Next();
  return value == 1;
}

AnsiString TReader::ReadIdent() {
  if (FSession.Lex.Current().Kind != TTokenKind::Ident) Error(StreamMsg::InvalidValue);
  return FSession.Lex.ExpectIdent();
}

std::string TReader::ReadBinary() {
  if (FSession.Lex.Current().Kind != TTokenKind::Binary) Error(StreamMsg::InvalidBinary);
  std::string bytes = FSession.Lex.Current().Text;
  FSession.Lex.Next();
  return bytes;
}

void TReader::DefineProperty(const AnsiString& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>&, bool) {
  if (FDefinedFound || !readData || !SameText(name, FDefinedName)) return;
  FDefinedFound = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& name, const std::function<void(const std::string&)>& readData,
                                   const std::function<std::string()>&, bool) {
  if (FDefinedFound || !readData || !SameText(name, FDefinedName)) return;
  FDefinedFound = true;
  readData(ReadBinary());
}

// ---------------------------------------------------------------------------

void ReadComponentFromText(const AnsiString& text, TComponent* root) {
  TReadSession session(text, root);
  try {
    session.ReadRoot(false);
    session.ExpectEnd();
    session.Finish();
  } catch (...) {
    session.Abandon(nullptr);
    throw;
  }
}

TComponent* CreateComponentFromText(const AnsiString& text, TComponent* owner) {
  AnsiString name, className;
  const TClassInfo* cls = nullptr;
  {
    TReadSession probe(text, nullptr);
    const int line = probe.Lex.Line();
    probe.ReadHeader(name, className);
    cls = GetClass(className);
    if (!cls || !cls->CanCreate()) RaiseAt(line, Format(StreamMsg::ClassNotFound, {className}));
  }
  TComponent* root = cls->CreateComponent(owner);
  TReadSession session(text, root);
  try {
    session.ReadRoot(true);
    session.ExpectEnd();
    session.Finish();
  } catch (...) {
    session.Abandon(root);
    throw;
  }
  return root;
}

std::vector<TComponent*> ReadComponentsFromText(const AnsiString& text, TComponent* owner) {
  TReadSession session(text, owner);
  std::vector<TComponent*> read;
  try {
    while (session.Lex.Current().Kind != TTokenKind::Eof) read.push_back(session.ReadChild(owner));
    session.Finish();
  } catch (...) {
    session.Abandon(nullptr);
    throw;
  }
  return read;
}
