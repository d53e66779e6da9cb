#include "ZLIBArchive.h"

#include "ArchiveText.h"
#include "ArchiveWriter.h"
#include "CodePage.h"

#include <cmath>
#include <functional>
#include <iostream>

#include <zlib.h>

namespace {

constexpr size_t ReadPiece = 4096;
constexpr size_t CopyPiece = 256 * 1024;
// Deflate cannot expand data by more than this factor; a registry claiming more
// records than its stream could hold is refused before anything is read.
constexpr int64_t MaxInflateRatio = 1032;

struct TInflater {
  z_stream z{};
  bool ok = false;
  TInflater() { ok = inflateInit(&z) == Z_OK; }
  ~TInflater() {
    if (ok) inflateEnd(&z);
  }
};

class EBadData : public Exception {
  using Exception::Exception;
};

// Inflates one zlib stream of inBytes from the file's position into sink,
// refusing more than maxOut bytes of output; answers the bytes produced.
int64_t InflateFrom(TFileHandle& file, int64_t inBytes, int64_t maxOut, size_t piece,
                    const std::function<void(const uint8_t*, size_t)>& sink) {
  TInflater inf;
  if (!inf.ok) throw EBadData("zlib");
  std::vector<uint8_t> in(piece), out(piece);
  int64_t inLeft = inBytes, produced = 0;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (inf.z.avail_in == 0) {
      if (inLeft == 0) throw EBadData("short");
      size_t n = size_t(std::min<int64_t>(inLeft, int64_t(in.size())));
      file.ReadExact(in.data(), n);
      inLeft -= int64_t(n);
      inf.z.next_in = in.data();
      inf.z.avail_in = uInt(n);
    }
    inf.z.next_out = out.data();
    inf.z.avail_out = uInt(out.size());
    rc = inflate(&inf.z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) throw EBadData("inflate");
    size_t have = out.size() - inf.z.avail_out;
    produced += int64_t(have);
    if (produced > maxOut) throw EBadData("long");
    sink(out.data(), have);
  }
  return produced;
}


}  // namespace

TZLBArchive::TZLBArchive() : Console(&std::cout) {}

TZLBArchive::~TZLBArchive() { CloseArchive(); }

void TZLBArchive::Fail(const AnsiString& msg) {
  if (OnErrorLogged) OnErrorLogged(msg);
  throw EArchiveError(msg);
}

void TZLBArchive::Note(const AnsiString& msg) {
  ++FFailures;
  if (OnErrorLogged) OnErrorLogged(msg);
}

void TZLBArchive::ConsoleLine(const AnsiString& text) {
  if (Console) *Console << AnsiToUtf8(text) << '\n' << std::flush;
}

void TZLBArchive::RequireOpen() {
  if (FFileName.empty()) Fail(MsgNoArchive);
}

// ---------------------------------------------------------------------------
// Opening and closing

bool TZLBArchive::OpenArchive(const AnsiString& FileName) {
  CloseArchive();
  TSearchRec info;
  if (!GetFileInfo(FileName, info)) Fail(MsgArchiveNotFound);
  TFileHandle file;
  try {
    file = TFileHandle::OpenRead(FileName);
  } catch (const EInOutError&) {
    Fail(MsgUnableToOpen(NativeToAnsi(FileName)));
  }
  int64_t size = file.Size();
  TArchiveTrailer trailer{};
  trailer.One = 0;
  if (size > 0) {
    if (size < int64_t(ArchiveTrailerSize)) Fail(MsgCorrupted);
    uint32_t crc = 0;
    std::vector<uint8_t> buf(CopyPiece);
    int64_t left = size - int64_t(ArchiveTrailerSize);
    try {
      while (left > 0) {
        size_t piece = size_t(std::min<int64_t>(left, int64_t(buf.size())));
        file.ReadExact(buf.data(), piece);
        crc = UpdateCRC32(crc, buf.data(), piece);
        left -= int64_t(piece);
      }
      file.ReadExact(buf.data(), ArchiveTrailerSize);
    } catch (const EInOutError&) {
      Fail(MsgCorrupted);
    }
    trailer = DecodeTrailer(buf.data());
    if (trailer.CRC != crc) {
      FTrailer = TArchiveTrailer{};
      Fail(MsgCorrupted);
    }
  }
  FTrailer = trailer;
  FEntries.clear();
  if (size > 0) {
    try {
      ReadRegistry(file, size);
    } catch (const Exception&) {
      FEntries.clear();
      FTrailer = TArchiveTrailer{};
      Fail(MsgRegistryUnreadable);
    }
  }
  FFileName = FileName;
  FNew = false;
  if (OnArchiveOpened) OnArchiveOpened();
  return true;
}

void TZLBArchive::ReadRegistry(TFileHandle& file, int64_t fileSize) {
  const TArchiveTrailer& t = FTrailer;
  int64_t available = fileSize - int64_t(ArchiveTrailerSize) - t.RegistryOffset;
  if (t.Count < 0 || t.RegistryOffset < 0 || available < 0) throw EBadData("trailer");
  int64_t wanted = int64_t(t.Count) * int64_t(ArchiveEntrySize);
  bool compressed = t.Compressed == 1;
  if (compressed ? wanted > available * MaxInflateRatio + 1024 : wanted != available) throw EBadData("size");
  file.Seek(t.RegistryOffset);
  std::vector<uint8_t> records;
  if (!compressed) {
    records.resize(size_t(wanted));
    file.ReadExact(records.data(), records.size());
  } else {
    records.reserve(size_t(std::min<int64_t>(wanted, 1 << 20)));
    InflateFrom(file, available, wanted, ReadPiece, [&](const uint8_t* data, size_t size) {
      records.insert(records.end(), data, data + size);
    });
    if (int64_t(records.size()) != wanted) throw EBadData("count");
  }
  FEntries.reserve(size_t(t.Count));
  for (size_t i = 0; i < records.size(); i += ArchiveEntrySize) FEntries.push_back(DecodeEntry(&records[i]));
}

void TZLBArchive::CloseArchive() {
  FEntries.clear();
  FTrailer = TArchiveTrailer{};
  FFileName.clear();
  FNew = false;
}

void TZLBArchive::CreateArchive(const AnsiString& FileName) {
  AnsiString name = FileName;
  auto slash = name.rfind('/');
  AnsiString base = slash == AnsiString::npos ? name : name.substr(slash + 1);
  if (!name.empty() && base.find('.') == AnsiString::npos) name += ".ZLB";
  CloseArchive();
  if (name.empty()) return;
  TSearchRec info;
  if (GetFileInfo(name, info)) {
    OpenArchive(name);
    return;
  }
  FFileName = name;
  FNew = true;
  if (OnArchiveOpened) OnArchiveOpened();
}

void TZLBArchive::Reopen() {
  AnsiString name = FFileName;
  OpenArchive(name);
}

// ---------------------------------------------------------------------------
// Registry access

int TZLBArchive::FileCount() {
  RequireOpen();
  return int(FEntries.size());
}

TArchiveEntry TZLBArchive::GetFileEntry(int Index) {
  if (Index < 0 || Index >= FileCount()) Fail(MsgIndexOutOfBounds);
  return FEntries[size_t(Index)];
}

int TZLBArchive::FindEntry(const AnsiString& Key) {
  int count = FileCount();
  auto slash = Key.rfind('\\');
  AnsiString dir = slash == AnsiString::npos ? AnsiString() : Key.substr(0, slash + 1);
  AnsiString name = slash == AnsiString::npos ? Key : Key.substr(slash + 1);
  if (SavePaths) {
    auto colon = dir.find(':');
    if (colon != AnsiString::npos) dir.erase(0, colon + 1);
  } else {
    // Members added without paths are keyed by name alone; so are the lookups.
    dir.clear();
  }
  AnsiString k = AnsiLowerCase(dir + name);
  auto marker = k.find(PasswordMarker);
  if (marker != AnsiString::npos) {
    AnsiString wanted = k.substr(marker, 200);
    for (int i = 0; i < count; ++i)
      if (AnsiLowerCase(FEntries[size_t(i)].Name) == wanted) return i;
    return -1;
  }
  for (int i = 0; i < count; ++i)
    if (AnsiLowerCase(FEntries[size_t(i)].Key()) == k) return i;
  return -1;
}

AnsiString TZLBArchive::PasswordEntryName() const { return PasswordMarker + Trim(Password); }

bool TZLBArchive::CheckPassword() { return FindEntry(PasswordEntryName()) >= 0; }

AnsiString TZLBArchive::KeyPathOf(const AnsiString& nativeDir) {
  AnsiString p = NativeToAnsi(nativeDir);
  for (char& c : p)
    if (c == '/') c = '\\';
  if (p.empty() || p.front() != '\\') p.insert(p.begin(), '\\');
  if (p.back() != '\\') p += '\\';
  return p;
}

AnsiString TZLBArchive::KeyOfFile(const AnsiString& nativeFile) const {
  AnsiString full = AbsolutePath(nativeFile);
  auto slash = full.rfind('/');
  AnsiString name = NativeToAnsi(full.substr(slash + 1));
  if (!SavePaths) return name;
  return KeyPathOf(full.substr(0, slash + 1)) + name;
}

// ---------------------------------------------------------------------------
// Reading members

void TZLBArchive::CheckMemberRange(int index) {
  const TArchiveEntry& e = FEntries[size_t(index)];
  bool bad = e.Offset < 0 || e.StoredSize < 0 || e.FileSize < 0 ||
             int64_t(e.Offset) + e.StoredSize > FTrailer.RegistryOffset ||
             (e.Stored && e.StoredSize != e.FileSize);
  if (bad) Fail(MsgFileCorrupt(index));
}

bool TZLBArchive::ExtractToStream(int Index, TByteSink& Target) {
  TArchiveEntry e = GetFileEntry(Index);
  CheckMemberRange(Index);
  uint32_t crc = 0;
  try {
    TFileHandle file = TFileHandle::OpenRead(FFileName);
    file.Seek(e.Offset);
    std::vector<uint8_t> in(CopyPiece), out(CopyPiece);
    if (e.Stored) {
      int64_t left = e.FileSize;
      while (left > 0) {
        size_t piece = size_t(std::min<int64_t>(left, int64_t(in.size())));
        file.ReadExact(in.data(), piece);
        if (CheckCRC) crc = UpdateCRC32(crc, in.data(), piece);
        Target.Write(in.data(), piece);
        left -= int64_t(piece);
      }
    } else {
      int64_t written = InflateFrom(file, e.StoredSize, e.FileSize, CopyPiece, [&](const uint8_t* data, size_t size) {
        if (CheckCRC) crc = UpdateCRC32(crc, data, size);
        Target.Write(data, size);
      });
      if (written != e.FileSize) throw EBadData("count");
    }
  } catch (const EArchiveError&) {
    throw;
  } catch (const Exception&) {
    Fail(MsgFileCorrupt(Index));
  }
  if (CheckCRC && crc != e.CRC) Fail(MsgFileFailedCRC(Index));
  return true;
}

// ---------------------------------------------------------------------------
// Writing archives

TFileHandle TZLBArchive::OpenOldArchive() {
  try {
    return TFileHandle::OpenRead(FFileName);
  } catch (const EInOutError&) {
    Fail(MsgUnableToOpen(NativeToAnsi(FFileName)));
  }
}

void TZLBArchive::ReplaceArchive(TArchiveWriter& writer) {
  writer.Finish(FEntries, CompressionLevel);
  int mode = FNew ? -1 : FilePermissions(FFileName);
  writer.Commit(FFileName, mode < 0 ? DefaultFilePermissions() : mode);
}

bool TZLBArchive::IsArchiveItself(const AnsiString& file) const {
  return !FNew && SameFile(file, FFileName);
}

void TZLBArchive::ExpandDirectories(std::vector<AnsiString>& list) {
  std::vector<AnsiString> result;
  std::vector<AnsiString> found;
  for (const auto& item : list) {
    TSearchRec info;
    if (!item.empty() && GetFileInfo(item, info) && (info.Attr & faDirectory)) {
      if (RecursePaths) AppendTree(item, found);
      continue;
    }
    result.push_back(item);
  }
  result.insert(result.end(), found.begin(), found.end());
  list = std::move(result);
}

void TZLBArchive::AppendTree(const AnsiString& dir, std::vector<AnsiString>& list) {
  AnsiString base = dir;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  for (const auto& rec : FindEntries(base, "*")) {
    AnsiString full = base + "/" + rec.Name;
    if (rec.Attr & faDirectory) {
      if (!(rec.Attr & faSymLink)) AppendTree(full, list);
    } else {
      list.push_back(full);
    }
  }
}

TZLBArchive::TStoreResult TZLBArchive::StoreMember(TArchiveWriter& writer, const AnsiString& file,
                                                   TArchiveEntry& entry, bool adding) {
  TSearchRec info;
  // Only regular files are ever opened: a FIFO or device would block or never end.
  if (!GetFileInfo(file, info) || !info.IsRegular()) return TStoreResult::Unreadable;
  if (info.Size > ArchiveSizeLimit) return TStoreResult::TooLarge;
  TFileHandle src;
  try {
    src = TFileHandle::OpenRead(file);
  } catch (const EInOutError&) {
    return TStoreResult::Unreadable;
  }
  ShowProgress((adding ? "Adding " : "Updating ") + NativeToAnsi(AbsolutePath(file)), 0);
  int64_t start = writer.Position();
  uint32_t crcStart = writer.RunningCRC();
  try {
    writer.StoreFile(src, info.Size, CompressionLevel, entry);
  } catch (const ESourceReadError&) {
    writer.RewindTo(start, crcStart);
    return TStoreResult::Unreadable;
  }
  if (writer.Position() > ArchiveSizeLimit) {
    writer.RewindTo(start, crcStart);
    return TStoreResult::TooLarge;
  }
  entry.Date = FileDate(info);
  if (adding) ShowProgress("@PERCENT@", -int(PackPercentage(entry.StoredSize, entry.FileSize)));
  return TStoreResult::Stored;
}

void TZLBArchive::ReportStoreProblem(TStoreResult result, const AnsiString& file) {
  AnsiString name = NativeToAnsi(AbsolutePath(file));
  if (result == TStoreResult::TooLarge) {
    ConsoleLine(MsgFileTooLarge(name));
    Note(MsgFileTooLarge(name));
  } else {
    Note(MsgUnableToOpen(name));
  }
}

template <class F>
void TZLBArchive::Rewrite(F&& build) {
  RequireOpen();
  auto savedEntries = FEntries;
  try {
    TArchiveWriter writer(FFileName);
    build(writer);
    ReplaceArchive(writer);
  } catch (const EArchiveError&) {
    FEntries = std::move(savedEntries);
    throw;
  } catch (const std::exception&) {
    // An unexpected failure: the temporary file is gone and the old archive stands.
    FEntries = std::move(savedEntries);
    throw EArchiveError("");
  }
  Reopen();
}

void TZLBArchive::AddFiles(std::vector<AnsiString> List) {
  RequireOpen();
  ExpandDirectories(List);
  bool updateNeeded = false;
  Rewrite([&](TArchiveWriter& writer) {
    if (!FNew) {
      TFileHandle old = OpenOldArchive();
      writer.CopyFrom(old, 0, FTrailer.RegistryOffset);
    }
    for (auto& item : List) {
      if (Trim(item).empty()) continue;
      if (FindEntry(KeyOfFile(item)) >= 0) {
        updateNeeded = true;
        continue;
      }
      if (!IsArchiveItself(item)) {
        TArchiveEntry entry;
        AnsiString full = AbsolutePath(item);
        auto slash = full.rfind('/');
        entry.Name = NativeToAnsi(full.substr(slash + 1)).substr(0, ArchiveStringMax);
        entry.Path = SavePaths ? KeyPathOf(full.substr(0, slash + 1)).substr(0, ArchiveStringMax) : AnsiString();
        TStoreResult r = StoreMember(writer, item, entry, true);
        if (r == TStoreResult::Stored)
          FEntries.push_back(entry);
        else
          ReportStoreProblem(r, item);
      }
      item.clear();
    }
  });
  if (updateNeeded) UpdateFiles(List);
}

void TZLBArchive::UpdateFiles(std::vector<AnsiString> List) {
  RequireOpen();
  std::erase_if(List, [](const AnsiString& s) { return Trim(s).empty(); });
  if (List.empty()) return;
  if (RefreshSameOrOlder) {
    std::vector<AnsiString> kept;
    for (const auto& item : List) {
      TSearchRec info;
      // A file that is not there is dropped here rather than failing later.
      if (!GetFileInfo(item, info)) continue;
      int index = FindEntry(KeyOfFile(item));
      if (index < 0) Fail(MsgIndexOutOfBounds);
      if (FEntries[size_t(index)].Date > FileDate(info)) continue;
      kept.push_back(item);
    }
    List = std::move(kept);
    if (List.empty()) return;
  }
  ExpandDirectories(List);
  Rewrite([&](TArchiveWriter& writer) {
    TFileHandle old;
    if (!FNew) old = OpenOldArchive();
    for (size_t i = 0; i < FEntries.size(); ++i) {
      TArchiveEntry& entry = FEntries[i];
      AnsiString key = AnsiLowerCase(entry.Key());
      auto it = std::find_if(List.begin(), List.end(),
                             [&](const AnsiString& item) { return AnsiLowerCase(KeyOfFile(item)) == key; });
      if (it == List.end()) {
        CopyMember(old, writer, int(i), entry);
        continue;
      }
      TStoreResult r = StoreMember(writer, *it, entry, false);
      if (r == TStoreResult::TooLarge) ReportStoreProblem(r, *it);
      if (r != TStoreResult::Stored) Fail(MsgUnableToOpen(NativeToAnsi(FFileName)));
      List.erase(it);
    }
  });
}

void TZLBArchive::CopyMember(TFileHandle& old, TArchiveWriter& writer, int index, TArchiveEntry& entry) {
  CheckMemberRange(index);
  int32_t offset = int32_t(writer.Position());
  if (entry.StoredSize > 0) {
    try {
      writer.CopyFrom(old, entry.Offset, entry.StoredSize);
    } catch (const EInOutError&) {
      if (!old.IsOpen()) Fail(MsgUnableToOpen(NativeToAnsi(FFileName)));
      throw;
    }
  }
  entry.Offset = offset;
}

void TZLBArchive::DeleteFiles(std::vector<AnsiString> List) {
  RequireOpen();
  std::vector<AnsiString> keys;
  for (const auto& item : List) {
    auto slash = item.rfind('\\');
    AnsiString dir = slash == AnsiString::npos ? AnsiString() : item.substr(0, slash + 1);
    auto colon = dir.find(':');
    if (colon != AnsiString::npos) dir.erase(0, colon + 1);
    keys.push_back(AnsiLowerCase(dir + (slash == AnsiString::npos ? item : item.substr(slash + 1))));
  }
  // Work on a copy with the old indices, so that the stored bytes can be found.
  std::vector<TArchiveEntry> remaining;
  std::vector<int> oldIndex;
  for (size_t i = 0; i < FEntries.size(); ++i) {
    AnsiString key = AnsiLowerCase(FEntries[i].Key());
    auto it = std::find(keys.begin(), keys.end(), key);
    if (it != keys.end()) {
      keys.erase(it);
      ShowProgress("Deleting " + FEntries[i].Key(), 0);
      continue;
    }
    remaining.push_back(FEntries[i]);
    oldIndex.push_back(int(i));
  }
  Rewrite([&](TArchiveWriter& writer) {
    TFileHandle old;
    if (!FNew) old = OpenOldArchive();
    for (size_t j = 0; j < remaining.size(); ++j) CopyMember(old, writer, oldIndex[j], remaining[j]);
    FEntries = remaining;
  });
}

void TZLBArchive::RenameEntry(const AnsiString& OldKey, const AnsiString& NewName) {
  int index = FindEntry(OldKey);
  if (index < 0) return;
  auto slash = NewName.rfind('\\');
  AnsiString name = slash == AnsiString::npos ? NewName : NewName.substr(slash + 1);
  AnsiString dir = slash == AnsiString::npos ? AnsiString() : NewName.substr(0, slash);
  // A member without a name could never be extracted again.
  if (Trim(name).empty()) {
    ++FFailures;
    return;
  }
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  Rewrite([&](TArchiveWriter& writer) {
    if (!FNew) {
      TFileHandle old = OpenOldArchive();
      writer.CopyFrom(old, 0, FTrailer.RegistryOffset);
    }
    FEntries[size_t(index)].Name = name.substr(0, ArchiveStringMax);
    FEntries[size_t(index)].Path = dir.substr(0, ArchiveStringMax);
  });
}

TDateTime TZLBArchive::FileDate(const TSearchRec& info) {
  // The registry keeps times at the two-second resolution of the original file system.
  return FileTimeToDateTime(info.ModTime - (info.ModTime & 1));
}
