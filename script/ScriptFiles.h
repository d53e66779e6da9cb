// The script file functions. Each gives its error value when an input/output
// error occurs, except CREATEFILE, READLN and READ, which raise EInOutError.
#pragma once

#include <cstdint>

#include "SysUtils.h"

bool ScriptCreateFile(const AnsiString& name);  // FALSE
bool ScriptOpenFile(const AnsiString& name);
bool ScriptCloseFile();
int32_t ScriptFileSize();
int32_t ScriptFilePos();
bool ScriptEof();
bool ScriptSeek(int64_t position);
bool ScriptWrite(const AnsiString& text);
// One line ending in CR LF, CR or a byte 0; a longer run without any of them
// is given as it was read, so that reading to the end always progresses.
AnsiString ScriptReadLn();
AnsiString ScriptRead(int64_t count);
