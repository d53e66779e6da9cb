#include "ArchiveFormat.h"

#include <cstring>

#include <zlib.h>

namespace {

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutString(uint8_t* p, const AnsiString& s) {
  size_t n = std::min(s.size(), ArchiveStringMax);
  p[0] = uint8_t(n);
  std::memcpy(p + 1, s.data(), n);
}

AnsiString GetString(const uint8_t* p) { return AnsiString(reinterpret_cast<const char*>(p + 1), p[0]); }

}  // namespace

TEntryBytes EncodeEntry(const TArchiveEntry& entry) {
  TEntryBytes b{};
  PutString(b.data(), entry.Name);
  PutString(b.data() + 256, entry.Path);
  PutU32(b.data() + 512, uint32_t(entry.FileSize));
  PutU32(b.data() + 516, uint32_t(entry.StoredSize));
  PutU32(b.data() + 520, uint32_t(entry.Offset));
  PutU32(b.data() + 524, entry.CRC);
  b[528] = entry.Stored ? 1 : 0;
  b[529] = entry.Level;
  uint64_t bits;
  std::memcpy(&bits, &entry.Date, 8);
  for (int i = 0; i < 8; ++i) b[536 + i] = uint8_t(bits >> (8 * i));
  return b;
}

TArchiveEntry DecodeEntry(const uint8_t* b) {
  TArchiveEntry e;
  e.Name = GetString(b);
  e.Path = GetString(b + 256);
  e.FileSize = int32_t(GetU32(b + 512));
  e.StoredSize = int32_t(GetU32(b + 516));
  e.Offset = int32_t(GetU32(b + 520));
  e.CRC = GetU32(b + 524);
  e.Stored = b[528] == 1;
  e.Level = b[529];
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= uint64_t(b[536 + i]) << (8 * i);
  std::memcpy(&e.Date, &bits, 8);
  return e;
}

TTrailerBytes EncodeTrailer(const TArchiveTrailer& t) {
  TTrailerBytes b{};
  PutU32(b.data(), t.CRC);
  PutU32(b.data() + 4, uint32_t(t.Count));
  PutU32(b.data() + 8, uint32_t(t.One));
  PutU32(b.data() + 12, uint32_t(t.RegistryLength));
  PutU32(b.data() + 16, uint32_t(t.RegistryOffset));
  b[20] = t.Compressed;
  return b;
}

TArchiveTrailer DecodeTrailer(const uint8_t* b) {
  TArchiveTrailer t;
  t.CRC = GetU32(b);
  t.Count = int32_t(GetU32(b + 4));
  t.One = int32_t(GetU32(b + 8));
  t.RegistryLength = int32_t(GetU32(b + 12));
  t.RegistryOffset = int32_t(GetU32(b + 16));
  t.Compressed = b[20];
  return t;
}

uint32_t UpdateCRC32(uint32_t crc, const void* data, size_t length) {
  const auto* p = static_cast<const Bytef*>(data);
  while (length > 0) {
    uInt piece = length > (1u << 30) ? (1u << 30) : uInt(length);
    crc = uint32_t(crc32(uLong(crc), p, piece));
    p += piece;
    length -= piece;
  }
  return crc;
}

int ZlibLevel(TFileCompressionLevel level) {
  switch (level) {
    case fcNone: return 0;
    case fcFastest: return 1;
    case fcMaximum: return 9;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

int64_t PackPercentage(int64_t storedSize, int64_t fileSize) {
  if (fileSize == 0) return 100;
  return storedSize * 100 / fileSize;
}
