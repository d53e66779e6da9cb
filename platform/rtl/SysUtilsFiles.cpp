// File names and simple file operations. Names are AnsiString in the code
// page; the operating system sees them as UTF-8.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "CodePage.h"
#include "SysUtils.h"

namespace {

std::string OsName(const AnsiString& path) { return AnsiToUtf8(path); }

bool Stat(const AnsiString& path, struct stat& st) { return ::stat(OsName(path).c_str(), &st) == 0; }

size_t LastDelimiter(const AnsiString& path) { return path.rfind(PathDelim); }

}  // namespace

AnsiString ExtractFileName(const AnsiString& path) {
  const size_t at = LastDelimiter(path);
  return at == AnsiString::npos ? path : path.substr(at + 1);
}

AnsiString ExtractFilePath(const AnsiString& path) {
  const size_t at = LastDelimiter(path);
  return at == AnsiString::npos ? AnsiString() : path.substr(0, at + 1);
}

// The root keeps its delimiter: the directory of "/a" is "/".
AnsiString ExtractFileDir(const AnsiString& path) {
  const size_t at = LastDelimiter(path);
  if (at == AnsiString::npos) return AnsiString();
  return path.substr(0, at == 0 ? 1 : at);
}

AnsiString ExtractFileExt(const AnsiString& path) {
  const size_t dot = path.rfind('.');
  const size_t delim = LastDelimiter(path);
  if (dot == AnsiString::npos || (delim != AnsiString::npos && dot < delim)) return AnsiString();
  return path.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
  return path.substr(0, path.size() - ExtractFileExt(path).size()) + ext;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path) {
  return !path.empty() && path.back() == PathDelim ? path : path + PathDelim;
}

// The root "/" stays as it is.
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path) {
  return path.size() > 1 && path.back() == PathDelim ? path.substr(0, path.size() - 1) : path;
}

bool FileExists(const AnsiString& path) {
  struct stat st{};
  return Stat(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const AnsiString& path) {
  struct stat st{};
  return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const AnsiString& path) { return FileExists(path) && ::unlink(OsName(path).c_str()) == 0; }

// Like the platform the system comes from, renaming never replaces an existing file.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName) {
  struct stat st{};
  if (::lstat(OsName(newName).c_str(), &st) == 0) return false;
  return std::rename(OsName(oldName).c_str(), OsName(newName).c_str()) == 0;
}

AnsiString GetCurrentDir() {
  std::vector<char> buf(4096);
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return AnsiString();
    buf.resize(buf.size() * 2);
  }
  return Utf8ToAnsi(buf.data());
}

bool SetCurrentDir(const AnsiString& dir) { return ::chdir(OsName(dir).c_str()) == 0; }

bool ForceDirectories(const AnsiString& dir) {
  const AnsiString path = ExcludeTrailingPathDelimiter(dir);
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  const AnsiString parent = ExtractFileDir(path);
  if (!parent.empty() && parent != path && !ForceDirectories(parent)) return false;
  return ::mkdir(OsName(path).c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(path));
}

TDateTime FileAgeDateTime(const AnsiString& path) {
  struct stat st{};
  if (!Stat(path, st)) return -1;
  const TDateTime seconds = UnixTimeToDateTime(int64_t(st.st_mtim.tv_sec));
  const double msec = double(st.st_mtim.tv_nsec / 1000000) / 86400000.0;
  return seconds < 0 ? seconds - msec : seconds + msec;
}
