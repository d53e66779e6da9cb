// Program texts run from the command line without windows: vorda --run and
// vorda --check.
#pragma once

#include "SysUtils.h"

// Runs procedure (MAIN when empty) of the program file. SHOWMESSAGE texts go to
// standard output, other messages and questions to standard error, the stop
// question is answered Yes. 0 when the run ended normally, 1 when it failed or
// was stopped, 2 when the file cannot be read.
int RunProgramFile(const AnsiString& fileName, const AnsiString& procedure);
// The syntax check of the program file: 0 when it passes; otherwise the error
// with its line on standard error and 1 (2 when the file cannot be read).
int CheckProgramFile(const AnsiString& fileName);
