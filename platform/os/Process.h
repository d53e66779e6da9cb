// Starting other programs, the desktop opener and emptying a directory tree.
//
// Command lines follow the rules of the desktop platform the programs were
// designed for: double quotes group, backslashes before a quote escape it, and
// a program named "NAME.exe" is the executable "name" in the named directory.
#pragma once

#include <vector>

#include "SysUtils.h"

// The arguments of a command line. The first (the program) ends at a blank
// outside quotes and keeps its backslashes; the others follow the C runtime
// rules: 2n backslashes before a quote give n and the quote groups, 2n+1 give n
// and a literal quote, "" inside quotes is a literal quote.
std::vector<AnsiString> SplitCommandLine(const AnsiString& commandLine);

// The executable a program name stands for: for "NAME.exe" first the
// lower-cased "name" beside it, then "NAME", then the name as written. A name
// with a '/' is taken as a path; a bare name is looked for in the running
// program's directory and then along PATH. Empty when nothing is there.
AnsiString FindProgramFile(const AnsiString& program);

struct TProcessStart {
  int Error = 0;      // the system's error number when the program could not start
  int Pid = 0;
  int ExitCode = -1;  // after a wait: the exit status, 128 + signal when killed
  bool Started() const { return Error == 0; }
};

// Starts args[0] with the further arguments, the caller's environment and
// current directory and no descriptors beyond the standard three. A hidden
// process (show false) gets /dev/null as input and output. With wait the call
// returns when the process has ended; otherwise it is reaped later.
TProcessStart StartProgram(const std::vector<AnsiString>& args, bool wait, bool show);
TProcessStart StartProcess(const AnsiString& commandLine, bool wait, bool show);
// Waits for a process started without wait; answers its exit code, -1 when it
// is not a child of this process.
int WaitForProcess(int pid);

// What the desktop opener receives for a link text: a mail address (a text with
// '@' and no scheme of its own) becomes a mailto: link.
AnsiString ShellOpenTarget(const AnsiString& text);
// Hands the link to opener (normally "xdg-open") as one argument, hidden.
TProcessStart ShellOpenWith(const AnsiString& opener, const AnsiString& text, bool wait);

// Deletes everything inside dir and keeps dir. Entries are made writable
// first; symbolic links are removed, never followed. Stops at the first entry
// that cannot be removed and answers false.
bool ClearDirectoryTree(const AnsiString& dir);
