#include "FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void RaiseOsError(const AnsiString& what, int err) {
  throw EInOutError(what + ": " + std::strerror(err), err);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool MatchFrom(const char* n, const char* p) {
  // Iterative glob with one backtracking point: linear enough for file names.
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (*n) {
    if (*p == '*') {
      starP = ++p;
      starN = n;
    } else if (*p == '?' || (*p && LowerAscii(*p) == LowerAscii(*n))) {
      ++p;
      ++n;
    } else if (starP) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

int AttributesOf(const AnsiString& name, const struct stat& st, bool isLink) {
  int attr = 0;
  if (S_ISDIR(st.st_mode))
    attr |= faDirectory;
  else if (S_ISREG(st.st_mode))
    attr |= faArchive;
  else
    attr |= faSysFile;
  if ((st.st_mode & S_IWUSR) == 0) attr |= faReadOnly;
  if (!name.empty() && name[0] == '.') attr |= faHidden;
  if (isLink) attr |= faSymLink;
  return attr;
}

bool InfoAt(int dirFd, const AnsiString& path, const AnsiString& name, TSearchRec& info) {
  struct stat lst {};
  if (fstatat(dirFd, path.c_str(), &lst, AT_SYMLINK_NOFOLLOW) != 0) return false;
  struct stat st = lst;
  bool isLink = S_ISLNK(lst.st_mode);
  // A dangling link is reported as the special entry it is.
  if (isLink && fstatat(dirFd, path.c_str(), &st, 0) != 0) st = lst;
  info.Name = name;
  info.Attr = AttributesOf(name, st, isLink);
  info.Size = S_ISREG(st.st_mode) ? int64_t(st.st_size) : 0;
  info.ModTime = int64_t(st.st_mtim.tv_sec);
  info.Time = FileTimeToDateTime(info.ModTime);
  return true;
}

}  // namespace

bool MatchesFilePattern(const AnsiString& name, const AnsiString& pattern) {
  if (pattern == "*.*") return true;
  return MatchFrom(name.c_str(), pattern.c_str());
}

std::vector<TSearchRec> FindEntries(const AnsiString& dir, const AnsiString& pattern) {
  std::vector<TSearchRec> result;
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return result;
  while (dirent* e = readdir(d)) {
    AnsiString name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!MatchesFilePattern(name, pattern)) continue;
    TSearchRec rec;
    if (InfoAt(dirfd(d), name, name, rec)) result.push_back(std::move(rec));
  }
  closedir(d);
  std::sort(result.begin(), result.end(),
            [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
  return result;
}

bool GetFileInfo(const AnsiString& path, TSearchRec& info) {
  AnsiString name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  auto slash = name.rfind('/');
  return InfoAt(AT_FDCWD, path, slash == AnsiString::npos ? name : name.substr(slash + 1), info);
}

TDateTime FileTimeToDateTime(int64_t unixSeconds) {
  time_t t = time_t(unixSeconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return 0;
  int64_t localSeconds = unixSeconds + local.tm_gmtoff;
  // 25569 = days from 30 December 1899 to 1 January 1970.
  return 25569.0 + double(localSeconds) / 86400.0;
}

int64_t DateTimeToFileTime(TDateTime value) {
  double seconds = (value - 25569.0) * 86400.0;
  int64_t localSeconds = int64_t(seconds < 0 ? seconds - 0.5 : seconds + 0.5);
  time_t lt = time_t(localSeconds);
  struct tm fields {};
  gmtime_r(&lt, &fields);
  fields.tm_isdst = -1;
  return int64_t(mktime(&fields));
}

bool SetFileModificationTime(const AnsiString& path, TDateTime value) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(DateTimeToFileTime(value));
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

AnsiString AbsolutePath(const AnsiString& path) {
  AnsiString full = path;
  if (full.empty() || full[0] != '/') {
    char buf[4096];
    AnsiString cwd = getcwd(buf, sizeof buf) ? buf : "/";
    full = cwd + "/" + full;
  }
  std::vector<AnsiString> parts;
  size_t i = 0;
  while (i <= full.size()) {
    size_t j = full.find('/', i);
    if (j == AnsiString::npos) j = full.size();
    AnsiString seg = full.substr(i, j - i);
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.push_back(seg);
    }
    i = j + 1;
  }
  AnsiString result;
  for (const auto& p : parts) result += "/" + p;
  return result.empty() ? "/" : result;
}

bool CreateDirectoryChain(const AnsiString& dir) {
  if (dir.empty()) return false;
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  AnsiString parent = dir;
  while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
  auto slash = parent.rfind('/');
  if (slash != AnsiString::npos && slash > 0) CreateDirectoryChain(parent.substr(0, slash));
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return false;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

AnsiString TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  AnsiString dir = (env && *env) ? env : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
  if (this != &other) {
    if (FFd >= 0) ::close(FFd);
    FFd = other.Release();
  }
  return *this;
}

TFileHandle::~TFileHandle() {
  if (FFd >= 0) ::close(FFd);
}

TFileHandle TFileHandle::OpenRead(const AnsiString& path) {
  // O_NONBLOCK keeps a FIFO from stalling the open; the type check then refuses it.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) RaiseOsError("Cannot open " + path, errno);
  TFileHandle file(fd);
  struct stat st {};
  if (fstat(fd, &st) != 0) RaiseOsError("Cannot open " + path, errno);
  if (!S_ISREG(st.st_mode)) RaiseOsError("Not a regular file " + path, EINVAL);
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return file;
}

TFileHandle TFileHandle::Create(const AnsiString& path, int mode) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) RaiseOsError("Cannot create " + path, errno);
  return TFileHandle(fd);
}

void TFileHandle::Close() {
  if (FFd >= 0) {
    int fd = Release();
    if (::close(fd) != 0) RaiseOsError("Cannot close file", errno);
  }
}

size_t TFileHandle::Read(void* buffer, size_t count) {
  size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::read(FFd, out + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOsError("Read error", errno);
    }
    if (n == 0) break;
    done += size_t(n);
  }
  return done;
}

void TFileHandle::ReadExact(void* buffer, size_t count) {
  if (Read(buffer, count) != count) throw EInOutError("Read beyond end of file", 38);
}

void TFileHandle::Write(const void* buffer, size_t count) {
  size_t done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::write(FFd, in + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOsError("Write error", errno);
    }
    if (n == 0) RaiseOsError("Write error", ENOSPC);
    done += size_t(n);
  }
}

int64_t TFileHandle::Seek(int64_t offset) {
  off_t r = ::lseek(FFd, off_t(offset), SEEK_SET);
  if (r < 0) RaiseOsError("Seek error", errno);
  return int64_t(r);
}

int64_t TFileHandle::Position() const {
  off_t r = ::lseek(FFd, 0, SEEK_CUR);
  if (r < 0) RaiseOsError("Seek error", errno);
  return int64_t(r);
}

int64_t TFileHandle::Size() const {
  struct stat st {};
  if (fstat(FFd, &st) != 0) RaiseOsError("Stat error", errno);
  return int64_t(st.st_size);
}

void TFileHandle::Truncate(int64_t length) {
  if (ftruncate(FFd, off_t(length)) != 0) RaiseOsError("Truncate error", errno);
}

void TFileHandle::Sync() {
  if (fsync(FFd) != 0) RaiseOsError("Sync error", errno);
}

AnsiString CreateTempFile(const AnsiString& dir, const AnsiString& prefix, TFileHandle& file) {
  AnsiString pattern = (dir.empty() ? AnsiString(".") : dir) + "/" + prefix + "XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  int fd = mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) RaiseOsError("Cannot create a temporary file in " + dir, errno);
  file = TFileHandle(fd);
  return AnsiString(buf.data());
}

void ReplaceFile(const AnsiString& source, const AnsiString& target) {
  {
    int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseOsError("Cannot open " + source, errno);
    TFileHandle f(fd);
    f.Sync();
  }
  if (::rename(source.c_str(), target.c_str()) != 0) RaiseOsError("Cannot rename " + source, errno);
  AnsiString dir = target;
  auto slash = dir.rfind('/');
  dir = slash == AnsiString::npos ? AnsiString(".") : (slash == 0 ? AnsiString("/") : dir.substr(0, slash));
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    ::close(dfd);
  }
}

int FilePermissions(const AnsiString& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return -1;
  return int(st.st_mode & 07777);
}

int DefaultFilePermissions() {
  mode_t mask = umask(0);
  umask(mask);
  return int(0666 & ~mask);
}

bool SameFile(const AnsiString& a, const AnsiString& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
