// The console archiver.
#include "MoxarCommandLine.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  LoadFormatSettingsFromLocale();
  std::vector<AnsiString> args(argv + 1, argv + argc);
  int status = RunMoxar(args, std::cout);
  std::cout.flush();
  return status;
}
