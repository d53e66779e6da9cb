// Selection by masks, the listing and the console progress lines.
#include "ZLIBArchive.h"

#include "ArchiveText.h"
#include "CodePage.h"

#include <cmath>
#include <iostream>

#include <unistd.h>

namespace {

bool IsPasswordName(const AnsiString& name) {
  return AnsiLowerCase(name.substr(0, PasswordMarker.size())) == PasswordMarker;
}

AnsiString NameOfKey(const AnsiString& key) {
  auto slash = key.rfind('\\');
  return slash == AnsiString::npos ? key : key.substr(slash + 1);
}

AnsiString CurrentDir() {
  char buf[4096];
  return getcwd(buf, sizeof buf) ? AnsiString(buf) : AnsiString(".");
}

// A mask's directory made absolute, with doubled separators folded.
AnsiString MaskDirectory(AnsiString dir) {
  if (Trim(dir).empty())
    dir = CurrentDir();
  else if (dir.front() != '/')
    dir = CurrentDir() + "/" + dir;
  while (dir.find("//") != AnsiString::npos) dir.replace(dir.find("//"), 2, "/");
  return dir;
}

std::vector<AnsiString> Lines(const AnsiString& text) {
  std::vector<AnsiString> result;
  size_t i = 0;
  while (i < text.size()) {
    size_t j = text.find("\r\n", i);
    if (j == AnsiString::npos) j = text.size();
    if (j > i) result.push_back(text.substr(i, j - i));
    i = j + 2;
  }
  return result;
}

AnsiString FitColumn(AnsiString text, size_t width) {
  if (width == 15) {
    while (text.size() < 15 && text.find(' ') != AnsiString::npos) text.insert(text.find(' '), " ");
    text.resize(15, ' ');
    return text;
  }
  while (text.size() > width && text.find('\\') != AnsiString::npos) text.erase(0, text.find('\\') + 1);
  if (text.size() > width) text.erase(0, text.size() - width);
  text.resize(width, ' ');
  return text;
}

AnsiString FormatMemberDate(double date) {
  if (!std::isfinite(date) || date < -657434.0 || date > 2958466.0) return "";
  AnsiString text = DateToStr(date);
  double dayPart = std::floor(date);
  if (date != dayPart) text += " " + TimeToStr(date);
  return text;
}

// The pattern test as memoised recursion: each (text, pattern) suffix pair is
// decided once, so hostile masks cannot make it exponential.
class TWildcard {
public:
  TWildcard(const AnsiString& text, const AnsiString& pattern)
      : T(text), P(pattern), FMemo((text.size() + 1) * (pattern.size() + 1), -1) {}
  bool Match(size_t i, size_t j) {
    if (j == P.size()) return false;
    int8_t& memo = FMemo[i * (P.size() + 1) + j];
    if (memo >= 0) return memo == 1;
    bool result = Run(i, j);
    memo = result ? 1 : 0;
    return result;
  }

private:
  bool Run(size_t i, size_t j) {
    while (i < T.size() && j < P.size()) {
      char c = P[j];
      if (c == '?') {
        ++i;
        ++j;
      } else if (c == '*') {
        ++j;
        while (!Match(i, j) && i < T.size()) ++i;
      } else if (T[i] == c) {
        ++i;
        ++j;
      } else {
        i = T.size();
      }
    }
    if (i == T.size() && j == P.size()) return true;
    return P.size() - j == 1 && P[j] == '*';
  }

  const AnsiString& T;
  const AnsiString& P;
  std::vector<int8_t> FMemo;
};

}  // namespace

bool TZLBArchive::WildcardMatch(const AnsiString& Text, const AnsiString& Pattern) {
  AnsiString t = AnsiLowerCase(Text), p = AnsiLowerCase(Pattern);
  if (p.empty()) return false;
  return TWildcard(t, p).Match(0, 0);
}

bool TZLBArchive::MatchesMask(const AnsiString& Key, const AnsiString& Pattern) {
  // The password entry is never selected, whatever path it was stored with.
  if (IsPasswordName(NameOfKey(Key)) || Trim(Pattern).empty()) return false;
  return WildcardMatch(Key, Pattern);
}

// ---------------------------------------------------------------------------
// Files on disk

AnsiString TZLBArchive::FindFiles(const AnsiString& Dir, const AnsiString& Pattern, int Bits) {
  AnsiString dir = Trim(Dir);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (dir.empty()) return "";
  AnsiString prefix = dir == "/" ? AnsiString() : dir;
  AnsiString result;
  for (const auto& rec : FindEntries(dir, Pattern)) {
    if (Bits != 0 && (rec.Attr & Bits) == Bits) continue;
    AnsiString full = prefix + "/" + rec.Name;
    AnsiString key = KeyPathOf(prefix + "/") + NativeToAnsi(rec.Name);
    if (MatchesMask(key, WithoutFiles)) continue;
    result += full + "\r\n";
  }
  return result;
}

void TZLBArchive::ScanSubDirs(const AnsiString& Dir, const AnsiString& Pattern, int Bits) {
  // The directory counter belongs to the whole add: it limits how many directories
  // may have their subdirectories searched.
  if (SubDirLowLevel != -1 && FDirCounter + 1 > SubDirLowLevel) return;
  ++FDirCounter;
  AnsiString dir = Dir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  AnsiString prefix = dir == "/" ? AnsiString() : dir;
  for (const auto& rec : FindEntries(dir, "*")) {
    bool searchable = (rec.Attr & faDirectory) && !(rec.Attr & (faHidden | faSysFile | faSymLink));
    if (!searchable) continue;
    AnsiString sub = prefix + "/" + rec.Name;
    FFileList += FindFiles(sub, Pattern, Bits);
    ScanSubDirs(sub, Pattern, Bits);
  }
}

// ---------------------------------------------------------------------------
// Mask-level operations

void TZLBArchive::AddMask(const AnsiString& Mask) {
  RequireOpen();
  int bits = (AddWithoutReadOnlyFiles ? faReadOnly : 0) | (AddWithoutHiddenFiles ? faHidden : 0) |
             (AddWithoutSysFiles ? faSysFile : 0);
  FDirCounter = 0;
  auto slash = Mask.rfind('/');
  AnsiString dir = MaskDirectory(slash == AnsiString::npos ? AnsiString() : Mask.substr(0, slash));
  AnsiString pattern = slash == AnsiString::npos ? Mask : Mask.substr(slash + 1);
  FFileList = FindFiles(dir, pattern, bits);
  ScanSubDirs(dir, pattern, bits);
  std::vector<AnsiString> list = Lines(FFileList);
  FFileList.clear();

  AnsiString entryName = PasswordEntryName();
  auto archiveSlash = FFileName.rfind('/');
  AnsiString passwordFile =
      (archiveSlash == AnsiString::npos ? AnsiString() : FFileName.substr(0, archiveSlash + 1)) +
      AnsiToNative(entryName);
  bool created = false;
  if (FindEntry(entryName) < 0) {
    try {
      TFileHandle f = TFileHandle::Create(passwordFile);
      f.Write(" \r\n", 3);
      f.Close();
      list.push_back(passwordFile);
      created = true;
    } catch (const EInOutError&) {
      ConsoleLine(MsgFileCreation);
      ++FFailures;
    }
  }
  try {
    AddFiles(list);
  } catch (...) {
    if (created) ::unlink(passwordFile.c_str());
    throw;
  }
  if (created) ::unlink(passwordFile.c_str());
}

void TZLBArchive::ExtractMask(const AnsiString& ArchiveMask, const AnsiString& DestDir, const AnsiString& FileMask) {
  auto slash = ArchiveMask.rfind('/');
  AnsiString dir = MaskDirectory(slash == AnsiString::npos ? AnsiString() : ArchiveMask.substr(0, slash));
  AnsiString pattern = slash == AnsiString::npos ? ArchiveMask : ArchiveMask.substr(slash + 1);
  std::vector<AnsiString> archives = Lines(FindFiles(dir, pattern, 0));
  int opened = 0;
  for (const auto& name : archives) {
    TSearchRec info;
    if (!GetFileInfo(name, info) || !info.IsRegular()) continue;
    OpenArchive(name);
    ++opened;
    if (!CheckPassword()) {
      ConsoleLine(MsgInvalidPassword + NativeToAnsi(name));
      ++FFailures;
      continue;
    }
    ExtractMatching(DestDir, FileMask);
  }
  // Naming an archive that is not there is a failure even without a message.
  if (opened == 0) ++FFailures;
}

void TZLBArchive::ExtractMatching(const AnsiString& DestDir, const AnsiString& FileMask) {
  int count = FileCount();
  AnsiString mask = Trim(FileMask);
  std::vector<AnsiString> keys;
  for (int i = 0; i < count; ++i) {
    const TArchiveEntry& e = FEntries[size_t(i)];
    if (IsPasswordName(e.Name)) continue;
    if (!mask.empty() && !WildcardMatch(e.Key(), mask)) continue;
    if (MatchesMask(e.Key(), WithoutFiles)) continue;
    keys.push_back(e.Key());
  }
  for (const auto& key : keys) ExtractFile(DestDir, key);
}

std::vector<AnsiString> TZLBArchive::MatchingKeys(const AnsiString& mask) {
  int count = FileCount();
  std::vector<AnsiString> keys;
  for (int i = 0; i < count; ++i) {
    AnsiString key = FEntries[size_t(i)].Key();
    if (MatchesMask(key, mask) && !MatchesMask(key, WithoutFiles)) keys.push_back(key);
  }
  return keys;
}

void TZLBArchive::DeleteMask(const AnsiString& Mask) {
  if (Trim(Mask).empty()) return;
  DeleteFiles(MatchingKeys(Mask));
}

void TZLBArchive::UpdateMask(const AnsiString& Mask) {
  std::vector<AnsiString> files;
  for (const auto& key : MatchingKeys(Mask)) {
    AnsiString native = AnsiToNative(key);
    for (char& c : native)
      if (c == '\\') c = '/';
    files.push_back(SavePaths ? native : CurrentDir() + "/" + AnsiToNative(NameOfKey(key)));
  }
  UpdateFiles(files);
}

void TZLBArchive::ListFiles(const AnsiString& Mask, bool WithInfo) {
  int count = FileCount();
  if (WithInfo) {
    if (count <= 1)
      ConsoleLine(MsgEmptyArchive);
    else
      ConsoleLine(FitColumn("** ARCHIVED FILES " + IntToStr(count - 1) + ", " + IntToStr(FTrailer.RegistryOffset) +
                                " bytes",
                            42) +
                  " " + FitColumn("SIZE pack to %", 15) + " Date      Time **");
  }
  AnsiString mask = Trim(Mask);
  AnsiString without = Trim(WithoutFiles);
  for (int i = 0; i < count; ++i) {
    const TArchiveEntry& e = FEntries[size_t(i)];
    if (IsPasswordName(e.Name)) continue;
    if (!mask.empty() && !WildcardMatch(e.Key(), mask)) continue;
    if (MatchesMask(e.Key(), without)) continue;
    if (!WithInfo) {
      ConsoleLine(e.Key());
      continue;
    }
    AnsiString sizes = IntToStr(e.FileSize) + " " + IntToStr(PackPercentage(e.StoredSize, e.FileSize)) + "%";
    ConsoleLine(FitColumn(e.Key(), 42) + " " + FitColumn(sizes, 15) + " " + FormatMemberDate(e.Date));
  }
}

// ---------------------------------------------------------------------------
// Console progress

void TZLBArchive::ShowProgress(const AnsiString& Msg, int Percentage) {
  if (Msg.find(PasswordMarker) != AnsiString::npos) {
    FLastMessage.clear();
    return;
  }
  if (Msg == "@PERCENT@" && Percentage < 0 && !FLastMessage.empty()) {
    AnsiString tail = " ";
    while (FLastMessage.size() + tail.size() <= 73) tail += ".";
    tail += " " + IntToStr(-int64_t(Percentage)) + "%";
    ConsoleLine(tail);
    return;
  }
  bool adding = Msg.compare(0, 3, "Add") == 0;
  AnsiString shown = Msg;
  if (adding && shown.size() > 75) shown.erase(0, shown.size() - 75);
  if (!Msg.empty() && shown != FLastMessage && Msg[0] != '@') {
    if (adding) {
      if (Console) *Console << AnsiToUtf8(shown) << std::flush;
    } else {
      ConsoleLine(Msg);
    }
  }
  if (!Msg.empty()) FLastMessage = shown;
}
