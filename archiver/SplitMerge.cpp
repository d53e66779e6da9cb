#include "SplitMerge.h"

#include "FileSystem.h"

#include <ostream>
#include <vector>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr size_t CopyPiece = 64 * 1024;

bool HasWildcard(const AnsiString& s) { return s.find_first_of("*?") != AnsiString::npos; }

AnsiString PartName(const AnsiString& file, int64_t k) { return file + IntToStr(k); }

void CopyBytes(TFileHandle& from, TFileHandle& to, int64_t count, std::vector<uint8_t>& buf) {
  while (count > 0) {
    size_t piece = size_t(std::min<int64_t>(count, int64_t(buf.size())));
    from.ReadExact(buf.data(), piece);
    to.Write(buf.data(), piece);
    count -= int64_t(piece);
  }
}

// Appends everything from the current position of from.
void CopyRest(TFileHandle& from, TFileHandle& to, std::vector<uint8_t>& buf) {
  while (size_t n = from.Read(buf.data(), buf.size())) to.Write(buf.data(), n);
}

}  // namespace

int ReadSplitCount(const AnsiString& file) {
  if (HasWildcard(file)) return 0;
  TSearchRec info;
  if (!GetFileInfo(file, info) || !info.IsRegular() || info.Size < int64_t(SplitHeaderSize)) return 0;
  char head[SplitHeaderSize];
  try {
    TFileHandle f = TFileHandle::OpenRead(file);
    f.ReadExact(head, sizeof head);
  } catch (const EInOutError&) {
    return 0;
  }
  AnsiString text(head, sizeof head);
  auto marker = text.find("SplitMOXAR(");
  if (marker == AnsiString::npos || marker > 3) return 0;
  auto open = text.find('(');
  auto close = text.find(')', open);
  if (close == AnsiString::npos) return 0;
  int32_t count = 0;
  if (!TryStrToInt(text.substr(open + 1, close - open - 1), count)) return 0;
  return count;
}

AnsiString SplitHeader(int64_t parts) {
  AnsiString header = "SplitMOXAR(" + IntToStr(parts) + ")";
  if (header.size() < SplitHeaderSize) header.resize(SplitHeaderSize, ' ');
  return header;
}

bool SplitFile(const AnsiString& file, int64_t partSize, std::ostream& out) {
  if (HasWildcard(file)) return true;
  TSearchRec info;
  if (!GetFileInfo(file, info) || !info.IsRegular()) {
    out << "File not found " << file << '\n';
    return false;
  }
  // The first part must hold the header and at least one byte of the file.
  if (partSize <= int64_t(SplitHeaderSize)) {
    out << "Split size must be more than " << SplitHeaderSize << " bytes" << '\n';
    return false;
  }
  out << "Begin Split " << file << '\n';
  int64_t total = info.Size + int64_t(SplitHeaderSize);
  int64_t parts = total / partSize + (total % partSize != 0 ? 1 : 0);
  AnsiString header = SplitHeader(parts);
  int64_t written = 0;
  std::vector<uint8_t> buf(CopyPiece);
  try {
    TFileHandle src = TFileHandle::OpenRead(file);
    int64_t left = info.Size;
    for (int64_t k = 0; k < parts; ++k) {
      TFileHandle part = TFileHandle::Create(PartName(file, k));
      written = k + 1;
      int64_t room = partSize;
      if (k == 0) {
        part.Write(header.data(), header.size());
        room -= int64_t(header.size());
      }
      int64_t count = (k == parts - 1) ? left : std::min(room, left);
      CopyBytes(src, part, count, buf);
      left -= count;
      part.Sync();
      part.Close();
    }
  } catch (const EInOutError& e) {
    for (int64_t k = 0; k < written; ++k) ::unlink(PartName(file, k).c_str());
    out << "Split error " << file << ": " << e.Message << '\n';
    return false;
  }
  // Renaming over the original replaces it in one step.
  try {
    ReplaceFile(PartName(file, 0), file);
  } catch (const EInOutError& e) {
    for (int64_t k = 0; k < written; ++k) ::unlink(PartName(file, k).c_str());
    out << "Split error " << file << ": " << e.Message << '\n';
    return false;
  }
  out << "End   Split " << file << "    " << parts << " files" << '\n';
  return true;
}

bool MergeFile(const AnsiString& file, std::ostream& out) {
  if (HasWildcard(file)) return true;
  TSearchRec info;
  if (!GetFileInfo(file, info)) {
    out << "File not found " << file << '\n';
    return false;
  }
  int count = ReadSplitCount(file);
  if (count <= 0) return true;
  out << "Begin Merging " << file << "     " << count << " files" << '\n';
  AnsiString first = PartName(file, 0);
  if (::rename(file.c_str(), first.c_str()) != 0) {
    out << "Merge error " << file << '\n';
    return false;
  }
  int64_t found = 0;
  bool writeFailed = false;
  try {
    TFileHandle whole = TFileHandle::Create(file);
    std::vector<uint8_t> buf(CopyPiece);
    for (int64_t k = 0;; ++k) {
      TSearchRec partInfo;
      if (!GetFileInfo(PartName(file, k), partInfo) || !partInfo.IsRegular()) break;
      TFileHandle part = TFileHandle::OpenRead(PartName(file, k));
      if (k == 0) part.Seek(int64_t(SplitHeaderSize));
      CopyRest(part, whole, buf);
      ++found;
    }
    whole.Sync();
    whole.Close();
  } catch (const EInOutError& e) {
    out << "Merge error " << file << ": " << e.Message << '\n';
    writeFailed = true;
  }
  if (writeFailed || found < count) {
    if (!writeFailed) out << "Error, split files count" << '\n';
    ::unlink(file.c_str());
    ::rename(first.c_str(), file.c_str());
    return false;
  }
  for (int64_t k = 0; k <= count; ++k) ::unlink(PartName(file, k).c_str());
  out << "End   Merging " << file << "     " << found << " files" << '\n';
  return true;
}
