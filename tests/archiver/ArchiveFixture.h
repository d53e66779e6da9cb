// A fresh temporary folder per test, file helpers, and a builder for archives with
// arbitrary (also hostile) registry contents.
#pragma once

#include "ArchiveFormat.h"
#include "ZLIBArchive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <zlib.h>

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

inline void WriteAll(const fs::path& p, const std::string& data) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << data;
}

inline std::string Deflate(const std::string& data, int level = Z_DEFAULT_COMPRESSION) {
  uLongf size = compressBound(uLong(data.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
            uLong(data.size()), level);
  out.resize(size);
  return out;
}

inline uint32_t Crc(const std::string& s) { return UpdateCRC32(0, s.data(), s.size()); }

// One member of a hand-made archive: its record and the bytes placed in the data
// area. Offset is filled in unless KeepOffset is set.
struct TRawMember {
  TArchiveEntry Entry;
  std::string Bytes;
  bool KeepOffset = false;
};

inline TRawMember StoredMember(const std::string& path, const std::string& name, const std::string& data) {
  TRawMember m;
  m.Entry.Name = name;
  m.Entry.Path = path;
  m.Entry.FileSize = int32_t(data.size());
  m.Entry.StoredSize = int32_t(data.size());
  m.Entry.CRC = Crc(data);
  m.Entry.Stored = true;
  m.Bytes = data;
  return m;
}

inline TRawMember PasswordMember(const std::string& password = "") {
  return StoredMember("", "moxarpwd" + password, " \r\n");
}

// Archive bytes with a correct trailer CRC; the registry raw or as a zlib stream.
inline std::string BuildArchive(std::vector<TRawMember> members, bool compressRegistry = true,
                                const std::string& registryOverride = std::string()) {
  std::string data;
  for (auto& m : members) {
    if (!m.KeepOffset) m.Entry.Offset = int32_t(data.size());
    data += m.Bytes;
  }
  std::string records;
  for (auto& m : members) {
    auto b = EncodeEntry(m.Entry);
    records.append(reinterpret_cast<const char*>(b.data()), b.size());
  }
  std::string registry = registryOverride.empty() ? (compressRegistry ? Deflate(records) : records) : registryOverride;
  TArchiveTrailer t;
  t.Count = int32_t(members.size());
  t.RegistryOffset = int32_t(data.size());
  t.Compressed = compressRegistry ? 1 : 0;
  t.RegistryLength = compressRegistry ? int32_t(registry.size()) : 0;
  std::string body = data + registry;
  t.CRC = Crc(body);
  auto tb = EncodeTrailer(t);
  return body + std::string(reinterpret_cast<const char*>(tb.data()), tb.size());
}

// Rewrites the trailer of archive bytes after changing it, keeping the CRC right.
inline std::string WithTrailer(std::string bytes, void (*change)(TArchiveTrailer&)) {
  size_t at = bytes.size() - ArchiveTrailerSize;
  TArchiveTrailer t = DecodeTrailer(reinterpret_cast<const uint8_t*>(bytes.data() + at));
  change(t);
  t.CRC = Crc(bytes.substr(0, at));
  auto tb = EncodeTrailer(t);
  bytes.replace(at, ArchiveTrailerSize, reinterpret_cast<const char*>(tb.data()), tb.size());
  return bytes;
}

class StringSink : public TByteSink {
public:
  void Write(const void* data, size_t length) override { Data.append(static_cast<const char*>(data), length); }
  std::string Data;
};

class ArchiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/moxartestXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Dir = fs::path(pattern);
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& p : fs::recursive_directory_iterator(Dir, ec))
      fs::permissions(p.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Dir, ec);
  }
  // An archive component writing its console lines into Out and its errors into Errors.
  void Prepare(TZLBArchive& a) {
    a.Console = &Out;
    a.OnErrorLogged = [this](const AnsiString& m) { Errors.push_back(m); };
  }
  std::string Path(const std::string& rel) const { return (Dir / rel).string(); }

  fs::path Dir;
  std::ostringstream Out;
  std::vector<std::string> Errors;
};
