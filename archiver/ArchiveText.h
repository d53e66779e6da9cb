// Every message text of the archiver, written once.
#pragma once

#include "SysUtils.h"

inline const AnsiString PasswordMarker = "moxarpwd";

inline const AnsiString MsgNoArchive = "No archive is currently open";
inline const AnsiString MsgIndexOutOfBounds = "Index out of bounds";
inline const AnsiString MsgArchiveNotFound = "Archive file not found";
inline const AnsiString MsgCorrupted = "The archive file appears to be corrupted";
inline const AnsiString MsgRegistryUnreadable = "Unable to read archive file list";
inline const AnsiString MsgNotInArchive = "File not found in archive";
inline const AnsiString MsgNoDestination = "Unable to create destination path";
inline const AnsiString MsgFileCreation = "File creation error";
inline const AnsiString MsgInvalidPassword = "Invalid archive password: ";
inline const AnsiString MsgUnsafePath = "Unsafe path skipped: ";
inline const AnsiString MsgEmptyArchive = "Empty archive";

inline AnsiString MsgUnableToOpen(const AnsiString& name) { return "Unable to open file (" + name + ")"; }
inline AnsiString MsgFileCorrupt(int index) { return "File (" + IntToStr(index) + ") is corrupt"; }
inline AnsiString MsgFileFailedCRC(int index) { return "File (" + IntToStr(index) + ") failed CRC check"; }
// Sizes and offsets of the format are signed 32-bit numbers.
inline AnsiString MsgFileTooLarge(const AnsiString& name) {
  return "File too large for an archive, 2 GB or more (" + name + ")";
}

// Native file names are UTF-8; the archive and the console texts are ANSI.
AnsiString NativeToAnsi(const AnsiString& native);
AnsiString AnsiToNative(const AnsiString& ansi);
