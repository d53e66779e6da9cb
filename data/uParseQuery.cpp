#include "uParseQuery.h"

#include "DBTables.h"
#include "TStringList.h"

namespace {

const AnsiString CRLF = "\r\n";

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

// Characters that continue a name: a keyword right after one of them is part of
// a longer word (XFROM, BORDER) and no clause keyword.
bool ContinuesWord(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' ||
         u == '$' || u == '#' || u == '@' || u == '.' || u >= 0x80;
}

// keyword stands at index i of text as a word of its own, followed by a blank or
// line break (so never at the very end of the text).
bool KeywordAt(const AnsiString& text, size_t i, const char* keyword) {
  AnsiString kw(keyword);
  if (i + kw.size() >= text.size() || text.compare(i, kw.size(), kw) != 0) return false;
  if (i > 0 && ContinuesWord(text[i - 1])) return false;
  return IsBlankOrBreak(text[i + kw.size()]);
}

AnsiString ReplaceUntilGone(AnsiString s, const AnsiString& pattern, const AnsiString& by) {
  while (s.find(pattern) != AnsiString::npos) s = StringReplace(s, pattern, by, rfReplaceAll);
  return s;
}

// Runs of blanks outside quotes become one blank; quoted literals keep theirs.
AnsiString CollapseBlanks(const AnsiString& s) {
  AnsiString out;
  TSQLScanState state;
  for (char c : s) {
    if (c == ' ' && !state.InQuotes() && !out.empty() && out.back() == ' ') continue;
    out += c;
    state.Step(c);
  }
  return out;
}

// The keyword a clause text begins with: its first word when that ends within
// the first 10 characters, otherwise the whole text.
AnsiString ClauseKeyword(const AnsiString& clause) {
  size_t p = 0;
  while (p < clause.size() && !IsBlankOrBreak(clause[p])) ++p;
  AnsiString word = (p < clause.size() && p < 10) ? clause.substr(0, p) : clause;
  return UpperCase(Trim(word));
}

// The text as a list of lines gives it back: every line ended by CR LF.
AnsiString AsLines(const AnsiString& text) {
  TStringList lines;
  lines.SetText(text);
  return lines.Text();
}

}  // namespace

const std::array<const char*, SQLKeywordCount> SQLKeywords = {
    "SELECT", "FROM", "WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "COMPUTE", "FOR", "INTO"};

void TSQLScanState::Step(char c) {
  if (c == '"' && !InSingle) InDouble = !InDouble;
  else if (c == '\'' && !InDouble) InSingle = !InSingle;
  else if (!InQuotes() && c == '(') ++Depth;
  else if (!InQuotes() && c == ')') --Depth;
}

AnsiString RemoveBlankLines(const AnsiString& text) {
  return ReplaceUntilGone(ReplaceUntilGone(text, "\r\n\r\n", CRLF), "\r\r", "\r");
}

AnsiString RewrapClause(const AnsiString& clause, size_t maxLine) {
  std::vector<AnsiString> chunks(1);
  TSQLScanState state;
  for (char c : clause) {
    chunks.back() += c;
    if (state.TopLevel() && (c == ' ' || c == ',') && chunks.back().size() >= 6) chunks.emplace_back();
    state.Step(c);
  }
  AnsiString out, line;
  for (const AnsiString& chunk : chunks) {
    if (!line.empty() && line.size() + chunk.size() > maxLine) {
      out += line + CRLF;
      line.clear();
    }
    line += chunk;
  }
  return out + line + CRLF;
}

TSQLParser::TSQLParser() : FText(std::make_unique<TStringList>()) {}
TSQLParser::~TSQLParser() = default;

int TSQLParser::KeywordIndex(const AnsiString& keyword) {
  AnsiString kw = UpperCase(Trim(keyword));
  for (int i = 0; i < SQLKeywordCount; ++i)
    if (kw == SQLKeywords[size_t(i)]) return i;
  return -1;
}

AnsiString TSQLParser::CurrentText() const { return FText->Text(); }
void TSQLParser::SetCurrentText(const AnsiString& text) { FText->SetText(text); }
AnsiString TSQLParser::GetSQLText() const { return CurrentText(); }

void TSQLParser::ParseSQL(const AnsiString& text) {
  AnsiString t = RemoveBlankLines(AsLines(text));
  if (Trim(t).empty()) {
    // A blank text must not leave the previous statement behind as the current one.
    FLastParsed.clear();
    FText->Clear();
    for (TSQLParseRec& rec : FRecords) rec.Start = rec.End = 0;
    return;
  }
  if (t == FLastParsed && !CurrentText().empty()) return;
  SetCurrentText(t);
  FLastParsed = t;
  for (size_t i = 0; i < FRecords.size(); ++i)
    FRecords[i] = TSQLParseRec{0, 0, i < SQLKeywords.size() ? SQLKeywords[i] : ""};
  FHasKeywords = true;
  FindClauses(UpperCase(CurrentText()));
}

void TSQLParser::FindClauses(const AnsiString& upper) {
  TSQLScanState state;
  bool selectFound = false;
  for (size_t i = 0; i + 1 < upper.size(); ++i) {
    if (state.TopLevel()) {
      if (!selectFound) {
        if (KeywordAt(upper, i, SQLKeywords[0])) {
          FRecords[0].Start = i + 1;
          selectFound = true;
        }
      } else {
        for (size_t k = 1; k < SQLKeywords.size(); ++k) {
          if (FRecords[k].Start != 0 || !KeywordAt(upper, i, SQLKeywords[k])) continue;
          FRecords[k].Start = i + 1;
          for (size_t j = 0; j < k; ++j)
            if (FRecords[j].Start != 0 && FRecords[j].Start < i + 1 && FRecords[j].End == 0) FRecords[j].End = i;
          break;
        }
      }
    }
    state.Step(upper[i]);
  }
  for (TSQLParseRec& rec : FRecords)
    if (rec.Start != 0 && rec.End == 0) rec.End = upper.size();
}

AnsiString TSQLParser::GetSegment(const AnsiString& keyword) const {
  int index = KeywordIndex(keyword);
  if (index < 0) return "";
  const TSQLParseRec& rec = FRecords[size_t(index)];
  AnsiString text = CurrentText();
  if (rec.Start == 0 || rec.Start > text.size()) return "";
  return CollapseBlanks(Trim(text.substr(rec.Start - 1, rec.End - rec.Start + 1)));
}

AnsiString TSQLParser::InsertClause(const AnsiString& current, int index, const AnsiString& clause) const {
  for (int j = index - 1; index > 0 && j >= 0; --j) {
    const TSQLParseRec& before = FRecords[size_t(j)];
    if (before.Start == 0) continue;
    size_t at = std::min(before.End, current.size());
    return RemoveBlankLines(current.substr(0, at) + CRLF + clause + CRLF + current.substr(at));
  }
  return current;
}

void TSQLParser::ChangeSegment(const AnsiString& text) {
  if (!FHasKeywords) ParseSQL(CurrentText());
  FLastParsed.clear();
  AnsiString clause = Trim(text);
  if (clause.size() > 240) clause = RewrapClause(clause);
  AnsiString keyword = ClauseKeyword(clause);
  int index = KeywordIndex(keyword);
  if (index < 0) return;
  const TSQLParseRec& rec = FRecords[size_t(index)];
  AnsiString current = CurrentText();
  if (Trim(clause).size() > keyword.size()) {
    if (rec.Start != 0) {
      AnsiString before = rec.Start <= 2 ? AnsiString() : current.substr(0, rec.Start - 1);
      AnsiString after = rec.End < current.size() ? current.substr(rec.End) : AnsiString();
      current = RemoveBlankLines(before + CRLF + clause + CRLF + after);
    } else {
      current = InsertClause(current, index, clause);
    }
  } else if (rec.Start != 0) {
    current.erase(rec.Start - 1, rec.End - rec.Start + 1);
    current = RemoveBlankLines(current);
  }
  ParseSQL(current);
}

void TSQLParser::AddToWhere(const AnsiString& condition) {
  if (Trim(condition).empty()) return;
  AnsiString clause = TrimLeft(GetSegment("where"));
  if (!Trim(clause).empty()) {
    size_t p = clause.find(' ');
    if (p == AnsiString::npos || p + 1 > 6) p = 5;  // 0-based: right after "WHERE "
    clause.insert(p + 1, "(");
    clause += ") and " + condition;
  } else {
    clause = "where " + condition;
  }
  ChangeSegment(clause);
}

TSQLParser& SQLParser() {
  static TSQLParser parser;
  return parser;
}

void ParseSQL(const AnsiString& text) { SQLParser().ParseSQL(text); }
AnsiString GetSQLText() { return SQLParser().GetSQLText(); }
AnsiString GetSegment(const AnsiString& keyword) { return SQLParser().GetSegment(keyword); }
void ChangeSegment(const AnsiString& text) { SQLParser().ChangeSegment(text); }
void AddToWhere(const AnsiString& condition) { SQLParser().AddToWhere(condition); }

int SelectCount(TQuery& query) {
  TSQLParser& parser = SQLParser();
  parser.ParseSQL(query.SQL()->Text());
  // Only a SELECT is counted; anything else would be run for its effects.
  if (parser.Record(0).Start == 0) return -1;
  // Counting over the statement as a sub-select also gives the right number for
  // grouped, distinct and union statements.
  AnsiString statement = TrimRight(parser.GetSQLText());
  while (!statement.empty() && (statement.back() == ';' || static_cast<unsigned char>(statement.back()) <= ' '))
    statement.pop_back();
  parser.ParseSQL("select Count(*) as xSelCnt from (\r\n" + statement + "\r\n)");
  try {
    TQuery counter(nullptr);
    counter.SetSessionName(query.SessionName());
    counter.SetDatabaseName(query.DatabaseName());
    counter.SQL()->SetText(parser.GetSQLText());
    counter.Params().AssignValues(query.Params());
    counter.Open();
    int count = counter.FieldByName("xSelCnt")->AsInteger();
    counter.Close();
    return count;
  } catch (const std::exception&) {
    return -1;
  }
}
