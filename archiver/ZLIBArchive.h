// TZLBArchive: one archive file open at a time, with adding, updating, deleting,
// renaming, extracting and listing of members, selection by wildcard masks,
// attribute filters and the archive password.
//
// File names given to and reported by the component are native paths; member keys
// are the archive's own form: ANSI text, path and name joined with backslashes.
#pragma once

#include "ArchiveFormat.h"
#include "FileSystem.h"

#include <functional>
#include <iosfwd>
#include <vector>

using TErrorLogEvent = std::function<void(const AnsiString& Msg)>;
using TReplaceFileEvent = std::function<void(const AnsiString& Filename, bool& Replace)>;
using TFileExtractedEvent = std::function<void(const AnsiString& filename)>;
using TProgressEvent = std::function<void(const AnsiString& Msg, int Percentage)>;
using TInfoLogEvent = std::function<void(const AnsiString& Msg)>;

// Raised after OnErrorLogged when an operation stops through the error path; the
// archive on disk is unchanged then. Message is the reported text.
class EArchiveError : public Exception {
  using Exception::Exception;
};

// Where an extracted member goes; ExtractToStream feeds it in pieces.
class TByteSink {
public:
  virtual ~TByteSink() = default;
  virtual void Write(const void* data, size_t length) = 0;
};

class TArchiveWriter;

class TZLBArchive {
public:
  using TNotifyEvent = std::function<void()>;

  TZLBArchive();
  ~TZLBArchive();
  TZLBArchive(const TZLBArchive&) = delete;
  TZLBArchive& operator=(const TZLBArchive&) = delete;

  // Properties.
  TFileCompressionLevel CompressionLevel = fcDefault;
  bool SavePaths = true;
  bool ExtractWithPath = false;
  bool RecursePaths = false;
  bool CheckCRC = false;
  int SubDirLowLevel = -1;
  bool AddWithoutReadOnlyFiles = false;
  bool AddWithoutHiddenFiles = false;
  bool AddWithoutSysFiles = false;
  bool RefreshSameOrOlder = false;
  AnsiString WithoutFiles;          // one key pattern, backslash form
  AnsiString ExtractBehindFoolder;  // backslash form
  AnsiString Password;

  // Events. OnStreamExtracted, OnProgress and OnInfo are offered but never raised.
  TErrorLogEvent OnErrorLogged;
  TNotifyEvent OnArchiveOpened;
  TReplaceFileEvent OnReplaceFile;
  TFileExtractedEvent OnFileExtracted;
  TFileExtractedEvent OnStreamExtracted;
  TProgressEvent OnProgress;
  TInfoLogEvent OnInfo;

  // Console lines (ANSI text, written as UTF-8). Defaults to standard output.
  std::ostream* Console;

  // Member-level operations.
  bool OpenArchive(const AnsiString& FileName);
  void CloseArchive();
  void CreateArchive(const AnsiString& FileName);
  int FileCount();
  TArchiveEntry GetFileEntry(int Index);
  int FindEntry(const AnsiString& Key);
  bool ExtractToStream(int Index, TByteSink& Target);
  void ExtractFile(const AnsiString& DestDir, const AnsiString& Key);
  void AddFiles(std::vector<AnsiString> List);
  void UpdateFiles(std::vector<AnsiString> List);
  void DeleteFiles(std::vector<AnsiString> List);
  void RenameEntry(const AnsiString& OldKey, const AnsiString& NewName);
  bool CheckPassword();

  // Mask-level operations and console output.
  void AddMask(const AnsiString& Mask);
  void ExtractMask(const AnsiString& ArchiveMask, const AnsiString& DestDir, const AnsiString& FileMask);
  void ExtractMatching(const AnsiString& DestDir, const AnsiString& FileMask);
  void DeleteMask(const AnsiString& Mask);
  void UpdateMask(const AnsiString& Mask);
  void ListFiles(const AnsiString& Mask, bool WithInfo);
  static bool WildcardMatch(const AnsiString& Text, const AnsiString& Pattern);
  static bool MatchesMask(const AnsiString& Key, const AnsiString& Pattern);
  AnsiString FindFiles(const AnsiString& Dir, const AnsiString& Pattern, int Bits);
  void ScanSubDirs(const AnsiString& Dir, const AnsiString& Pattern, int Bits);
  void ShowProgress(const AnsiString& Msg, int Percentage);

  // State.
  const AnsiString& ArchiveFileName() const { return FFileName; }
  bool IsNew() const { return FNew; }
  const TArchiveTrailer& Trailer() const { return FTrailer; }
  // Problems that did not stop the operation (a file that could not be added, an
  // unsafe member skipped, a wrong password passed over): the command line's
  // exit status reports them.
  int Failures() const { return FFailures; }

  // Key form of a native directory ("\dir\sub\") and of a native file name.
  static AnsiString KeyPathOf(const AnsiString& nativeDir);
  AnsiString KeyOfFile(const AnsiString& nativeFile) const;

private:
  [[noreturn]] void Fail(const AnsiString& msg);
  void Note(const AnsiString& msg);
  void ConsoleLine(const AnsiString& text);
  void RequireOpen();
  void ReadRegistry(TFileHandle& file, int64_t fileSize);
  void ExpandDirectories(std::vector<AnsiString>& list);
  void AppendTree(const AnsiString& dir, std::vector<AnsiString>& list);
  TFileHandle OpenOldArchive();
  void ReplaceArchive(TArchiveWriter& writer);
  void Reopen();
  enum class TStoreResult { Stored, Unreadable, TooLarge };
  TStoreResult StoreMember(TArchiveWriter& writer, const AnsiString& file, TArchiveEntry& entry, bool adding);
  void ReportStoreProblem(TStoreResult result, const AnsiString& file);
  template <class F> void Rewrite(F&& build);
  static TDateTime FileDate(const TSearchRec& info);
  bool IsArchiveItself(const AnsiString& file) const;
  void CopyMember(TFileHandle& old, TArchiveWriter& writer, int index, TArchiveEntry& entry);
  void CheckMemberRange(int index);
  void WriteMemberFile(int index, int dirFd, const AnsiString& nativeName, const AnsiString& fullName);
  void SkipUnsafe(const AnsiString& key);
  std::vector<AnsiString> MatchingKeys(const AnsiString& mask);
  AnsiString PasswordEntryName() const;

  AnsiString FFileName;  // native
  bool FNew = false;
  TArchiveTrailer FTrailer;
  std::vector<TArchiveEntry> FEntries;
  AnsiString FFileList;  // the working text of FindFiles/ScanSubDirs
  int FDirCounter = 0;
  AnsiString FLastMessage;
  int FFailures = 0;
};
