// The text forms of TStrings: lines, delimited items and 8-bit text files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "CodePage.h"
#include "TStringList.h"

namespace {

const char* const SFOpenError = "Cannot open file \"%s\". %s";
const char* const SFCreateError = "Cannot create file \"%s\". %s";
const char* const SWriteError = "Stream write error";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool NeedsQuotes(const AnsiString& item, char delimiter, char quote) {
  if (item.empty()) return true;
  for (char c : item)
    if (IsBlank(c) || c == delimiter || c == quote) return true;
  return false;
}

AnsiString Quoted(const AnsiString& item, char quote) {
  AnsiString out(1, quote);
  for (char c : item) {
    if (c == quote) out += quote;
    out += c;
  }
  out += quote;
  return out;
}

// Reads a quoted item starting at the quote at pos; pos ends after the
// closing quote (or at the end of an unterminated item).
AnsiString ReadQuoted(const AnsiString& text, size_t& pos, char quote) {
  AnsiString item;
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c != quote) {
      item += c;
    } else if (pos < text.size() && text[pos] == quote) {
      item += quote;
      ++pos;
    } else {
      break;
    }
  }
  return item;
}

AnsiString ReadUnquoted(const AnsiString& text, size_t& pos, char delimiter) {
  const size_t start = pos;
  while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != delimiter) ++pos;
  return text.substr(start, pos - start);
}

void SkipBlanks(const AnsiString& text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

AnsiString ReadWholeFile(const AnsiString& fileName) {
  TFile file(std::fopen(AnsiToUtf8(fileName).c_str(), "rb"));
  if (!file) throw EFOpenError(Format(SFOpenError, {fileName, std::strerror(errno)}));
  AnsiString content;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  // A directory opens on Linux but cannot be read.
  if (std::ferror(file.get())) throw EFOpenError(Format(SFOpenError, {fileName, std::strerror(errno)}));
  return content;
}

}  // namespace

AnsiString TStrings::Text() const {
  AnsiString text;
  for (int i = 0, n = Count(); i < n; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const AnsiString& text) {
  Updating([&] {
    Clear();
    size_t start = 0;
    for (size_t pos = 0; pos < text.size(); ++pos) {
      const char c = text[pos];
      if (c != '\r' && c != '\n') continue;
      Add(text.substr(start, pos - start));
      if (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
      start = pos + 1;
    }
    if (start < text.size()) Add(text.substr(start));
  });
}

AnsiString TStrings::JoinItems(char delimiter, char quote) const {
  AnsiString text;
  for (int i = 0, n = Count(); i < n; ++i) {
    if (i > 0) text += delimiter;
    const AnsiString item = Get(i);
    text += NeedsQuotes(item, delimiter, quote) ? Quoted(item, quote) : item;
  }
  return text;
}

// Every delimiter introduces one more item, so "a," and "a, " both end
// with an empty item.
void TStrings::SplitItems(const AnsiString& text, char delimiter, char quote) {
  Updating([&] {
    Clear();
    size_t pos = 0;
    SkipBlanks(text, pos);
    while (pos < text.size()) {
      Add(text[pos] == quote ? ReadQuoted(text, pos, quote) : ReadUnquoted(text, pos, delimiter));
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == delimiter) {
        ++pos;
        SkipBlanks(text, pos);
        if (pos == text.size()) Add(AnsiString());
      }
    }
  });
}

AnsiString TStrings::DelimitedText() const { return JoinItems(FDelimiter, FQuoteChar); }
void TStrings::SetDelimitedText(const AnsiString& text) { SplitItems(text, FDelimiter, FQuoteChar); }
AnsiString TStrings::CommaText() const { return JoinItems(',', '"'); }
void TStrings::SetCommaText(const AnsiString& text) { SplitItems(text, ',', '"'); }

void TStrings::LoadFromFile(const AnsiString& fileName) { SetText(ReadWholeFile(fileName)); }

void TStrings::SaveToFile(const AnsiString& fileName) const {
  const AnsiString text = Text();
  TFile file(std::fopen(AnsiToUtf8(fileName).c_str(), "wb"));
  if (!file) throw EFCreateError(Format(SFCreateError, {fileName, std::strerror(errno)}));
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  if (std::fclose(file.release()) != 0 || !written) throw EWriteError(SWriteError);
}
