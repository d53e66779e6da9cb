// The on-disk records of an archive: the 544-byte registry record, the 36-byte
// trailer, CRC-32 and the zlib levels. Byte layout only; no file handling.
#pragma once

#include "SysUtils.h"

#include <array>
#include <cstddef>
#include <cstdint>

enum TFileCompressionLevel : uint8_t { fcNone = 0, fcFastest = 1, fcDefault = 2, fcMaximum = 3 };

constexpr size_t ArchiveEntrySize = 544;
constexpr size_t ArchiveTrailerSize = 36;
constexpr size_t ArchiveStringMax = 255;
// Members and the whole archive are addressed with signed 32-bit sizes.
constexpr int64_t ArchiveSizeLimit = 0x7FFFFFFF;

// One registry record. Name and Path are ANSI text of at most 255 characters;
// Path is empty for a member without path, else it begins and ends with '\'.
struct TArchiveEntry {
  AnsiString Name;
  AnsiString Path;
  int32_t FileSize = 0;
  int32_t StoredSize = 0;
  int32_t Offset = 0;
  uint32_t CRC = 0;
  bool Stored = false;
  uint8_t Level = 0;
  double Date = 0;

  AnsiString Key() const { return Path + Name; }
};

struct TArchiveTrailer {
  uint32_t CRC = 0;
  int32_t Count = 0;
  int32_t One = 1;
  int32_t RegistryLength = 0;
  int32_t RegistryOffset = 0;
  uint8_t Compressed = 0;
};

using TEntryBytes = std::array<uint8_t, ArchiveEntrySize>;
using TTrailerBytes = std::array<uint8_t, ArchiveTrailerSize>;

TEntryBytes EncodeEntry(const TArchiveEntry& entry);
TArchiveEntry DecodeEntry(const uint8_t* bytes);
TTrailerBytes EncodeTrailer(const TArchiveTrailer& trailer);
TArchiveTrailer DecodeTrailer(const uint8_t* bytes);

// The CRC-32 of zlib and PNG; start with 0 and feed the bytes in any pieces.
uint32_t UpdateCRC32(uint32_t crc, const void* data, size_t length);

// The zlib level for a compression level.
int ZlibLevel(TFileCompressionLevel level);

// Stored size as a whole percentage of file size, truncated; 100 for an empty member.
int64_t PackPercentage(int64_t storedSize, int64_t fileSize);
