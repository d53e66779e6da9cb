// Builds a new archive file beside the archive it will replace, keeping the CRC of
// everything written so that the trailer needs no second pass over the file.
#pragma once

#include "ArchiveFormat.h"
#include "FileSystem.h"

#include <vector>

// A failure to read the file being stored (as opposed to writing the archive).
class ESourceReadError : public EInOutError {
  using EInOutError::EInOutError;
};

class TArchiveWriter {
public:
  // Creates the temporary file "MOX……" in the folder of archiveName.
  explicit TArchiveWriter(const AnsiString& archiveName);
  // Removes the temporary file unless Commit succeeded.
  ~TArchiveWriter();
  TArchiveWriter(const TArchiveWriter&) = delete;
  TArchiveWriter& operator=(const TArchiveWriter&) = delete;

  int64_t Position() const { return FPos; }
  const AnsiString& TempName() const { return FTempName; }

  void Write(const void* data, size_t length);
  // Appends length bytes of src starting at offset.
  void CopyFrom(TFileHandle& src, int64_t offset, int64_t length);
  // Appends the size bytes of src as a zlib stream at level when that is shorter
  // than the file, else the bytes themselves; fills CRC, sizes, flags and level.
  void StoreFile(TFileHandle& src, int64_t size, TFileCompressionLevel level, TArchiveEntry& entry);
  // Forgets everything written after position (which must have been Position() then).
  void RewindTo(int64_t position, uint32_t crcThen);
  uint32_t RunningCRC() const { return FCrc; }

  // Writes registry and trailer and flushes the file to disk.
  void Finish(const std::vector<TArchiveEntry>& entries, TFileCompressionLevel level);
  // Replaces target with the finished file, which gets the given permission bits.
  void Commit(const AnsiString& target, int permissions);

private:
  void Flush();
  void StoreRaw(TFileHandle& src, int64_t size, uint32_t& fileCrc);
  bool TryCompress(TFileHandle& src, int64_t size, int zlibLevel, uint32_t& fileCrc);
  bool CompressRegistry(const std::vector<uint8_t>& records, int zlibLevel);

  AnsiString FTempName;
  TFileHandle FFile;
  std::vector<uint8_t> FBuffer;
  int64_t FPos = 0;
  uint32_t FCrc = 0;
  bool FCommitted = false;
};
