// The current ANSI code page and the conversions between it and UTF-8.
//
// A byte the page leaves unassigned (0x81 in Windows-1252, for one) reads as
// U+FFFD; written back from UTF-8 it becomes the replacement character, so such
// bytes do not survive a trip through UTF-8.
#include "CodePage.h"

#include <algorithm>
#include <atomic>

#include "CodePageTables.h"

namespace {

std::atomic<const TCodePageTable*> currentTable{&Windows1252Table};

const TCodePageTable& Table() { return *currentTable.load(std::memory_order_relaxed); }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one code point at `pos` and advances past it. A malformed sequence
// (bad lead byte, truncation, overlong form, surrogate, beyond U+10FFFF) gives
// -1 and advances past its longest valid-looking prefix, at least one byte.
long NextCodePoint(const std::string& s, size_t& pos) {
  const auto lead = static_cast<unsigned char>(s[pos++]);
  if (lead < 0x80) return lead;
  int length;
  char32_t cp;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2; cp = lead & 0x1F; minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3; cp = lead & 0x0F; minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4; cp = lead & 0x07; minimum = 0x10000;
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (pos >= s.size() || !IsContinuation(static_cast<unsigned char>(s[pos]))) return -1;
    cp = (cp << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  return long(cp);
}

}  // namespace

TCodePage AnsiCodePage() {
  return &Table() == &Windows1250Table ? TCodePage::Windows1250 : TCodePage::Windows1252;
}

void SetAnsiCodePage(TCodePage page) {
  currentTable.store(page == TCodePage::Windows1250 ? &Windows1250Table : &Windows1252Table,
                     std::memory_order_relaxed);
}

char32_t AnsiCharToUnicode(unsigned char c) { return Table().ToUnicode[c]; }

int UnicodeToAnsiChar(char32_t cp) {
  if (cp < 0x80) return int(cp);
  if (cp == 0xFFFD || cp > 0xFFFF) return -1;
  const TCodePageTable& t = Table();
  const auto* end = t.FromUnicode + t.FromUnicodeCount;
  const auto* hit = std::lower_bound(t.FromUnicode, end, cp,
                                     [](const TCodePageTable::TReverse& r, char32_t v) { return r.Code < v; });
  return hit != end && hit->Code == cp ? hit->Byte : -1;
}

std::string AnsiToUtf8(const std::string& ansi) {
  const TCodePageTable& t = Table();
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (char c : ansi) AppendUtf8(out, t.ToUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::string Utf8ToAnsi(const std::string& utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const long cp = NextCodePoint(utf8, pos);
    const int byte = cp < 0 ? -1 : UnicodeToAnsiChar(char32_t(cp));
    out += byte < 0 ? replacement : char(byte);
  }
  return out;
}

char AnsiUpperChar(char c) { return char(Table().Upper[static_cast<unsigned char>(c)]); }
char AnsiLowerChar(char c) { return char(Table().Lower[static_cast<unsigned char>(c)]); }
bool AnsiIsLetter(char c) { return Table().Letter[static_cast<unsigned char>(c)] != 0; }

int AnsiSortWeight(char c) { return Table().SortWeight[static_cast<unsigned char>(c)]; }
