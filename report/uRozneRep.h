// System utilities of the report program: starting another program, the
// desktop opener, emptying a directory tree, one string value of the per-user
// settings store, and two text helpers. Each is a free function without state.
#pragma once

#include "Settings.h"
#include "SysUtils.h"

// Starts the command line as a new process, waiting for its end when wait is
// set and hiding its console when show is not. A start that fails shows
// "Error, create process:\r" with the command line and the system's error number.
bool RunProcess(const AnsiString& commandLine, bool wait, bool show);
// Opens a link, document or mail address with the desktop's registered program.
// Errors are not reported.
void ShellOpen(const AnsiString& text);
// Deletes everything inside directory, read-only entries included, and keeps it.
bool ClearDirectory(const AnsiString& directory);
// Reads a value stored as a string; false (text unchanged) when the key or
// value is missing, the value has another type, or on any error.
bool ReadRegistryString(THKey root, const AnsiString& keyPath, const AnsiString& name, AnsiString& text);
// Creates the key when needed and stores text as a string value; false when the
// value exists with another type, or on any error.
bool WriteRegistryString(THKey root, const AnsiString& keyPath, const AnsiString& name, const AnsiString& text);
// text cut to width characters, or filled up to width with fill.
AnsiString FitText(const AnsiString& text, char fill, int width);
// The characters first..last (1-based, inclusive); empty when last is before
// first or first lies past the end.
AnsiString CopyRange(const AnsiString& text, int first, int last);
