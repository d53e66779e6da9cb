// File search, attributes, file times, temporary files and safe replacement.
//
// Paths are native (UTF-8, '/' separated). This is the only place that knows the
// system is POSIX; callers see the attribute bits and local times of the desktop
// platform the programs were designed for.
#pragma once

#include "SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Attribute bits. On this system: read-only = the owner may not write the file,
// hidden = the name begins with ".", system = neither a regular file nor a directory.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
// Not a desktop bit: the entry itself is a symbolic link (attributes are its target's).
constexpr int faSymLink = 0x40;

struct TSearchRec {
  AnsiString Name;      // the entry's name, without directory
  int Attr = 0;         // fa* bits
  int64_t Size = 0;     // bytes; 0 for directories
  TDateTime Time = 0;   // last modification, local time
  int64_t ModTime = 0;  // the same, seconds since the epoch
  bool IsRegular() const { return (Attr & (faDirectory | faSysFile)) == 0; }
};

// Wildcard test of one file name as the directory search applies it: '*' and '?',
// ASCII case ignored, and "*.*" also takes names without a dot.
bool MatchesFilePattern(const AnsiString& name, const AnsiString& pattern);

// The entries of dir whose names match pattern, sorted by name. "." and ".." are
// not returned. An unreadable or missing directory gives an empty list.
std::vector<TSearchRec> FindEntries(const AnsiString& dir, const AnsiString& pattern);

// Attributes, size and time of one path (following a final symbolic link, which
// then also sets faSymLink). False when nothing is there.
bool GetFileInfo(const AnsiString& path, TSearchRec& info);

// Local file time: seconds since the epoch <-> TDateTime in the local time zone.
TDateTime FileTimeToDateTime(int64_t unixSeconds);
int64_t DateTimeToFileTime(TDateTime value);
bool SetFileModificationTime(const AnsiString& path, TDateTime value);

// Absolute form of a path (relative ones below the current directory), without
// resolving symbolic links; "." and ".." segments are folded, doubled '/' removed.
AnsiString AbsolutePath(const AnsiString& path);

// Creates dir and every missing parent. True when dir is a directory afterwards.
bool CreateDirectoryChain(const AnsiString& dir);

// The system's temporary folder ($TMPDIR or /tmp), without trailing '/'.
AnsiString TempDirectory();

// An open file descriptor that closes itself. Every failing call raises
// EInOutError with the system's error number.
class TFileHandle {
public:
  TFileHandle() = default;
  explicit TFileHandle(int fd) : FFd(fd) {}
  TFileHandle(TFileHandle&& other) noexcept : FFd(other.Release()) {}
  TFileHandle& operator=(TFileHandle&& other) noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle();

  // Opens an existing regular file for reading; never blocks on special files.
  static TFileHandle OpenRead(const AnsiString& path);
  // Creates or truncates a file for writing.
  static TFileHandle Create(const AnsiString& path, int mode = 0666);

  bool IsOpen() const { return FFd >= 0; }
  int Fd() const { return FFd; }
  int Release() noexcept { int fd = FFd; FFd = -1; return fd; }
  void Close();

  // Reads up to count bytes; fewer only at the end of the file.
  size_t Read(void* buffer, size_t count);
  void ReadExact(void* buffer, size_t count);
  void Write(const void* buffer, size_t count);
  int64_t Seek(int64_t offset);  // from the start
  int64_t Position() const;
  int64_t Size() const;
  void Truncate(int64_t length);
  void Sync();

private:
  int FFd = -1;
};

// Creates a new, uniquely named file "<dir>/<prefix>XXXXXX" opened for reading and
// writing by this process only; answers its name.
AnsiString CreateTempFile(const AnsiString& dir, const AnsiString& prefix, TFileHandle& file);

// Makes target the file that source was, in one atomic step: the data of source are
// flushed first and the directory entry afterwards, so a crash leaves either the old
// or the new target. Both must be in one folder (one file system). Raises EInOutError.
void ReplaceFile(const AnsiString& source, const AnsiString& target);

// The permission bits of a file, or -1 when it does not exist.
int FilePermissions(const AnsiString& path);
// The permission bits a newly created file gets (0666 without the process umask).
int DefaultFilePermissions();

// True when both paths name the same file (same device and inode).
bool SameFile(const AnsiString& a, const AnsiString& b);
