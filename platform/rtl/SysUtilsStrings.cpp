// String helpers on AnsiString; positions are 1-based.
#include <algorithm>
#include <cstring>

#include "CodePage.h"
#include "CodePageTables.h"
#include "SysUtils.h"

namespace {

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

template <typename Map>
AnsiString MapChars(const AnsiString& s, Map map) {
  AnsiString out(s);
  for (char& c : out) c = map(c);
  return out;
}

// Compares byte by byte after `key`; a shorter string that is a prefix comes first.
template <typename Key>
int CompareBy(const AnsiString& a, const AnsiString& b, Key key) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int d = key(a[i]) - key(b[i]);
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int Byte(char c) { return static_cast<unsigned char>(c); }

}  // namespace

AnsiString Trim(const AnsiString& s) { return TrimLeft(TrimRight(s)); }

AnsiString TrimLeft(const AnsiString& s) {
  size_t i = 0;
  while (i < s.size() && IsTrimmed(s[i])) ++i;
  return s.substr(i);
}

AnsiString TrimRight(const AnsiString& s) {
  size_t n = s.size();
  while (n > 0 && IsTrimmed(s[n - 1])) --n;
  return s.substr(0, n);
}

AnsiString UpperCase(const AnsiString& s) { return MapChars(s, AsciiUpper); }
AnsiString LowerCase(const AnsiString& s) { return MapChars(s, AsciiLower); }
AnsiString AnsiUpperCase(const AnsiString& s) { return MapChars(s, AnsiUpperChar); }
AnsiString AnsiLowerCase(const AnsiString& s) { return MapChars(s, AnsiLowerChar); }

int CompareStr(const AnsiString& a, const AnsiString& b) { return CompareBy(a, b, Byte); }

int CompareText(const AnsiString& a, const AnsiString& b) {
  return CompareBy(a, b, [](char c) { return Byte(AsciiUpper(c)); });
}

// Alphabetic order of the code page; between texts that differ only in case
// the lower-case letter comes first at the first difference.
int AnsiCompareStr(const AnsiString& a, const AnsiString& b) {
  if (const int byWeight = AnsiCompareText(a, b); byWeight != 0) return byWeight;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    const bool aLower = AnsiUpperChar(a[i]) != a[i];
    const bool bLower = AnsiUpperChar(b[i]) != b[i];
    if (aLower != bLower) return aLower ? -1 : 1;
    return Byte(a[i]) - Byte(b[i]);
  }
  return 0;
}

int AnsiCompareText(const AnsiString& a, const AnsiString& b) { return CompareBy(a, b, AnsiSortWeight); }

bool SameText(const AnsiString& a, const AnsiString& b) {
  return CompareText(a, b) == 0;
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b) {
  return AnsiCompareText(a, b) == 0;
}

int Pos(const AnsiString& sub, const AnsiString& s) { return PosEx(sub, s, 1); }

int PosEx(const AnsiString& sub, const AnsiString& s, int offset) {
  if (sub.empty() || offset < 1 || size_t(offset) > s.size()) return 0;
  const size_t at = s.find(sub, size_t(offset - 1));
  return at == AnsiString::npos ? 0 : int(at) + 1;
}

AnsiString Copy(const AnsiString& s, int index, int count) {
  if (index < 1) index = 1;
  if (count <= 0 || size_t(index) > s.size()) return AnsiString();
  return s.substr(size_t(index - 1), size_t(count));
}

AnsiString Copy(const AnsiString& s, int index) { return Copy(s, index, int(s.size())); }

void Delete(AnsiString& s, int index, int count) {
  if (index < 1 || count <= 0 || size_t(index) > s.size()) return;
  s.erase(size_t(index - 1), size_t(count));
}

void Insert(const AnsiString& source, AnsiString& s, int index) {
  if (index < 1) index = 1;
  const size_t at = std::min(size_t(index - 1), s.size());
  s.insert(at, source);
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern,
                         const AnsiString& newPattern, TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  const AnsiString haystack = ignoreCase ? AnsiUpperCase(s) : s;
  const AnsiString needle = ignoreCase ? AnsiUpperCase(oldPattern) : oldPattern;
  AnsiString out;
  size_t from = 0;
  while (from <= s.size()) {
    const size_t at = haystack.find(needle, from);
    if (at == AnsiString::npos) break;
    out.append(s, from, at - from).append(newPattern);
    from = at + needle.size();
    if ((flags & rfReplaceAll) == 0) break;
  }
  out.append(s, std::min(from, s.size()), AnsiString::npos);
  return out;
}

AnsiString StringOfChar(char c, int count) { return count > 0 ? AnsiString(size_t(count), c) : AnsiString(); }

AnsiString QuotedStr(const AnsiString& s) {
  AnsiString out = "'";
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

bool IsValidIdent(const AnsiString& s) {
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (s.empty() || !isAlpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); });
}
