#include "Process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>

extern char** environ;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program name: quotes group, backslashes are plain characters.
size_t ReadProgramName(const AnsiString& s, size_t i, AnsiString& arg) {
  bool quoted = false;
  for (; i < s.size() && (quoted || !IsBlank(s[i])); ++i) {
    if (s[i] == '"') quoted = !quoted;
    else arg += s[i];
  }
  return i;
}

size_t ReadArgument(const AnsiString& s, size_t i, AnsiString& arg) {
  bool quoted = false;
  while (i < s.size() && (quoted || !IsBlank(s[i]))) {
    char c = s[i];
    if (c == '\\') {
      size_t n = 0;
      while (i < s.size() && s[i] == '\\') ++n, ++i;
      bool beforeQuote = i < s.size() && s[i] == '"';
      arg.append(beforeQuote ? n / 2 : n, '\\');
      if (beforeQuote && n % 2 == 1) {
        arg += '"';
        ++i;
      }
    } else if (c == '"') {
      if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
        arg += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      arg += c;
      ++i;
    }
  }
  return i;
}

bool IsRegularFile(const AnsiString& path, bool executable) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return !executable || ::access(path.c_str(), X_OK) == 0;
}

AnsiString RunningProgramDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? ExtractFilePath(AnsiString(buf, size_t(n))) : AnsiString();
}

// The names a program may have on disk, most specific first.
std::vector<AnsiString> CandidateNames(const AnsiString& program) {
  AnsiString dir = ExtractFilePath(program), name = ExtractFileName(program);
  if (!SameText(ExtractFileExt(name), ".exe")) return {program};
  AnsiString stem = name.substr(0, name.size() - 4);
  return {dir + LowerCase(stem), dir + stem, program};
}

std::vector<AnsiString> SearchDirs() {
  std::vector<AnsiString> dirs{RunningProgramDir()};
  const char* path = std::getenv("PATH");
  AnsiString rest = path ? path : "/usr/bin:/bin";
  for (size_t from = 0;;) {
    size_t colon = rest.find(':', from);
    AnsiString dir = rest.substr(from, colon == AnsiString::npos ? AnsiString::npos : colon - from);
    if (!dir.empty()) dirs.push_back(IncludeTrailingPathDelimiter(dir));
    if (colon == AnsiString::npos) break;
    from = colon + 1;
  }
  return dirs;
}

std::mutex& UnwaitedLock() {
  static std::mutex lock;
  return lock;
}
std::vector<pid_t>& Unwaited() {
  static std::vector<pid_t> pids;
  return pids;
}

void ReapFinished() {
  std::lock_guard<std::mutex> guard(UnwaitedLock());
  auto& pids = Unwaited();
  pids.erase(std::remove_if(pids.begin(), pids.end(), [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; }),
             pids.end());
}

int WaitExitCode(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

// Spawn attributes and file actions that free themselves.
struct TSpawnSetup {
  posix_spawn_file_actions_t Actions;
  posix_spawnattr_t Attr;
  explicit TSpawnSetup(bool show) {
    posix_spawn_file_actions_init(&Actions);
    posix_spawnattr_init(&Attr);
    if (!show) {
      posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addclosefrom_np(&Actions, 3);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&Attr, &none);
    posix_spawnattr_setsigdefault(&Attr, &defaults);
    posix_spawnattr_setflags(&Attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~TSpawnSetup() {
    posix_spawn_file_actions_destroy(&Actions);
    posix_spawnattr_destroy(&Attr);
  }
  TSpawnSetup(const TSpawnSetup&) = delete;
  TSpawnSetup& operator=(const TSpawnSetup&) = delete;
};

bool MakeWritable(int dirFd, const char* name, mode_t mode, mode_t bits) {
  return ::fchmodat(dirFd, name, (mode & 07777) | bits, 0) == 0;
}

std::vector<AnsiString> EntryNames(int dirFd) {
  std::vector<AnsiString> names;
  int fd = ::dup(dirFd);
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    if (fd >= 0) ::close(fd);
    return names;
  }
  while (dirent* e = ::readdir(dir)) {
    AnsiString name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

bool ClearAt(int dirFd);

bool RemoveEntry(int dirFd, const AnsiString& name) {
  struct stat st;
  if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    // A directory without write permission would keep its entries.
    MakeWritable(dirFd, name.c_str(), st.st_mode, S_IRWXU);
    int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) return false;
    bool cleared = ClearAt(sub);
    ::close(sub);
    return cleared && ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0;
  }
  if (S_ISREG(st.st_mode)) MakeWritable(dirFd, name.c_str(), st.st_mode, S_IWUSR);
  return ::unlinkat(dirFd, name.c_str(), 0) == 0;
}

bool ClearAt(int dirFd) {
  for (const AnsiString& name : EntryNames(dirFd))
    if (!RemoveEntry(dirFd, name)) return false;
  return true;
}

}  // namespace

std::vector<AnsiString> SplitCommandLine(const AnsiString& commandLine) {
  std::vector<AnsiString> args;
  size_t i = 0;
  for (;;) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    AnsiString arg;
    i = args.empty() ? ReadProgramName(commandLine, i, arg) : ReadArgument(commandLine, i, arg);
    args.push_back(arg);
  }
  return args;
}

AnsiString FindProgramFile(const AnsiString& program) {
  if (program.empty()) return "";
  std::vector<AnsiString> names = CandidateNames(program);
  std::vector<AnsiString> paths;
  if (program.find(PathDelim) != AnsiString::npos) paths = names;
  else
    for (const AnsiString& dir : SearchDirs())
      for (const AnsiString& name : names) paths.push_back(dir + name);
  // An executable wins; a plain file found otherwise lets the start report why it cannot run.
  for (bool executable : {true, false})
    for (const AnsiString& path : paths)
      if (IsRegularFile(path, executable)) return path;
  return "";
}

TProcessStart StartProgram(const std::vector<AnsiString>& args, bool wait, bool show) {
  ReapFinished();
  TProcessStart result;
  AnsiString path = args.empty() ? AnsiString() : FindProgramFile(args[0]);
  if (path.empty()) {
    result.Error = ENOENT;
    return result;
  }
  std::vector<char*> argv;
  argv.push_back(path.data());
  for (size_t i = 1; i < args.size(); ++i) argv.push_back(const_cast<char*>(args[i].c_str()));
  argv.push_back(nullptr);
  TSpawnSetup setup(show);
  pid_t pid = 0;
  result.Error = ::posix_spawn(&pid, path.c_str(), &setup.Actions, &setup.Attr, argv.data(), environ);
  if (result.Error != 0) return result;
  result.Pid = pid;
  if (wait) {
    result.ExitCode = WaitExitCode(pid);
  } else {
    std::lock_guard<std::mutex> guard(UnwaitedLock());
    Unwaited().push_back(pid);
  }
  return result;
}

TProcessStart StartProcess(const AnsiString& commandLine, bool wait, bool show) {
  return StartProgram(SplitCommandLine(commandLine), wait, show);
}

int WaitForProcess(int pid) {
  {
    std::lock_guard<std::mutex> guard(UnwaitedLock());
    auto& pids = Unwaited();
    pids.erase(std::remove(pids.begin(), pids.end(), pid_t(pid)), pids.end());
  }
  return WaitExitCode(pid);
}

AnsiString ShellOpenTarget(const AnsiString& text) {
  bool hasScheme = text.find("://") != AnsiString::npos || SameText(text.substr(0, 7), "mailto:");
  return text.find('@') != AnsiString::npos && !hasScheme ? "mailto:" + text : text;
}

TProcessStart ShellOpenWith(const AnsiString& opener, const AnsiString& text, bool wait) {
  return StartProgram({opener, ShellOpenTarget(text)}, wait, false);
}

bool ClearDirectoryTree(const AnsiString& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool cleared = ClearAt(fd);
  ::close(fd);
  return cleared;
}
