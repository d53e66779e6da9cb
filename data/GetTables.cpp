#include "GetTables.h"

#include <functional>
#include <vector>

#include "uParseQuery.h"

namespace {

constexpr char JoinMarker = '\x01';
constexpr char AliasSeparator = '\x02';

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

bool StartsWithAt(const AnsiString& s, size_t i, const AnsiString& word) {
  return s.compare(i, word.size(), word) == 0;
}

AnsiString ReplaceUntilGone(AnsiString s, const AnsiString& pattern, const AnsiString& by) {
  while (s.find(pattern) != AnsiString::npos) s = StringReplace(s, pattern, by, rfReplaceAll);
  return s;
}

// The first index from `from` on where one of words stands at top level of s
// (depth and quotes counted from the start of s); npos when there is none.
size_t FindTopLevel(const AnsiString& s, const std::vector<AnsiString>& words, size_t from = 0) {
  TSQLScanState state;
  for (size_t i = 0; i < s.size(); ++i) {
    if (i >= from && state.TopLevel())
      for (const AnsiString& w : words)
        if (StartsWithAt(s, i, w)) return i;
    state.Step(s[i]);
  }
  return AnsiString::npos;
}

// The words that may stand before JOIN to say what kind of join it is.
bool IsJoinKind(const AnsiString& word) {
  static const char* const kinds[] = {"left", "right", "inner", "outer", "full", "cross", "natural"};
  for (const char* k : kinds)
    if (word == k) return true;
  return false;
}

void DropJoinKinds(AnsiString& text) {
  for (;;) {
    size_t end = text.find_last_not_of(' ');
    if (end == AnsiString::npos) return;
    size_t begin = text.find_last_of(' ', end);
    begin = begin == AnsiString::npos ? 0 : begin + 1;
    if (!IsJoinKind(text.substr(begin, end - begin + 1))) return;
    text.erase(begin);
  }
}

// Every top-level " join " with the words of its kind before it becomes a marker.
AnsiString MarkJoins(const AnsiString& s) {
  AnsiString out;
  TSQLScanState state;
  for (size_t i = 0; i < s.size();) {
    if (state.TopLevel() && StartsWithAt(s, i, " join ")) {
      DropJoinKinds(out);
      out += AnsiString(" ") + JoinMarker + " ";
      i += 6;
      continue;
    }
    out += s[i];
    state.Step(s[i]);
    ++i;
  }
  return out;
}

// One line of lower-case text with a blank in front, blanks before FROM and
// JOIN single, joins marked.
AnsiString PrepareStatement(const AnsiString& sql) {
  AnsiString s = StringReplace(sql, "\r\n", " ", rfReplaceAll);
  for (const char* br : {"\r", "\n", "\t"}) s = StringReplace(s, br, " ", rfReplaceAll);
  s = " " + Trim(LowerCase(s));
  s = ReplaceUntilGone(s, "  from ", " from ");
  s = ReplaceUntilGone(s, "  join ", " join ");
  return MarkJoins(s);
}

struct TStatementKind {
  const char* Kind;
  const char* Begin;
  std::vector<AnsiString> Ends;
};

const std::vector<TStatementKind>& StatementKinds() {
  static const std::vector<TStatementKind> kinds = {
      {" select ", " from ", {" where ", " order ", " union ", " group ", " having ", " limit "}},
      {" delete ", " from ", {" where "}},
      {" update ", " update ", {" set "}},
      {" insert ", " into ", {" values ", " values(", " select ", " default ", "("}},
  };
  return kinds;
}

// Where the join that begins after `from` ends: at the next top-level comma or
// marker, or at the parenthesis that closes around it.
size_t JoinEnd(const AnsiString& list, size_t from) {
  TSQLScanState state;
  for (size_t i = from; i < list.size(); ++i) {
    char c = list[i];
    if (state.TopLevel() && (c == ',' || c == JoinMarker || c == ')')) return i;
    state.Step(c);
  }
  return list.size();
}

// Moves every joined table out of the from-list; answers the joined tables,
// each followed by a comma.
AnsiString ResolveJoins(AnsiString& fromList) {
  AnsiString joins;
  for (size_t m; (m = FindTopLevel(fromList, {AnsiString(1, JoinMarker)})) != AnsiString::npos;) {
    size_t end = JoinEnd(fromList, m + 1);
    AnsiString join = fromList.substr(m + 1, end - m - 1) + " ";
    size_t on = FindTopLevel(join, {" on ", " on(", " using ", " using("});
    AnsiString table = Trim(join.substr(0, on));
    if (!table.empty()) joins += table + ",";
    fromList.erase(m, end - m);
  }
  return joins;
}

// Commas become line breaks and blanks, " as " and closing quotes alias
// separators, all outside quotes.
AnsiString MarkAliases(const AnsiString& s) {
  AnsiString out;
  TSQLScanState state;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (!state.InQuotes()) {
      if (StartsWithAt(s, i, " as ")) {
        out += AliasSeparator;
        i += 3;
        continue;
      }
      if (c == ' ' || c == ',') {
        out += c == ' ' ? AliasSeparator : '\n';
        continue;
      }
    }
    bool closing = (c == '"' && state.InDouble) || (c == '\'' && state.InSingle);
    out += closing ? AliasSeparator : c;
    state.Step(c);
  }
  return out;
}

std::vector<AnsiString> SplitAt(const AnsiString& s, char delimiter) {
  std::vector<AnsiString> parts(1);
  for (char c : s) {
    if (c == delimiter) parts.emplace_back();
    else parts.back() += c;
  }
  return parts;
}

AnsiString CollapseSeparators(const AnsiString& s) {
  AnsiString out;
  for (char c : s)
    if (c != AliasSeparator || out.empty() || out.back() != AliasSeparator) out += c;
  while (!out.empty() && out.back() == AliasSeparator) out.pop_back();
  return out;
}

// A path loses its first folder level (up to and including the first '/').
void DropFirstFolder(AnsiString& name) {
  size_t slash = name.find(PathDelim);
  if (slash != AnsiString::npos) name.erase(0, slash + 1);
}

AnsiString TableLine(AnsiString line, bool withAlias, bool keepPath) {
  line.erase(0, std::min(line.find_first_not_of(AliasSeparator), line.size()));
  char quote = 0;
  if (!line.empty() && (line[0] == '"' || line[0] == '\'')) {
    quote = line[0];
    line.erase(0, 1);
  }
  if (withAlias) line = CollapseSeparators(line);
  else line = line.substr(0, line.find(AliasSeparator));
  if (!keepPath) DropFirstFolder(line);
  if (Trim(line).empty()) return "";
  size_t sep = line.find(AliasSeparator);
  AnsiString name = line.substr(0, sep);
  if (quote != 0) name = quote + name + quote;
  if (!withAlias) return name;
  AnsiString alias = sep == AnsiString::npos ? name : line.substr(sep + 1);
  return name + "=" + StringReplace(alias, AnsiString(1, AliasSeparator), "=", rfReplaceAll);
}

AnsiString JoinLines(const std::vector<AnsiString>& lines) {
  AnsiString out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\r\n" : "") + lines[i];
  return out;
}

// The table after FROM of the sub-select whose text begins at `from`: the first
// FROM on the sub-select's own level, then the name up to a blank or ')'.
AnsiString SubselectTable(const AnsiString& s, size_t from) {
  TSQLScanState state;
  for (size_t i = from; i < s.size(); ++i) {
    if (state.Depth < 0) return "";
    if (state.TopLevel() && IsBlankOrBreak(s[i]) && StartsWithAt(s, i + 1, "from") && i + 5 < s.size() &&
        IsBlankOrBreak(s[i + 5])) {
      size_t t = i + 5;
      while (t < s.size() && IsBlankOrBreak(s[t])) ++t;
      AnsiString table;
      TSQLScanState name;
      for (; t < s.size(); ++t) {
        if (!name.InQuotes() && (IsBlankOrBreak(s[t]) || s[t] == ')')) break;
        table += s[t];
        name.Step(s[t]);
      }
      return table;
    }
    state.Step(s[i]);
  }
  return "";
}

}  // namespace

AnsiString GetStatementTables(const AnsiString& sql) {
  AnsiString s = PrepareStatement(sql);
  for (const TStatementKind& kind : StatementKinds()) {
    if (!StartsWithAt(s, 0, kind.Kind)) continue;
    size_t begin = FindTopLevel(s, {kind.Begin});
    if (begin == AnsiString::npos) return "";
    begin += AnsiString(kind.Begin).size();
    size_t end = FindTopLevel(s, kind.Ends, begin);
    AnsiString fromList = Trim(s.substr(begin, end == AnsiString::npos ? AnsiString::npos : end - begin));
    AnsiString joins = StartsWithAt(kind.Kind, 0, " select ") ? ResolveJoins(fromList) : AnsiString();
    fromList = StringReplace(fromList, AnsiString(1, JoinMarker), "join", rfReplaceAll);
    return Trim(fromList) + "," + joins;
  }
  return "";
}

AnsiString GetTableNames(const AnsiString& sql, bool withAlias, bool keepPath) {
  std::vector<AnsiString> lines;
  for (const AnsiString& raw : SplitAt(MarkAliases(GetStatementTables(sql)), '\n')) {
    AnsiString line = TableLine(raw, withAlias, keepPath);
    if (!line.empty()) lines.push_back(line);
  }
  return JoinLines(lines);
}

AnsiString GetSubselectTables(const AnsiString& sql, bool keepPath) {
  AnsiString s = ReplaceUntilGone(Trim(LowerCase(sql)), "( ", "(");
  std::vector<AnsiString> tables;
  for (size_t p = 0; (p = s.find("(select", p)) != AnsiString::npos; ++p) {
    if (p + 7 >= s.size() || !IsBlankOrBreak(s[p + 7])) continue;
    AnsiString table = SubselectTable(s, p + 7);
    if (!keepPath) {
      size_t slash = table.find_last_of(PathDelim);
      if (slash != AnsiString::npos) table.erase(0, slash + 1);
      // Only an unbalanced closing quote (its opening one went with the path) is dropped.
      if (!table.empty() && (table.back() == ' ' || (table.back() == '\'' && table.front() != '\'')))
        table.pop_back();
    }
    if (!Trim(table).empty()) tables.push_back(table);
  }
  return JoinLines(tables);
}
