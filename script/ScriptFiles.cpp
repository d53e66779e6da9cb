// The one file of the script language: bytes at a position, shared by the
// file functions; at most one file is open at a time.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "ExprSupport.h"
#include "ScriptFiles.h"

namespace {

constexpr int FileNotOpen = 103;
constexpr size_t LineBlock = 512;
constexpr size_t LineBlocks = 5;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

TFilePtr& ScriptFile() {
  static TFilePtr file;
  return file;
}

[[noreturn]] void RaiseIo(const AnsiString& what, int code) {
  throw EInOutError(what + ": " + std::strerror(code), code);
}

std::FILE& OpenFile() {
  if (!ScriptFile()) throw EInOutError("File not open", FileNotOpen);
  return *ScriptFile();
}

int64_t Position(std::FILE& file) {
  const long at = std::ftell(&file);
  if (at < 0) RaiseIo("File position", errno);
  return at;
}

int64_t Size(std::FILE& file) {
  const int64_t at = Position(file);
  if (std::fseek(&file, 0, SEEK_END) != 0) RaiseIo("File size", errno);
  const int64_t size = Position(file);
  if (std::fseek(&file, static_cast<long>(at), SEEK_SET) != 0) RaiseIo("File size", errno);
  return size;
}

void MoveTo(std::FILE& file, int64_t position) {
  if (std::fseek(&file, static_cast<long>(position), SEEK_SET) != 0) RaiseIo("Seek", errno);
}

// Reads up to count bytes at the position; the stream switches from writing
// to reading through the seek.
std::vector<char> ReadBytes(std::FILE& file, size_t count) {
  MoveTo(file, Position(file));
  std::vector<char> bytes(count);
  const size_t got = std::fread(bytes.data(), 1, count, &file);
  if (got < count && std::ferror(&file)) RaiseIo("Read", EIO);
  bytes.resize(got);
  return bytes;
}

bool HasCrLf(const std::vector<char>& buffer) {
  for (size_t i = 0; i + 1 < buffer.size(); ++i)
    if (buffer[i] == '\r' && buffer[i + 1] == '\n') return true;
  return false;
}

template <class F> bool ErrorGives(bool failure, F action) {
  try {
    return action();
  } catch (const EInOutError&) {
    return failure;
  }
}

}  // namespace

bool ScriptCreateFile(const AnsiString& name) {
  ScriptFile().reset();
  TFilePtr file(std::fopen(name.c_str(), "wb"));
  if (!file) RaiseIo("Create " + name, errno);
  return false;
}

bool ScriptOpenFile(const AnsiString& name) {
  ScriptFile().reset();
  ScriptFile().reset(std::fopen(name.c_str(), "r+b"));
  return ScriptFile() != nullptr;
}

bool ScriptCloseFile() {
  if (!ScriptFile()) return false;
  const bool closed = std::fclose(ScriptFile().release()) == 0;
  return closed;
}

int32_t ScriptFileSize() {
  try {
    return static_cast<int32_t>(Size(OpenFile()));
  } catch (const EInOutError&) {
    return 0;
  }
}

int32_t ScriptFilePos() {
  try {
    return static_cast<int32_t>(Position(OpenFile()));
  } catch (const EInOutError&) {
    return -1;
  }
}

bool ScriptEof() {
  return ErrorGives(true, [] {
    std::FILE& file = OpenFile();
    return Position(file) >= Size(file);
  });
}

bool ScriptSeek(int64_t position) {
  return ErrorGives(false, [position] {
    std::FILE& file = OpenFile();
    if (position < 0 || position > Size(file)) throw EInOutError("Seek beyond end of file", 131);
    MoveTo(file, position);
    return true;
  });
}

bool ScriptWrite(const AnsiString& text) {
  return ErrorGives(false, [&text] {
    std::FILE& file = OpenFile();
    MoveTo(file, Position(file));
    if (std::fwrite(text.data(), 1, text.size(), &file) != text.size() || std::fflush(&file) != 0)
      RaiseIo("Write", errno ? errno : EIO);
    return true;
  });
}

AnsiString ScriptReadLn() {
  std::FILE& file = OpenFile();
  const int64_t start = Position(file);
  std::vector<char> buffer;
  for (size_t block = 0; block < LineBlocks && !HasCrLf(buffer); ++block) {
    const std::vector<char> bytes = ReadBytes(file, LineBlock);
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
    if (bytes.size() < LineBlock) break;
  }
  size_t length = buffer.size();
  size_t skip = 0;
  for (size_t i = 0; i < buffer.size(); ++i) {
    if (buffer[i] == '\r' && i + 1 < buffer.size() && buffer[i + 1] == '\n') { length = i; skip = 2; break; }
  }
  if (skip == 0) {
    for (size_t i = 0; i < buffer.size(); ++i)
      if (buffer[i] == '\r') { length = i; skip = 1; break; }
  }
  if (skip == 0) {
    // A byte 0 in the data ends the line; it is passed over so that the next
    // read moves on. Without any mark the bytes read are the line.
    for (size_t i = 0; i < buffer.size(); ++i)
      if (buffer[i] == '\0') { length = i; skip = 1; break; }
  }
  MoveTo(file, start + static_cast<int64_t>(length + skip));
  return AnsiString(buffer.data(), length);
}

AnsiString ScriptRead(int64_t count) {
  if (count < 1) return AnsiString();
  std::FILE& file = OpenFile();
  const int64_t left = Size(file) - Position(file);
  const std::vector<char> bytes = ReadBytes(file, static_cast<size_t>(std::max<int64_t>(0, std::min(count, left))));
  const auto zero = std::find(bytes.begin(), bytes.end(), '\0');
  return AnsiString(bytes.begin(), zero);
}
