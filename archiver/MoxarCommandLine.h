// The moxar program: one command on one archive (or one file for split and merge)
// per run, parsed from the parameters.
#pragma once

#include "SysUtils.h"

#include <iosfwd>
#include <vector>

// Exit statuses of a run.
constexpr int MoxarExitSuccess = 0;
constexpr int MoxarExitFailure = 1;  // an error ended the run or was reported on the way
constexpr int MoxarExitUsage = 2;    // missing parameters or a switch value that is no number

// Runs moxar with the parameters after the program name, writing console lines to
// out; answers the exit status.
int RunMoxar(const std::vector<AnsiString>& args, std::ostream& out);

// The usage text, one line per element.
const std::vector<AnsiString>& MoxarUsage();
