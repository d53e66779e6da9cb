#include "Settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "FileSystem.h"

namespace {

constexpr const char* InvalidDataType = "Invalid data type for '%s'";
constexpr const char* FailedToGetData = "Failed to get data for '%s'";
constexpr const char* FailedToSetData = "Failed to set data for '%s'";

struct TStoredValue {
  AnsiString Name;
  TRegDataType Type = rdString;
  AnsiString Text;    // strings
  int32_t Number = 0; // dwords
};

struct TSection {
  AnsiString Path;
  std::vector<TStoredValue> Values;
  TStoredValue* Find(const AnsiString& name) {
    for (TStoredValue& v : Values)
      if (SameText(v.Name, name)) return &v;
    return nullptr;
  }
};

// The whole store in memory: sections in file order.
struct TStore {
  std::vector<TSection> Sections;
  TSection* Find(const AnsiString& path) {
    for (TSection& s : Sections)
      if (SameText(s.Path, path)) return &s;
    return nullptr;
  }
};

// Folds "\\a\\\\b\\" to "a\\b": keys never carry empty segments.
AnsiString NormalisePath(const AnsiString& path) {
  AnsiString out;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!out.empty() && out.back() != '\\') out += '\\';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool IsBelow(const AnsiString& path, const AnsiString& key) {
  if (key.empty()) return !path.empty();
  return path.size() > key.size() && path[key.size()] == '\\' && SameText(path.substr(0, key.size()), key);
}

AnsiString EscapeText(const AnsiString& s) {
  AnsiString out;
  for (unsigned char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 32) {
          char buf[5];
          std::snprintf(buf, sizeof buf, "\\x%02x", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  return out;
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
bool ReadQuoted(const AnsiString& s, size_t& pos, AnsiString& out) {
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') { ++pos; return true; }
    if (c != '\\' || pos + 1 >= s.size()) { out += c; continue; }
    char e = s[++pos];
    switch (e) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x':
        if (pos + 2 < s.size()) {
          out += char(std::strtol(s.substr(pos + 1, 2).c_str(), nullptr, 16));
          pos += 2;
        }
        break;
      default: out += e;
    }
  }
  return false;
}

bool PlainName(const AnsiString& name) {
  if (name.empty() || name != Trim(name)) return false;
  for (unsigned char c : name)
    if (c < 32 || c == '=' || c == '"' || c == '[' || c == ';') return false;
  return true;
}

bool ParseValueLine(const AnsiString& line, TStoredValue& value) {
  size_t pos = 0;
  if (!line.empty() && line[0] == '"') {
    if (!ReadQuoted(line, pos, value.Name)) return false;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
  } else {
    pos = line.find('=');
    if (pos == AnsiString::npos) return false;
    value.Name = Trim(line.substr(0, pos));
  }
  AnsiString rest = Trim(line.substr(pos + 1));
  if (!rest.empty() && rest[0] == '"') {
    size_t p = 0;
    value.Type = rdString;
    return ReadQuoted(rest, p, value.Text);
  }
  if (rest.size() == 14 && CompareText(rest.substr(0, 6), "dword:") == 0) {
    value.Type = rdInteger;
    value.Number = int32_t(uint32_t(std::strtoul(rest.substr(6).c_str(), nullptr, 16)));
    return true;
  }
  return false;
}

TStore LoadStore() {
  TStore store;
  std::ifstream in(SettingsFileName(), std::ios::binary);
  AnsiString line;
  TSection* current = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    AnsiString t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[' && t.back() == ']') {
      AnsiString path = NormalisePath(t.substr(1, t.size() - 2));
      current = store.Find(path);
      if (!current) current = &store.Sections.emplace_back(TSection{path, {}});
      continue;
    }
    TStoredValue value;
    // A line that is not understood is dropped rather than misread.
    if (current && ParseValueLine(t, value)) {
      if (TStoredValue* old = current->Find(value.Name)) *old = value;
      else current->Values.push_back(value);
    }
  }
  return store;
}

AnsiString StoreText(const TStore& store) {
  std::ostringstream out;
  for (const TSection& s : store.Sections) {
    out << '[' << s.Path << "]\n";
    for (const TStoredValue& v : s.Values) {
      out << (PlainName(v.Name) ? v.Name : '"' + EscapeText(v.Name) + '"') << '=';
      if (v.Type == rdInteger) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(uint32_t(v.Number)));
        out << buf;
      } else {
        out << '"' << EscapeText(v.Text) << '"';
      }
      out << '\n';
    }
    out << '\n';
  }
  return out.str();
}

// Writes the whole store next to its file and swaps it in, so a crash leaves
// either the old or the new settings.
void SaveStore(const TStore& store) {
  AnsiString fileName = SettingsFileName();
  AnsiString dir = ExtractFileDir(fileName);
  if (!CreateDirectoryChain(dir)) throw EInOutError("Cannot create folder " + dir, 2);
  TFileHandle file;
  AnsiString temp = CreateTempFile(dir, ".registry", file);
  try {
    AnsiString text = StoreText(store);
    file.Write(text.data(), text.size());
    file.Close();
    ReplaceFile(temp, fileName);
  } catch (...) {
    DeleteFile(temp);
    throw;
  }
}

AnsiString Formatted(const char* pattern, const AnsiString& name) { return Format(pattern, {name}); }

}  // namespace

AnsiString SettingsFileName() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  AnsiString base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = AnsiString(home ? home : "") + "/.config";
  }
  return IncludeTrailingPathDelimiter(base) + "vorda/registry.ini";
}

void TRegistry::SetRootKey(THKey key) {
  if (key != HKEY_CURRENT_USER) throw ERegistryException("Only the current user's settings exist");
  FRootKey = key;
  CloseKey();
}

AnsiString TRegistry::ResolvePath(const AnsiString& key) const {
  bool absolute = !key.empty() && (key[0] == '\\' || key[0] == '/');
  if (absolute || !FOpen || FCurrentPath.empty()) return NormalisePath(key);
  return NormalisePath(FCurrentPath + '\\' + key);
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
  AnsiString path = ResolvePath(key);
  if (!KeyExists('\\' + path)) {
    if (!canCreate) return false;
    TStore store = LoadStore();
    store.Sections.push_back(TSection{path, {}});
    SaveStore(store);
  }
  FCurrentPath = path;
  FOpen = true;
  FReadOnly = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
  if (!OpenKey(key, false)) return false;
  FReadOnly = true;
  return true;
}

void TRegistry::CloseKey() {
  FCurrentPath.clear();
  FOpen = false;
  FReadOnly = false;
}

bool TRegistry::KeyExists(const AnsiString& key) const {
  AnsiString path = ResolvePath(key);
  if (path.empty()) return true;
  for (const TSection& s : LoadStore().Sections)
    if (SameText(s.Path, path) || IsBelow(s.Path, path)) return true;
  return false;
}

bool TRegistry::DeleteKey(const AnsiString& key) {
  AnsiString path = ResolvePath(key);
  if (path.empty()) return false;
  TStore store = LoadStore();
  size_t before = store.Sections.size();
  std::erase_if(store.Sections,
                [&](const TSection& s) { return SameText(s.Path, path) || IsBelow(s.Path, path); });
  if (store.Sections.size() == before) return false;
  SaveStore(store);
  return true;
}

std::vector<AnsiString> TRegistry::GetKeyNames() const {
  std::vector<AnsiString> names;
  if (!FOpen) return names;
  for (const TSection& s : LoadStore().Sections) {
    if (!IsBelow(s.Path, FCurrentPath)) continue;
    AnsiString rest = FCurrentPath.empty() ? s.Path : s.Path.substr(FCurrentPath.size() + 1);
    AnsiString first = rest.substr(0, rest.find('\\'));
    bool known = false;
    for (const AnsiString& n : names) known = known || SameText(n, first);
    if (!known) names.push_back(first);
  }
  return names;
}

std::vector<AnsiString> TRegistry::GetValueNames() const {
  std::vector<AnsiString> names;
  if (!FOpen) return names;
  TStore store = LoadStore();
  if (TSection* s = store.Find(FCurrentPath))
    for (const TStoredValue& v : s->Values) names.push_back(v.Name);
  return names;
}

bool TRegistry::ValueExists(const AnsiString& name) const { return GetDataType(name) != rdUnknown; }

TRegDataType TRegistry::GetDataType(const AnsiString& name) const {
  if (!FOpen) return rdUnknown;
  TStore store = LoadStore();
  TSection* s = store.Find(FCurrentPath);
  TStoredValue* v = s ? s->Find(name) : nullptr;
  return v ? v->Type : rdUnknown;
}

AnsiString TRegistry::ReadString(const AnsiString& name) const {
  if (!FOpen) return "";
  TStore store = LoadStore();
  TSection* s = store.Find(FCurrentPath);
  TStoredValue* v = s ? s->Find(name) : nullptr;
  if (!v) return "";
  if (v->Type != rdString) throw ERegistryException(Formatted(InvalidDataType, name));
  return v->Text;
}

int32_t TRegistry::ReadInteger(const AnsiString& name) const {
  TStore store = LoadStore();
  TSection* s = FOpen ? store.Find(FCurrentPath) : nullptr;
  TStoredValue* v = s ? s->Find(name) : nullptr;
  if (!v) throw ERegistryException(Formatted(FailedToGetData, name));
  if (v->Type != rdInteger) throw ERegistryException(Formatted(InvalidDataType, name));
  return v->Number;
}

void TRegistry::CheckWritable(const AnsiString& name) const {
  if (!FOpen || FReadOnly) throw ERegistryException(Formatted(FailedToSetData, name));
}

namespace {

void StoreValue(const AnsiString& path, const TStoredValue& value) {
  TStore store = LoadStore();
  TSection* s = store.Find(path);
  if (!s) s = &store.Sections.emplace_back(TSection{path, {}});
  if (TStoredValue* old = s->Find(value.Name)) {
    AnsiString keptName = old->Name;
    *old = value;
    old->Name = keptName;
  } else {
    s->Values.push_back(value);
  }
  SaveStore(store);
}

}  // namespace

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
  CheckWritable(name);
  TStoredValue v{name, rdString, value, 0};
  try {
    StoreValue(FCurrentPath, v);
  } catch (const EInOutError&) {
    throw ERegistryException(Formatted(FailedToSetData, name));
  }
}

void TRegistry::WriteInteger(const AnsiString& name, int32_t value) {
  CheckWritable(name);
  TStoredValue v{name, rdInteger, "", value};
  try {
    StoreValue(FCurrentPath, v);
  } catch (const EInOutError&) {
    throw ERegistryException(Formatted(FailedToSetData, name));
  }
}

bool TRegistry::DeleteValue(const AnsiString& name) {
  if (!FOpen || FReadOnly) return false;
  TStore store = LoadStore();
  TSection* s = store.Find(FCurrentPath);
  if (!s || !s->Find(name)) return false;
  std::erase_if(s->Values, [&](const TStoredValue& v) { return SameText(v.Name, name); });
  SaveStore(store);
  return true;
}
