#include "MoxarCommandLine.h"

#include "ArchiveText.h"
#include "SplitMerge.h"
#include "ZLIBArchive.h"

#include <ostream>

#include <unistd.h>

namespace {

const AnsiString MsgInvalidCommand = "Invalid command. Regular commands: a,b,e,x,u,d,l,r,s,m";
const AnsiString MsgArchiveIsSplit = "Archive is split";
const AnsiString MsgInvalidArchiveName = "Invalid archive name";
const AnsiString MsgArchiveMissing = "Archive not found ";

struct TSwitches {
  TFileCompressionLevel Level = fcDefault;
  bool WithoutHidden = false, WithoutSystem = false, WithoutReadOnly = false;
  bool ListWithSizes = true;
  bool Refresh = false;
  bool ContinueAfterWrongPassword = false;
  AnsiString Without, BehindFolder, Password, LowLevel;
};

struct TRun {
  char Command = 0;
  AnsiString Switches;  // each switch without "-", followed by ";"
  AnsiString Archive;   // native
  AnsiString Destination;
  AnsiString File1, File2;
};

AnsiString CurrentDir() {
  char buf[4096];
  return getcwd(buf, sizeof buf) ? AnsiString(buf) : AnsiString(".");
}

// Masks and keys may be typed with either separator.
AnsiString ToNative(AnsiString s) {
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

AnsiString ToKey(const AnsiString& s) {
  AnsiString k = NativeToAnsi(s);
  for (char& c : k)
    if (c == '/') c = '\\';
  return k;
}

bool IsCommand(char c) { return AnsiString("abdelmrsux").find(c) != AnsiString::npos && c != 0; }

void WriteLine(std::ostream& out, const AnsiString& line) { out << line << '\n'; }

std::vector<AnsiString> SwitchList(const AnsiString& switches) {
  std::vector<AnsiString> result;
  size_t i = 0;
  while (i < switches.size()) {
    size_t j = switches.find(';', i);
    if (j == AnsiString::npos) j = switches.size();
    result.push_back(switches.substr(i, j - i));
    i = j + 1;
  }
  return result;
}

TSwitches ParseSwitches(const AnsiString& switches) {
  TSwitches s;
  for (const auto& sw : SwitchList(switches)) {
    if (sw.empty()) continue;
    AnsiString value = sw.substr(1);
    switch (sw[0]) {
      case 'm': s.Level = fcMaximum; break;
      case 'd': s.Level = fcDefault; break;
      case 'f': s.Level = fcFastest; break;
      case 'h': s.WithoutHidden = true; break;
      case 's': s.WithoutSystem = true; break;
      case 'r': s.WithoutReadOnly = true; break;
      case 'i': s.ListWithSizes = false; break;
      case 'o': s.Refresh = true; break;
      case 'w': s.Without = ToKey(Trim(value)); break;
      case '$': s.BehindFolder = ToKey(value); break;
      case '#': s.LowLevel = value.substr(0, 100); break;
      case 'p': s.Password = NativeToAnsi(Trim(value)); break;
      case '+': s.ContinueAfterWrongPassword = true; break;
      default: break;
    }
  }
  return s;
}

void ApplySettings(TZLBArchive& archive, const TSwitches& s) {
  archive.SavePaths = true;
  archive.ExtractWithPath = true;
  archive.SubDirLowLevel = s.LowLevel.empty() ? -1 : StrToInt(s.LowLevel);
  archive.CompressionLevel = s.Level;
  archive.AddWithoutHiddenFiles = s.WithoutHidden;
  archive.AddWithoutReadOnlyFiles = s.WithoutReadOnly;
  archive.AddWithoutSysFiles = s.WithoutSystem;
  archive.ExtractBehindFoolder = s.BehindFolder;
  archive.Password = s.Password;
  archive.WithoutFiles = s.Without;
  archive.RefreshSameOrOlder = s.Refresh;
}

AnsiString WithMoxExtension(const AnsiString& name) {
  auto slash = name.rfind('/');
  AnsiString base = slash == AnsiString::npos ? name : name.substr(slash + 1);
  return base.find('.') == AnsiString::npos ? name + ".mox" : name;
}

// Answers false when the run has to end (a missing directory of a file argument).
bool ReadParameters(const std::vector<AnsiString>& args, TRun& run, std::ostream& out) {
  for (size_t i = 1; i < args.size(); ++i) {
    const AnsiString& param = args[i];
    AnsiString lower = LowerCase(param);
    bool extract = run.Command == 'e' || run.Command == 'x';
    if (!lower.empty() && lower[0] == '-') {
      run.Switches += lower.substr(1, 200) + ";";
    } else if (run.Archive.empty()) {
      // File system names keep their case here: this file system tells them apart.
      run.Archive = WithMoxExtension(ToNative(param).substr(0, 255));
    } else if (extract && run.Destination.empty()) {
      run.Destination = ToNative(param).substr(0, 255);
    } else if (run.File1.empty()) {
      run.File1 = param.substr(0, 255);
      if (AnsiString("abu").find(run.Command) != AnsiString::npos && run.Command != 0) {
        AnsiString native = ToNative(run.File1);
        auto slash = native.rfind('/');
        if (slash != AnsiString::npos) {
          AnsiString dir = native.substr(0, slash);
          if (!DirectoryExists(dir)) {
            WriteLine(out, "Directory " + dir + " not exists");
            return false;
          }
        }
      }
    } else if (run.File2.empty()) {
      run.File2 = param.substr(0, 255);
    }
  }
  return true;
}

int RunSplitOrMerge(const TRun& run, std::ostream& out) {
  if (run.Command == 'm') return MergeFile(run.Archive, out) ? MoxarExitSuccess : MoxarExitFailure;
  int64_t size = DefaultSplitSize;
  if (!run.Switches.empty() && run.Switches[0] == '@') {
    AnsiString value = run.Switches.substr(1, run.Switches.find(';') - 1);
    size = StrToInt64(value.substr(0, 100));
  }
  return SplitFile(run.Archive, size, out) ? MoxarExitSuccess : MoxarExitFailure;
}

bool HasWildcard(const AnsiString& s) { return s.find_first_of("*?") != AnsiString::npos; }

void RunCommand(TZLBArchive& archive, const TRun& run) {
  AnsiString defaultMask = CurrentDir() + "/*.*";
  AnsiString dest = run.Destination;
  if (!dest.empty() && dest.back() != '/') dest += '/';
  switch (run.Command) {
    case 'a':
      archive.AddMask(Trim(run.File1).empty() ? defaultMask : ToNative(run.File1));
      break;
    case 'b':
      archive.SavePaths = false;
      archive.ExtractWithPath = false;
      archive.AddMask(Trim(run.File1).empty() ? defaultMask : ToNative(run.File1));
      break;
    case 'd': archive.DeleteMask(ToKey(LowerCase(run.File1))); break;
    case 'e':
    case 'x':
      archive.ExtractWithPath = run.Command == 'x';
      archive.ExtractMask(run.Archive, dest, ToKey(LowerCase(run.File1)));
      break;
    case 'l': break;
    case 'r': archive.RenameEntry(ToKey(LowerCase(run.File1)), ToKey(LowerCase(run.File2))); break;
    case 'u': archive.UpdateMask(ToKey(LowerCase(run.File1))); break;
    default: break;
  }
}

int RunArchiveCommand(const TRun& run, std::ostream& out, bool failed) {
  char cmd = run.Command;
  bool extract = cmd == 'e' || cmd == 'x';
  if (ReadSplitCount(run.Archive) > 0) {
    WriteLine(out, MsgArchiveIsSplit);
    if (!MergeFile(run.Archive, out)) failed = true;
  }
  TZLBArchive archive;
  archive.Console = &out;
  if (run.Archive.empty()) {
    WriteLine(out, MsgInvalidArchiveName);
    return MoxarExitFailure;
  }
  if (!extract) {
    TSearchRec info;
    if (GetFileInfo(run.Archive, info))
      archive.OpenArchive(run.Archive);
    else if (cmd == 'a' || cmd == 'b')
      archive.CreateArchive(run.Archive);
    else if (!HasWildcard(run.Archive)) {
      WriteLine(out, MsgArchiveMissing + run.Archive);
      failed = true;
    }
  }
  TSwitches switches = ParseSwitches(run.Switches);
  ApplySettings(archive, switches);
  if (!archive.IsNew() && !extract && !archive.CheckPassword()) {
    WriteLine(out, MsgInvalidPassword + run.Archive);
    failed = true;
    if (!switches.ContinueAfterWrongPassword) return MoxarExitFailure;
  }
  if (IsCommand(cmd)) {
    if (cmd == 'l')
      archive.ListFiles(ToKey(LowerCase(run.File1)), switches.ListWithSizes);
    else
      RunCommand(archive, run);
  }
  archive.CloseArchive();
  return (failed || archive.Failures() > 0) ? MoxarExitFailure : MoxarExitSuccess;
}

}  // namespace

const std::vector<AnsiString>& MoxarUsage() {
  static const std::vector<AnsiString> lines = {
      "MOXAR.exe, ver 1.2.1  archiver of the vorda report builder",
      R"(Syntax:)",
      R"(  MOXAR <Command> <Switchers> <Archive> [<Destianation>] [<FileName>])",
      R"(Commands:)",
      R"(  a : add (or update) files from directory (and subdir) to archive with paths)",
      R"(      MOXAR a <Switches> <ArchiveName> <WildcardFileName>)",
      R"(  b : add (or update) files from directory (and subdir), without paths)",
      R"(  e : extract files from archive without paths)",
      R"(      MOXAR e <Switches> <ArchiveName> <DestianationPath> [<WildcardFileName>])",
      R"(  x : extract files with paths)",
      R"(  d : delete files from archive)",
      R"(  u : update files: MOXAR u <Switches> <ArchiveName> <WildcardFileName>)",
      R"(  r : rename file from archive to NewFileName)",
      R"(  l : list archive files: MOXAR l [-i] <ArchiveName> <WindlcardFileName>)",
      R"(  m : merge split archive (files): MOXAR m <ArchiveName>)",
      R"(  s [-@<SizeInByte>]: split file (default size 1456000 bytes))",
      R"(Destination path:)",
      R"(  destination path must specified for extract command (<e>,<x>),)",
      R"(  for current directory use "." character)",
      R"(Switchers:)",
      R"(  -m : add files <a>,<b>, use maximum compression level)",
      R"(  -d : add files <a>,<b>, use default compression level)",
      R"(  -f : add files <a>,<b>, use fastest compression level)",
      R"(  -h : add files <a>,<b>, without hidden files)",
      R"(  -s : add files <a>,<b>, without system files)",
      R"(  -r : add files <a>,<b>, without read only files)",
      R"(  -i : list archive file <l>, without information of file sizes)",
      R"(  -o : refresh only same or older files, for add, update, extract commands)",
      R"(  -w<FileName> :without files <FileName> (add,extract,list,delete,update))",
      R"(  -$<Folder> : extract <x><e>, files behind <Folder> directory and subpaths)",
      R"(  -#<LowLevelSubDirNumber> : add <a><b> or extract <x><e> files)",
      R"(                            from max.low level subdirectory)",
      R"(  -p<password> : password specification (password allowed chars: 0..9, A..z, _, -)",
      R"(Examples:)",
      R"( moxar a aaa \db\*.*  (add all files and subdir_files from "db" with paths))",
      R"( moxar a -s aaa "c:\program files\*.*" (add no system files))",
      R"( moxar a #0 aaa c:\db\*.dbf (add "dbf" files from "db" without subdir_files)",
      R"( moxar a -w*.hlp aaa *.*  (add all files without "*.hlp" files))",
      R"( moxar b aaa *.*  (add all files (and subdir_files) without paths))",
      R"( moxar e aaa backup\ (extract without paths))",
      R"( moxar e aaa backup\ *.dbf (extract "*.dbf" files to "backup" directory))",
      R"( moxar x aaa backup\ (extract with paths))",
      R"( moxar l aaa *.dbf (list archive files))",
      R"( moxar d aaa \db\*.dbf (delete "dbf" files from archive))",
      R"( moxar r aaa \path\OldFileName, \path\NewFileName (rename file))",
      R"( moxar s x.dat (split "x.dat" file to the files with default size 1456000 bytes)",
      R"( moxar m x.dat (merging split files "x.dat" (x.dat1,x.dat2...)))",
  };
  return lines;
}

int RunMoxar(const std::vector<AnsiString>& args, std::ostream& out) {
  if (args.size() < 2) {
    for (const auto& line : MoxarUsage()) WriteLine(out, line);
    return (args.size() == 1 && args[0] == "--help") ? MoxarExitSuccess : MoxarExitUsage;
  }
  TRun run;
  AnsiString command = LowerCase(Trim(args[0]));
  run.Command = command.empty() ? 0 : command[0];
  bool failed = false;
  if (!IsCommand(run.Command)) {
    WriteLine(out, MsgInvalidCommand);
    failed = true;
  }
  try {
    if (!ReadParameters(args, run, out)) return MoxarExitFailure;
    if (run.Destination == ".") run.Destination = CurrentDir();
    if (run.Command == 'm' || run.Command == 's') return RunSplitOrMerge(run, out);
    return RunArchiveCommand(run, out, failed);
  } catch (const EArchiveError&) {
    // Already reported through the component's error path.
    return MoxarExitFailure;
  } catch (const EConvertError& e) {
    WriteLine(out, e.Message);
    return MoxarExitUsage;
  } catch (const std::exception&) {
    return MoxarExitFailure;
  }
}
