// Reading one statement from the program text and reducing it to its form:
// reserved words stay, expression parts become y, an assignment target x.
#include <string_view>

#include "CodePage.h"
#include "ExprSupport.h"
#include "Prog.h"

namespace {

constexpr std::string_view ReservedWords =
    " TINTEGER TFLOAT TBOOLEAN TSTRING BEGIN END  IF THEN ELSE - FOR TO DOWNTO DO WHILE  BEEP BREAK CONTINUE "
    "EXIT QUIT  PROCEDURE PROC ";

constexpr const char* AssignMarker = "@@:=@@";

// Forms by number; the index is the number.
constexpr std::array<std::string_view, 21> Forms = {
    "x",        "END",          "BEGIN",           "ELSE",          "END ELSE",   "EXIT",       "BREAK",
    "CONTINUE", "PROC y",       "IF y THEN",       "WHILE y DO",    "FOR x TO y DO", "FOR x DOWNTO y DO",
    "y TINTEGER", "y TFLOAT",   "y TBOOLEAN",      "y TSTRING",     "BEEP",       "QUIT",       "PROCEDURE y",
    "m"};

// The empty token is no word, although two blanks stand together in the list.
bool IsReserved(const AnsiString& token) {
  if (token.empty() || token.size() > 9) return false;
  char buffer[12];
  buffer[0] = ' ';
  token.copy(buffer + 1, token.size());
  buffer[token.size() + 1] = ' ';
  return ReservedWords.find(std::string_view(buffer, token.size() + 2)) != std::string_view::npos;
}

int FormNumberOf(const AnsiString& form) {
  if (form.empty()) return skEmpty;
  for (size_t i = 0; i < Forms.size(); ++i)
    if (Forms[i] == form) return static_cast<int>(i);
  return skUnknown;
}

bool AllIdentChars(std::string_view text) {
  for (char c : text)
    if (!IsIdentChar(c)) return false;
  return true;
}

AnsiString BreakpointKey(int line) {
  AnsiString key(1, 'x');
  key += IntToStr(line);
  key += 'x';
  return key;
}

}  // namespace

const AnsiString& TProg::Part(int number) const {
  static const AnsiString none;
  return number >= 1 && number <= FPartCount ? FParts[static_cast<size_t>(number)] : none;
}

void TProg::BeginReading(int position) {
  FText = FEditor.Text();
  FPos = position;
  FLine = 0;
}

// ---------------------------------------------------------------------------
// Reader

// Takes the next character: tests for a stop, follows carriage returns with
// the caret and makes the debugging marks.
bool TProg::NextChar(char& c) {
  if (StopRequested) return false;
  c = FText[static_cast<size_t>(FPos)];
  if (c == '\r') {
    FLine = FEditor.PlaceCaret(FPos);
    MarkForDebugging();
  } else if (FMarkPending) {
    MarkForDebugging();
  }
  FMarkPending = false;
  ++FPos;
  return true;
}

void TProg::MarkForDebugging() {
  if (FMarked) return;
  if (FLine == RunToLine && RunToLine > 0) {
    FMarked = true;
  } else if (!Breakpoints.empty() && Breakpoints.find(BreakpointKey(FLine)) != AnsiString::npos) {
    FMarked = true;
    DebugState = dsStep;
  }
}

// Skips a // comment (last is '/') through its carriage return or a { } comment
// through its brace; false when a stop was requested.
bool TProg::SkipComment(char last) {
  const char end = last == '/' ? '\r' : '}';
  char c;
  while (FPos < static_cast<int>(FText.size())) {
    if (!NextChar(c)) return false;
    if (c == end) break;
  }
  return true;
}

AnsiString& TProg::CurrentToken() { return FTokens[static_cast<size_t>(FTokenIndex)]; }

void TProg::RejectStatement(const char* message) {
  if (FRejected) return;
  FRejected = true;
  ReportProgramError(message);
}

void TProg::AppendToToken(char c) {
  if (FTokenIndex >= MaxTokens) {
    RejectStatement("Statement too long: more than 31 tokens");
    return;
  }
  if (FFirstChar < 0) FFirstChar = FPos - 1;
  CurrentToken() += c;
}

void TProg::EndToken() {
  if (FTokenIndex < MaxTokens && !CurrentToken().empty()) ++FTokenIndex;
}

void TProg::AddOwnToken(const char* token) {
  if (FFirstChar < 0) FFirstChar = FPos - 1;
  EndToken();
  if (FTokenIndex >= MaxTokens) {
    RejectStatement("Statement too long: more than 31 tokens");
    return;
  }
  CurrentToken() = token;
  ++FTokenIndex;
}

// The target of ":=" is the token being built: the only one, or the one after FOR.
void TProg::CheckAssignmentTarget() {
  if (FTokenIndex >= MaxTokens) return;
  const AnsiString& target = CurrentToken();
  const bool placed = FTokenIndex == 0 || (FTokenIndex == 1 && FTokens[0] == "FOR");
  if (!placed)
    ReportProgramError("Identificator name error");
  else if (target.empty())
    ReportProgramError("? := ..., identificator name not found");
  else if (!AllIdentChars(target))
    ReportProgramError("Identificator name error");
  else if (!IsIdentStart(target[0]))
    ReportProgramError("Identificator name (first character) error");
}

bool TProg::EndsStatement() const {
  if (FTokenIndex >= MaxTokens) return false;
  const AnsiString& t = FTokens[static_cast<size_t>(FTokenIndex)];
  return t == "DO" || t == "THEN" || t == "ELSE" || t == "BEGIN";
}

bool TProg::ReadStatement() {
  for (int i = 0; i <= FTokenIndex && i < MaxTokens; ++i) FTokens[static_cast<size_t>(i)].clear();
  FTokenIndex = 0;
  FRejected = false;
  FMarked = false;
  FFirstChar = -1;
  FMarkPending = true;
  bool inString = false;
  const int length = static_cast<int>(FText.size());
  char c;
  while (FPos < length) {
    if (!NextChar(c)) return false;
    if (inString) {
      if (c == '\r') ReportProgramError("Error end of string");
      AppendToToken(c);
      if (c == '\'') inString = false;
      continue;
    }
    switch (c) {
      case '\n':
        continue;
      case ';':
        ReduceStatement();
        return true;
      case ' ':
      case '\r':
        EndToken();
        continue;
      case '\'':
        EndToken();
        AppendToToken(c);
        inString = true;
        continue;
      case '{':
        if (!SkipComment(c)) return false;
        continue;
      case '/':
        if (FPos < length && FText[static_cast<size_t>(FPos)] == '/') {
          if (!SkipComment(c)) return false;
          continue;
        }
        break;
      case ':':
        if (FPos < length && FText[static_cast<size_t>(FPos)] == '=') {
          CheckAssignmentTarget();
          AddOwnToken(":=");
          ++FPos;
        } else {
          AddOwnToken(":");
        }
        continue;
      default:
        break;
    }
    AppendToToken(AnsiUpperChar(c));
    if (FTokenIndex < MaxTokens && CurrentToken() == "DO" && FPos < length &&
        (FText[static_cast<size_t>(FPos)] == 'W' || FText[static_cast<size_t>(FPos)] == 'w')) {
      CurrentToken() += 'W';
      ++FPos;
    }
    if (EndsStatement()) break;
  }
  ReduceStatement();
  return true;
}

// ---------------------------------------------------------------------------
// Reduction

void TProg::BeginPart() {
  if (FPartIndex == 0) {
    FPartIndex = 1;
  } else if (!FParts[static_cast<size_t>(FPartIndex)].empty()) {
    if (FPartIndex == MaxParts) {
      RejectStatement("Statement too long: more than 10 expression parts");
      return;
    }
    ++FPartIndex;
  }
}

void TProg::AppendToPart(const AnsiString& text) {
  if (FPartIndex == 0) FPartIndex = 1;
  FParts[static_cast<size_t>(FPartIndex)] += text;
}

void TProg::AppendY() {
  if (FForm.empty() || (FForm.back() != 'x' && FForm.back() != 'y')) FForm += " y";
}

void TProg::ReduceAssignment(int tokenIndex, int tokenCount) {
  if (FPartIndex == 0) FPartIndex = 1;
  AnsiString& target = FParts[static_cast<size_t>(FPartIndex)];
  if (target.find("EVAL") == AnsiString::npos) {
    if (target.empty())
      ReportProgramError("Empty variabale or property name for modify // ?:=");
    else if (!IsIdentStart(target[0]))
      ReportProgramError("Varaibale or property name error  (disabled first charcter) ");
    else if (!AllIdentChars(target))
      ReportProgramError(target.find('.') != AnsiString::npos ? "Property name contains disabled character"
                                                               : "Variable name contains disabled character");
  }
  const AnsiString& next = tokenIndex + 1 < tokenCount ? FTokens[static_cast<size_t>(tokenIndex + 1)] : AnsiString();
  if (target.compare(0, 2, ":=") == 0)
    ReportProgramError("Missing value // x:=x:=x ");
  else if (next.empty())
    ReportProgramError("Missing value // x:=? ");
  else if (IsReserved(next))
    ReportProgramError("Missing value, x:=\"RESERVED WORD\"");
  target += AssignMarker;
  AppendY();
  FForm.back() = 'x';
}

// A lone expression is a call when its name, up to "(", is an identifier.
void TProg::ResolveCall() {
  const AnsiString& first = FParts[1];
  const size_t paren = first.find('(');
  if (AllIdentChars(std::string_view(first).substr(0, paren)))
    FForm = "m";
  else
    ReportProgramError("Expression expected");
}

void TProg::ReduceStatement() {
  FForm.clear();
  for (int i = 1; i <= FPartIndex; ++i) FParts[static_cast<size_t>(i)].clear();
  FPartIndex = 0;
  const int tokenCount = FTokenIndex < MaxTokens ? FTokenIndex + 1 : MaxTokens;
  for (int i = 0; i < tokenCount && !FRejected; ++i) {
    const AnsiString& token = FTokens[static_cast<size_t>(i)];
    if (token.empty()) continue;
    if (IsReserved(token)) {
      FForm += ' ';
      FForm += token;
      BeginPart();
    } else if (token == ":=" && i + 1 < tokenCount) {
      ReduceAssignment(i, tokenCount);
    } else if (token == ":=") {
      ReportProgramError(FParts[static_cast<size_t>(FPartIndex)] + ":= ?");
    } else {
      AppendToPart(token);
      AppendY();
    }
  }
  FPartCount = FPartIndex;
  if (FPartCount > 0 && FParts[static_cast<size_t>(FPartCount)].empty()) --FPartCount;
  if (FRejected) {
    FForm.clear();
    FPartCount = 0;
  }
  if (!FForm.empty() && FForm.front() == ' ') FForm.erase(0, 1);
  if (FForm == "y") ResolveCall();
  FFormNumber = FormNumberOf(FForm);
}

// ---------------------------------------------------------------------------
// Syntax check of one statement and of the end of the text

void TProg::CheckStatement() {
  if (FFormNumber == skEmpty) return;
  if (FAfterHeader && FForm.compare(0, 5, "BEGIN") != 0) ReportProgramError("BEGIN not found - PROCEDURE BEGIN");
  FAfterHeader = false;
  if (FFormNumber == skUnknown) ReportProgramError("Expression expected");
  for (int p = 1; p <= FPartCount; ++p) {
    int open = 0;
    bool inString = false;
    for (char c : FParts[static_cast<size_t>(p)]) {
      if (c == '\'') inString = !inString;
      if (inString) continue;
      if (c == '(') ++open;
      if (c == ')') --open;
    }
    if (open > 0) ReportProgramError("\")\" expected but \";\" found");
    if (open < 0) ReportProgramError("\"(\" expected but \";\" found");
  }
  std::string_view words(FForm);
  while (!words.empty()) {
    const size_t blank = words.find(' ');
    const std::string_view word = words.substr(0, blank);
    if (word == "BEGIN") ++FBlockDepth;
    if (word == "END" && --FBlockDepth < 0) ReportProgramError("BEGIN not found");
    words = blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
  }
  if (FForm.find("PROCEDURE") != AnsiString::npos) {
    if (FForm.find("BEGIN") != AnsiString::npos)
      ReportProgramError("Structure error:+\r  Procedure NAME;\r  Begin ...End;");
    if (FBlockDepth != 0) ReportProgramError("Statement expected (BEGIN END) but \"PROCEDURE\" found");
    FAfterHeader = true;
  }
}

void TProg::CheckEnd() {
  if (FBlockDepth != 0) ReportProgramError("Statement expected (BEGIN END) error");
  if (FAfterHeader) ReportProgramError("Procedure body ? ");
}
