// Table names of an SQL statement, found in its text without a full parser:
// the tables a SELECT, DELETE, UPDATE or INSERT names, joined tables, aliases,
// and the tables of parenthesised sub-selects. Keywords are matched in lower
// case; text in quotes or parentheses is never taken for a keyword.
#pragma once

#include "SysUtils.h"

// The table part of one statement, lower-cased: the from-list followed by the
// joined tables, each entry ending with a comma ("customer c,orders o,"). For an
// INSERT it is the table after INTO. Other statements give an empty text.
AnsiString GetStatementTables(const AnsiString& sql);

// The tables of a statement, one per line (joined with CR LF). withAlias gives
// name=alias lines (name=name for a table without alias); without keepPath a
// table loses the text up to and including its first '/'. A quoted name keeps
// its quotes.
AnsiString GetTableNames(const AnsiString& sql, bool withAlias, bool keepPath);

// The table named first after FROM in every parenthesised sub-select, one per
// line; without keepPath a table loses everything up to its last '/' and a
// trailing quote.
AnsiString GetSubselectTables(const AnsiString& sql, bool keepPath);
