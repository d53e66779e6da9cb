#include <gtest/gtest.h>

#include "uParseQuery.h"

namespace {

std::vector<AnsiString> Lines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != AnsiString::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  if (from < text.size()) lines.push_back(text.substr(from));
  return lines;
}

TEST(ParseQuery, GetSegmentFindsTopLevelClausesOnly) {
  struct Case {
    const char* sql;
    const char* keyword;
    const char* expected;
  } cases[] = {
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "where", "WHERE x=1"},
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "ORDER", "ORDER BY a"},
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "select", "SELECT a"},
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "  From ", "FROM t"},
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "group", ""},
      {"SELECT a FROM t WHERE x=1 ORDER BY a", "limit", ""},
      {"select a from (select b from u where c=1) s order by a", "where", ""},
      {"select a from (select b from u where c=1) s order by a", "from", "from (select b from u where c=1) s"},
      {"select a from t where n = 'x where y' order by a", "where", "where n = 'x where y'"},
      {"select \"where x\" from t", "where", ""},
      {"select a from t where n='a  b'   and   m=1", "where", "where n='a  b' and m=1"},
      {"select xfrom , b from t", "from", "from t"},
      {"select border, unit_for from t", "order", ""},
      {"select border, unit_for from t", "for", ""},
      {"select border, unit_for from t", "from", "from t"},
      {"select a,\r\n  b\r\nfrom t\r\nwhere x   =  1\r\n", "select", "select a,\r\n b"},
      {"select a,\r\n  b\r\nfrom t\r\nwhere x   =  1\r\n", "where", "where x = 1"},
      {"select a\nfrom t\nwhere x=1", "where", "where x=1"},
      {"select\ta\tfrom\tt", "from", "from\tt"},
      {"select a from t group by a having count(*) > 1 union select b from u", "having", "having count(*) > 1"},
      {"select a from t group by a having count(*) > 1 union select b from u", "union", "union select b from u"},
  };
  for (const Case& c : cases) {
    TSQLParser parser;
    parser.ParseSQL(c.sql);
    EXPECT_EQ(parser.GetSegment(c.keyword), c.expected) << c.sql << " / " << c.keyword;
  }
}

TEST(ParseQuery, RecordsHoldOneBasedPositionsOfTheLineText) {
  TSQLParser parser;
  parser.ParseSQL("SELECT a FROM t WHERE x=1");
  ASSERT_EQ(parser.GetSQLText(), "SELECT a FROM t WHERE x=1\r\n");
  struct Expect {
    int index;
    size_t start, end;
  } expected[] = {{0, 1, 9}, {1, 10, 16}, {2, 17, 27}, {3, 0, 0}, {7, 0, 0}};
  for (const Expect& e : expected) {
    EXPECT_EQ(parser.Record(e.index).Start, e.start) << SQLKeywords[size_t(e.index)];
    EXPECT_EQ(parser.Record(e.index).End, e.end) << SQLKeywords[size_t(e.index)];
    EXPECT_EQ(parser.Record(e.index).Keyword, SQLKeywords[size_t(e.index)]);
  }
  for (int i = SQLKeywordCount; i < SQLParseRecCount; ++i) EXPECT_EQ(parser.Record(i).Keyword, "");
}

TEST(ParseQuery, ParseRemovesBlankLines) {
  TSQLParser parser;
  parser.ParseSQL("select a\r\n\r\n\r\nfrom t\r\r\nwhere x=1\n\norder by a");
  EXPECT_EQ(parser.GetSQLText(), "select a\r\nfrom t\r\nwhere x=1\r\norder by a\r\n");
  EXPECT_EQ(parser.GetSegment("from"), "from t");
}

TEST(ParseQuery, ChangeSegmentReplacesInsertsAndRemoves) {
  struct Case {
    const char* sql;
    const char* change;
    const char* expected;
  } cases[] = {
      {"select a from t where x=1 order by a", "where y=2", "select a from t \r\nwhere y=2\r\norder by a\r\n"},
      {"select a from t where b in (select c from u where d=1)", "where b=2", "select a from t \r\nwhere b=2\r\n"},
      {"select a from t order by a", "  where y=2  ", "select a from t \r\nwhere y=2\r\norder by a\r\n"},
      {"select a from t", "order by a", "select a from t\r\norder by a\r\n"},
      {"select a from t group by a", "ORDER BY a", "select a from t group by a\r\nORDER BY a\r\n"},
      {"select a from t", "select b, c", "\r\nselect b, c\r\nfrom t\r\n"},
      {"select a from t where x=1 order by a", "ORDER", "select a from t where x=1 \r\n"},
      {"select a from t where x=1 order by a", "where", "select a from t order by a\r\n"},
      {"select a from t where x=1", "order", "select a from t where x=1\r\n"},
      {"select a from t where x=1", "limit 5", "select a from t where x=1\r\n"},
      {"select a from t where x=1", "whereabouts = 1", "select a from t where x=1\r\n"},
      {"from t", "select a", "from t\r\n"},
      {"select a from t", "where\r\nx=1", "select a from t\r\nwhere\r\nx=1\r\n"},
  };
  for (const Case& c : cases) {
    TSQLParser parser;
    parser.ParseSQL(c.sql);
    parser.ChangeSegment(c.change);
    EXPECT_EQ(parser.GetSQLText(), c.expected) << c.sql << " / " << c.change;
  }
}

TEST(ParseQuery, ChangeSegmentLeavesAParsedText) {
  TSQLParser parser;
  parser.ParseSQL("select a from t order by a");
  parser.ChangeSegment("where y=2");
  EXPECT_EQ(parser.GetSegment("where"), "where y=2");
  EXPECT_EQ(parser.GetSegment("order"), "order by a");
  parser.ChangeSegment("where z=3");
  EXPECT_EQ(parser.GetSQLText(), "select a from t \r\nwhere z=3\r\norder by a\r\n");
}

TEST(ParseQuery, AddToWhereWrapsOrInsertsTheCondition) {
  struct Case {
    const char* sql;
    const char* condition;
    const char* expected;
  } cases[] = {
      {"select a from t where a=1", "b=2", "select a from t \r\nwhere (a=1) and b=2\r\n"},
      {"select a from t WHERE a=1 or c=3 order by a", "b=2", "select a from t \r\nWHERE (a=1 or c=3) and b=2\r\norder by a\r\n"},
      {"select a from t order by a", "b=2", "select a from t \r\nwhere b=2\r\norder by a\r\n"},
      {"select a from (select b from u where c=1) s", "b=2", "select a from (select b from u where c=1) s\r\nwhere b=2\r\n"},
      {"select a from t where x in (select y from u where z=1)", "b=2",
       "select a from t \r\nwhere (x in (select y from u where z=1)) and b=2\r\n"},
      {"select a from t where n='a  b'", "m=1", "select a from t \r\nwhere (n='a  b') and m=1\r\n"},
      {"select a from t where a=1", "  ", "select a from t where a=1\r\n"},
  };
  for (const Case& c : cases) {
    TSQLParser parser;
    parser.ParseSQL(c.sql);
    parser.AddToWhere(c.condition);
    EXPECT_EQ(parser.GetSQLText(), c.expected) << c.sql << " / " << c.condition;
  }
}

TEST(ParseQuery, BlankTextLeavesNoEarlierStatementBehind) {
  TSQLParser parser;
  parser.ParseSQL("select a from t");
  parser.ParseSQL("  \r\n");
  EXPECT_EQ(parser.GetSQLText(), "");
  EXPECT_EQ(parser.GetSegment("from"), "");
  parser.AddToWhere("x=1");
  EXPECT_EQ(parser.GetSQLText(), "");
}

TEST(ParseQuery, RewrapBreaksAtTopLevelBlanksAndCommas) {
  struct Case {
    const char* clause;
    size_t width;
    const char* expected;
  } cases[] = {
      {"select aaaaaa, bbbbbb, cccccc", 16, "select aaaaaa,\r\n bbbbbb, cccccc\r\n"},
      {"f(aaaaaa, bbbbbb, cccccc) x", 10, "f(aaaaaa, bbbbbb, cccccc) \r\nx\r\n"},
      {"'aaaa, bbbb, cccc' yyyyyy", 10, "'aaaa, bbbb, cccc' \r\nyyyyyy\r\n"},
      {"a, b, c", 3, "a, b, \r\nc\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(RewrapClause(c.clause, c.width), c.expected) << c.clause;
}

TEST(ParseQuery, LongClauseIsStoredInLinesOfAtMost240) {
  AnsiString where = "where ";
  for (int i = 0; i < 60; ++i) where += (i ? " and col" : "col") + IntToStr(i) + " = " + IntToStr(i * 7);
  AnsiString quoted = "'" + StringOfChar('q', 300) + "'";
  for (const AnsiString& clause : {where, where + " and name = " + quoted}) {
    TSQLParser parser;
    parser.ParseSQL("select a from t order by a");
    parser.ChangeSegment(clause);
    std::vector<AnsiString> lines = Lines(parser.GetSQLText());
    EXPECT_GT(lines.size(), 4u);
    AnsiString joined;
    for (const AnsiString& line : lines) {
      if (line.find(quoted) == AnsiString::npos) {
        EXPECT_LE(line.size(), 240u) << line;
      }
      joined += line;
    }
    EXPECT_EQ(joined, "select a from t " + clause + "order by a");
    EXPECT_EQ(parser.GetSegment("order"), "order by a");
  }
}

TEST(ParseQuery, TextsBeyond16BitPositionsAreParsedInFull) {
  AnsiString condition = "x in (";
  for (int i = 0; condition.size() < 70000; ++i) condition += IntToStr(i) + ", ";
  condition += "0)";
  TSQLParser parser;
  parser.ParseSQL("select a from t where " + condition + " order by a");
  EXPECT_GT(parser.Record(TSQLParser::KeywordIndex("order")).Start, 65535u);
  EXPECT_EQ(parser.GetSegment("order"), "order by a");
  parser.AddToWhere("b=2");
  EXPECT_EQ(parser.GetSegment("order"), "order by a");
  AnsiString where = StringReplace(parser.GetSegment("where"), "\r\n", "", rfReplaceAll);
  EXPECT_EQ(where.substr(0, 13), "where (x in (");
  EXPECT_EQ(where.substr(where.size() - 11), "0)) and b=2");
}

TEST(ParseQuery, FreeFunctionsShareOneParser) {
  ParseSQL("select a from t where a=1");
  AddToWhere("b=2");
  EXPECT_EQ(GetSegment("where"), "where (a=1) and b=2");
  EXPECT_EQ(GetSQLText(), SQLParser().GetSQLText());
  ChangeSegment("order by a");
  EXPECT_EQ(GetSQLText(), "select a from t \r\nwhere (a=1) and b=2\r\norder by a\r\n");
}

}  // namespace
