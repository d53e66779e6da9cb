// Opens arbitrary bytes as an archive, lists it and extracts it. Any crash, hang or
// file written outside the destination folder is a finding.
#include "ZLIBArchive.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    char pattern[] = "/tmp/moxarfuzzXXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    return fs::path(pattern);
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path root = WorkDir();
  const fs::path dest = root / "dest";
  const fs::path sentinel = root / "sentinel";
  fs::create_directories(dest);
  fs::create_directories(sentinel);
  // A link inside the destination must never be followed.
  if (!fs::exists(fs::symlink_status(dest / "sub"))) fs::create_directory_symlink(sentinel, dest / "sub");

  std::string bytes(reinterpret_cast<const char*>(data), size);
  // Most inputs would stop at the trailer check; fixing the CRC on odd first bytes
  // lets the fuzzer reach the registry and member readers.
  if (size >= ArchiveTrailerSize && (data[0] & 1)) {
    uint32_t crc = UpdateCRC32(0, data, size - ArchiveTrailerSize);
    for (int i = 0; i < 4; ++i) bytes[size - ArchiveTrailerSize + i] = char(crc >> (8 * i));
  }
  const fs::path archiveName = root / "input.mox";
  std::ofstream(archiveName, std::ios::binary) << bytes;

  std::ostringstream console;
  TZLBArchive archive;
  archive.Console = &console;
  archive.ExtractWithPath = size > 1 && (data[1] & 1);
  archive.CheckCRC = size > 1 && (data[1] & 2);
  try {
    archive.OpenArchive(archiveName.string());
    archive.ListFiles("", true);
    archive.ListFiles("*", false);
    archive.ExtractMatching(dest.string(), "");
  } catch (const EArchiveError&) {
  } catch (const std::exception&) {
  }
  if (!fs::is_empty(sentinel)) std::abort();
  for (auto& entry : fs::directory_iterator(dest))
    if (entry.path().filename() != "sub") fs::remove_all(entry.path());
  return 0;
}
