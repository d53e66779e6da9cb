// The ANSI code page of every AnsiString: Windows-1252 by default, Windows-1250
// selectable. Conversion to UTF-8 happens only at the boundaries (Qt, file
// names, console output).
#pragma once

#include <string>

enum class TCodePage { Windows1252 = 1252, Windows1250 = 1250 };

TCodePage AnsiCodePage();
void SetAnsiCodePage(TCodePage page);

// Unicode code point of an ANSI byte in the current code page (0xFFFD for an
// unassigned byte), and the byte for a code point (-1 when the page lacks it).
char32_t AnsiCharToUnicode(unsigned char c);
int UnicodeToAnsiChar(char32_t cp);

std::string AnsiToUtf8(const std::string& ansi);
// Characters outside the code page (and malformed UTF-8) become `replacement`.
std::string Utf8ToAnsi(const std::string& utf8, char replacement = '?');

// Upper and lower case of one byte by the code page's letters.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
bool AnsiIsLetter(char c);
