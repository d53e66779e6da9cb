// The SQL segment parser: finds the top-level clauses of a SELECT statement by
// position, so that one clause can be read, replaced, inserted or removed, a
// condition added to the WHERE clause and the rows of a query counted.
//
// It works on plain text, not on a grammar: keywords are matched in upper case,
// and text inside quotes or parentheses is never taken for a keyword. Positions
// are 1-based and as wide as the text, so texts of any length are handled.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "SysUtils.h"

class TStringList;
class TQuery;

// Depth and quote tracking shared by every SQL text scan: parentheses count
// only outside quotes, a double quote switches outside single quotes and a
// single quote outside double quotes.
struct TSQLScanState {
  int Depth = 0;
  bool InDouble = false;
  bool InSingle = false;

  void Step(char c);
  bool InQuotes() const { return InDouble || InSingle; }
  bool TopLevel() const { return Depth == 0 && !InQuotes(); }
};

// One clause of the current text: where its keyword starts and where the clause
// ends (1-based, inclusive); Start is 0 when the clause is absent.
struct TSQLParseRec {
  size_t Start = 0;
  size_t End = 0;
  AnsiString Keyword;
};

constexpr int SQLParseRecCount = 20;
constexpr int SQLKeywordCount = 11;

// The clause keywords in the order in which clauses follow each other.
extern const std::array<const char*, SQLKeywordCount> SQLKeywords;

// One parser state: the current text (a list of lines), the clause table and the
// last parsed text. The program shares one instance, SQLParser(); tests may make
// their own.
class TSQLParser {
public:
  TSQLParser();
  ~TSQLParser();
  TSQLParser(const TSQLParser&) = delete;
  TSQLParser& operator=(const TSQLParser&) = delete;

  // Makes text the current text and finds its clauses; the same text as last
  // time is not parsed again. A blank text empties the current text.
  void ParseSQL(const AnsiString& text);
  // The current text: its lines, each followed by CR LF.
  AnsiString GetSQLText() const;
  // The clause of keyword, keyword included, trimmed and with runs of blanks
  // outside quotes reduced to one; empty when the clause is absent.
  AnsiString GetSegment(const AnsiString& keyword) const;
  // Replaces, inserts or (given a bare keyword) removes one clause of the
  // current text; text whose first word is no clause keyword changes nothing.
  void ChangeSegment(const AnsiString& text);
  // WHERE old becomes WHERE (old) and condition; without WHERE the clause
  // "where condition" is inserted. A blank condition does nothing.
  void AddToWhere(const AnsiString& condition);

  const TSQLParseRec& Record(int index) const { return FRecords.at(size_t(index)); }
  // Index of keyword (any case, blanks around ignored) in the keyword list; -1 if none.
  static int KeywordIndex(const AnsiString& keyword);

private:
  void FindClauses(const AnsiString& upperText);
  void SetCurrentText(const AnsiString& text);
  AnsiString CurrentText() const;
  AnsiString InsertClause(const AnsiString& current, int index, const AnsiString& clause) const;

  std::array<TSQLParseRec, SQLParseRecCount> FRecords;
  std::unique_ptr<TStringList> FText;
  AnsiString FLastParsed;
  bool FHasKeywords = false;
};

// The program's one parser.
TSQLParser& SQLParser();

// The operations on the shared parser, as report programs and tools call them.
void ParseSQL(const AnsiString& text);
AnsiString GetSQLText();
AnsiString GetSegment(const AnsiString& keyword);
void ChangeSegment(const AnsiString& text);
void AddToWhere(const AnsiString& condition);

// The number of rows the query's statement yields, counted by a temporary query
// on the same database; -1 on any failure. The query itself is not changed; the
// shared parser's current text holds the counting statement afterwards.
int SelectCount(TQuery& query);

// Deletes one CR LF of every CR LF CR LF and one CR of every CR CR, so that the
// text has no empty lines.
AnsiString RemoveBlankLines(const AnsiString& text);
// Cuts a clause longer than maxLine characters into lines of at most maxLine
// characters at top-level blanks and commas; every line ends with CR LF. A piece
// without such a break may stay longer.
AnsiString RewrapClause(const AnsiString& clause, size_t maxLine = 240);
