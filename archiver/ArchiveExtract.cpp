// Extraction of members to files: the target below the destination is built
// segment by segment without following symbolic links, so that no member can be
// written outside the destination folder.
#include "ZLIBArchive.h"

#include "ArchiveText.h"
#include "CodePage.h"

#include <cerrno>
#include <random>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AnsiString LowerKey(const AnsiString& s) { return AnsiLowerCase(s); }

std::vector<AnsiString> Segments(const AnsiString& path) {
  std::vector<AnsiString> result;
  AnsiString seg;
  for (char c : path + "\\") {
    if (c == '\\' || c == '/') {
      if (!seg.empty() && seg != ".") result.push_back(seg);
      seg.clear();
    } else {
      seg += c;
    }
  }
  return result;
}

bool HasParentSegment(const AnsiString& text) {
  for (const auto& s : Segments(text))
    if (s == "..") return true;
  return false;
}

bool IsSafeName(const AnsiString& name) {
  if (Trim(name).empty() || name == "." || name == "..") return false;
  return name.find_first_of(AnsiString("/\\\0", 3)) == AnsiString::npos;
}

// Writes into a file that no one else sees until it is complete.
class TMemberFileSink : public TByteSink {
public:
  explicit TMemberFileSink(int fd) : FFd(fd) {}
  // A failing write is no fault of the archive: it must not pass for a corrupt member.
  void Write(const void* data, size_t length) override {
    try {
      FFd.Write(data, length);
    } catch (const EInOutError& e) {
      throw std::runtime_error(e.Message);
    }
  }
  TFileHandle& File() { return FFd; }

private:
  TFileHandle FFd;
};

}  // namespace

AnsiString NativeToAnsi(const AnsiString& native) { return Utf8ToAnsi(native); }
AnsiString AnsiToNative(const AnsiString& ansi) { return AnsiToUtf8(ansi); }

void TZLBArchive::SkipUnsafe(const AnsiString& key) {
  ++FFailures;
  ConsoleLine(MsgUnsafePath + key);
}

void TZLBArchive::ExtractFile(const AnsiString& DestDir, const AnsiString& Key) {
  int count = FileCount();
  AnsiString wanted = LowerKey(Key);
  int index = -1;
  for (int i = 0; i < count && index < 0; ++i)
    if (LowerKey(FEntries[size_t(i)].Key()) == wanted) index = i;
  if (index < 0) Fail(MsgNotInArchive);
  const TArchiveEntry entry = FEntries[size_t(index)];

  AnsiString relative;
  if (ExtractWithPath) {
    AnsiString p = LowerKey(entry.Path);
    if (!p.empty() && p.back() != '\\') p += '\\';
    AnsiString folder = LowerKey(Trim(ExtractBehindFoolder));
    if (!folder.empty()) {
      if (folder.back() != '\\') folder += '\\';
      if (folder.front() != '\\') folder.insert(folder.begin(), '\\');
      auto pos = p.find(folder);
      if (pos == AnsiString::npos) return;
      relative = p.substr(pos + folder.size() - 1);
    } else {
      relative = p;
    }
  }
  if (HasParentSegment(entry.Path) || HasParentSegment(relative) || !IsSafeName(entry.Name)) {
    SkipUnsafe(entry.Key());
    return;
  }
  std::vector<AnsiString> segments = Segments(relative);
  if (SubDirLowLevel >= 0 && int(segments.size()) > SubDirLowLevel) return;

  AnsiString base = Trim(DestDir);
  base = AbsolutePath(base.empty() ? AnsiString(".") : base);
  if (!CreateDirectoryChain(base)) Fail(MsgNoDestination);
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) Fail(MsgNoDestination);
  TFileHandle dir(fd);
  AnsiString target = base == "/" ? AnsiString() : base;
  for (const auto& seg : segments) {
    AnsiString native = AnsiToNative(seg);
    if (::mkdirat(dir.Fd(), native.c_str(), 0777) != 0 && errno != EEXIST) Fail(MsgNoDestination);
    int sub = ::openat(dir.Fd(), native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) {
      struct stat st {};
      if (::fstatat(dir.Fd(), native.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        SkipUnsafe(entry.Key());
        return;
      }
      Fail(MsgNoDestination);
    }
    dir = TFileHandle(sub);
    target += "/" + native;
  }
  AnsiString nativeName = AnsiToNative(entry.Name);
  AnsiString fullName = target + "/" + nativeName;

  struct stat st {};
  bool exists = ::fstatat(dir.Fd(), nativeName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    SkipUnsafe(entry.Key());
    return;
  }
  if (exists && RefreshSameOrOlder) {
    TSearchRec info;
    info.ModTime = int64_t(st.st_mtim.tv_sec);
    if (FileDate(info) > entry.Date) return;
  }
  bool write = true;
  if (exists && OnReplaceFile) {
    write = false;
    OnReplaceFile(NativeToAnsi(fullName), write);
  }
  if (write) {
    WriteMemberFile(index, dir.Fd(), nativeName, fullName);
    if (OnFileExtracted) OnFileExtracted(NativeToAnsi(fullName));
  }
  ShowProgress("Extracting " + NativeToAnsi(fullName), 0);
}

void TZLBArchive::WriteMemberFile(int index, int dirFd, const AnsiString& nativeName, const AnsiString& fullName) {
  // The member goes to a hidden temporary name first; the existing file is replaced
  // only when the member has been read completely and correctly.
  std::random_device rd;
  AnsiString tempName;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempName = ".MOX" + IntToHex(int64_t(rd()) & 0xFFFFFF, 6);
    fd = ::openat(dirFd, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    Note(MsgUnableToOpen(NativeToAnsi(fullName)));
    return;
  }
  TMemberFileSink sink(fd);
  try {
    ExtractToStream(index, sink);
    sink.File().Close();
  } catch (...) {
    ::unlinkat(dirFd, tempName.c_str(), 0);
    throw;
  }
  if (::renameat(dirFd, tempName.c_str(), dirFd, nativeName.c_str()) != 0) {
    ::unlinkat(dirFd, tempName.c_str(), 0);
    Note(MsgUnableToOpen(NativeToAnsi(fullName)));
  }
}
