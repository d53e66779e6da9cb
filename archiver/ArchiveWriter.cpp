#include "ArchiveWriter.h"

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr size_t BufferSize = 256 * 1024;

AnsiString FolderOf(const AnsiString& file) {
  auto slash = file.rfind('/');
  if (slash == AnsiString::npos) return ".";
  return slash == 0 ? AnsiString("/") : file.substr(0, slash);
}

// zlib state that ends itself.
struct TDeflater {
  z_stream z{};
  bool ok = false;
  explicit TDeflater(int level) { ok = deflateInit(&z, level) == Z_OK; }
  ~TDeflater() {
    if (ok) deflateEnd(&z);
  }
};

}  // namespace

TArchiveWriter::TArchiveWriter(const AnsiString& archiveName) {
  FTempName = CreateTempFile(FolderOf(archiveName), "MOX", FFile);
  FBuffer.reserve(BufferSize);
}

TArchiveWriter::~TArchiveWriter() {
  if (!FCommitted) {
    FFile = TFileHandle();
    ::unlink(FTempName.c_str());
  }
}

void TArchiveWriter::Flush() {
  if (!FBuffer.empty()) {
    FFile.Write(FBuffer.data(), FBuffer.size());
    FBuffer.clear();
  }
}

void TArchiveWriter::Write(const void* data, size_t length) {
  FCrc = UpdateCRC32(FCrc, data, length);
  FPos += int64_t(length);
  if (FBuffer.size() + length > BufferSize) {
    Flush();
    if (length >= BufferSize) {
      FFile.Write(data, length);
      return;
    }
  }
  const auto* p = static_cast<const uint8_t*>(data);
  FBuffer.insert(FBuffer.end(), p, p + length);
}

void TArchiveWriter::CopyFrom(TFileHandle& src, int64_t offset, int64_t length) {
  if (length <= 0) return;
  src.Seek(offset);
  std::vector<uint8_t> buf(BufferSize);
  while (length > 0) {
    size_t piece = size_t(std::min<int64_t>(length, int64_t(buf.size())));
    src.ReadExact(buf.data(), piece);
    Write(buf.data(), piece);
    length -= int64_t(piece);
  }
}

void TArchiveWriter::RewindTo(int64_t position, uint32_t crcThen) {
  Flush();
  FFile.Truncate(position);
  FFile.Seek(position);
  FPos = position;
  FCrc = crcThen;
}

void TArchiveWriter::StoreRaw(TFileHandle& src, int64_t size, uint32_t& fileCrc) {
  std::vector<uint8_t> buf(BufferSize);
  fileCrc = 0;
  src.Seek(0);
  while (size > 0) {
    size_t piece = size_t(std::min<int64_t>(size, int64_t(buf.size())));
    if (src.Read(buf.data(), piece) != piece) throw ESourceReadError("File shrank while reading", 5);
    fileCrc = UpdateCRC32(fileCrc, buf.data(), piece);
    Write(buf.data(), piece);
    size -= int64_t(piece);
  }
}

bool TArchiveWriter::TryCompress(TFileHandle& src, int64_t size, int zlibLevel, uint32_t& fileCrc) {
  TDeflater d(zlibLevel);
  if (!d.ok) return false;
  std::vector<uint8_t> in(BufferSize), out(BufferSize);
  int64_t left = size, produced = 0;
  fileCrc = 0;
  src.Seek(0);
  int flush = Z_NO_FLUSH;
  do {
    if (d.z.avail_in == 0 && flush != Z_FINISH) {
      size_t piece = size_t(std::min<int64_t>(left, int64_t(in.size())));
      if (piece > 0 && src.Read(in.data(), piece) != piece) throw ESourceReadError("File shrank while reading", 5);
      fileCrc = UpdateCRC32(fileCrc, in.data(), piece);
      left -= int64_t(piece);
      d.z.next_in = in.data();
      d.z.avail_in = uInt(piece);
      if (left == 0) flush = Z_FINISH;
    }
    d.z.next_out = out.data();
    d.z.avail_out = uInt(out.size());
    int rc = deflate(&d.z, flush);
    if (rc == Z_STREAM_ERROR) return false;
    size_t have = out.size() - d.z.avail_out;
    produced += int64_t(have);
    // A stream that reaches the file's length can only end up stored.
    if (produced >= size) return false;
    Write(out.data(), have);
    if (rc == Z_STREAM_END) return true;
  } while (true);
}

void TArchiveWriter::StoreFile(TFileHandle& src, int64_t size, TFileCompressionLevel level,
                               TArchiveEntry& entry) {
  int64_t start = FPos;
  uint32_t crcStart = FCrc;
  uint32_t fileCrc = 0;
  // Level 0 and empty files never give a stream shorter than the file.
  bool compressed = level != fcNone && size > 0 && TryCompress(src, size, ZlibLevel(level), fileCrc);
  if (!compressed) {
    RewindTo(start, crcStart);
    StoreRaw(src, size, fileCrc);
  }
  entry.FileSize = int32_t(size);
  entry.StoredSize = int32_t(FPos - start);
  entry.Offset = int32_t(start);
  entry.CRC = fileCrc;
  entry.Stored = !compressed;
  entry.Level = compressed ? uint8_t(level) : 0;
}

bool TArchiveWriter::CompressRegistry(const std::vector<uint8_t>& records, int zlibLevel) {
  TDeflater d(zlibLevel);
  if (!d.ok) return false;
  std::vector<uint8_t> out(BufferSize);
  d.z.next_in = const_cast<Bytef*>(records.data());
  d.z.avail_in = uInt(records.size());
  int rc;
  do {
    d.z.next_out = out.data();
    d.z.avail_out = uInt(out.size());
    rc = deflate(&d.z, Z_FINISH);
    if (rc == Z_STREAM_ERROR) return false;
    Write(out.data(), out.size() - d.z.avail_out);
  } while (rc != Z_STREAM_END);
  return true;
}

void TArchiveWriter::Finish(const std::vector<TArchiveEntry>& entries, TFileCompressionLevel level) {
  TArchiveTrailer trailer;
  trailer.Count = int32_t(entries.size());
  trailer.RegistryOffset = int32_t(FPos);
  if (FPos > ArchiveSizeLimit) throw EInOutError("Archive too large", 27);
  std::vector<uint8_t> records;
  records.reserve(entries.size() * ArchiveEntrySize);
  for (const auto& e : entries) {
    auto b = EncodeEntry(e);
    records.insert(records.end(), b.begin(), b.end());
  }
  int64_t start = FPos;
  uint32_t crcStart = FCrc;
  if (CompressRegistry(records, ZlibLevel(level))) {
    trailer.Compressed = 1;
    trailer.RegistryLength = int32_t(FPos - start);
  } else {
    RewindTo(start, crcStart);
    Write(records.data(), records.size());
    trailer.Compressed = 0;
    trailer.RegistryLength = 0;
  }
  trailer.CRC = FCrc;
  auto bytes = EncodeTrailer(trailer);
  Write(bytes.data(), bytes.size());
  Flush();
  FFile.Sync();
}

void TArchiveWriter::Commit(const AnsiString& target, int permissions) {
  if (fchmod(FFile.Fd(), mode_t(permissions)) != 0) throw EInOutError("Cannot set permissions", errno);
  FFile.Close();
  ReplaceFile(FTempName, target);
  FCommitted = true;
}
