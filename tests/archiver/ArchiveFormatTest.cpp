#include "ArchiveFixture.h"

#include <cstring>
#include <random>

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = char(gen());
  return s;
}

std::string TextBytes(size_t n) {
  std::string s;
  for (int i = 0; s.size() < n; ++i) s += "line " + std::to_string(i) + " of some text\n";
  s.resize(n);
  return s;
}

TEST(ArchiveFormat, RecordAndTrailerLayout) {
  TArchiveEntry e;
  e.Name = "orders.dbf";
  e.Path = "\\db\\";
  e.FileSize = 0x01020304;
  e.StoredSize = 7;
  e.Offset = -2;
  e.CRC = 0xCBF43926;
  e.Stored = true;
  e.Level = 3;
  e.Date = 36526.5;
  auto b = EncodeEntry(e);
  EXPECT_EQ(b[0], 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[1]), 10), "orders.dbf");
  EXPECT_EQ(b[11], 0);
  EXPECT_EQ(b[256], 4);
  EXPECT_EQ(b[512], 0x04);
  EXPECT_EQ(b[515], 0x01);
  EXPECT_EQ(b[520], 0xFE);
  EXPECT_EQ(b[523], 0xFF);
  EXPECT_EQ(b[524], 0x26);
  EXPECT_EQ(b[528], 1);
  EXPECT_EQ(b[529], 3);
  double d;
  std::memcpy(&d, &b[536], 8);
  EXPECT_EQ(d, 36526.5);
  TArchiveEntry back = DecodeEntry(b.data());
  EXPECT_EQ(back.Key(), "\\db\\orders.dbf");
  EXPECT_EQ(back.Offset, -2);
  EXPECT_EQ(back.CRC, e.CRC);

  TArchiveEntry longName;
  longName.Name = std::string(300, 'n');
  EXPECT_EQ(DecodeEntry(EncodeEntry(longName).data()).Name.size(), 255u);

  TArchiveTrailer t;
  t.CRC = 1;
  t.Count = 2;
  t.RegistryLength = 3;
  t.RegistryOffset = 4;
  t.Compressed = 1;
  auto tb = EncodeTrailer(t);
  EXPECT_EQ(tb[4], 2);
  EXPECT_EQ(tb[8], 1) << "the constant 1";
  EXPECT_EQ(tb[12], 3);
  EXPECT_EQ(tb[16], 4);
  EXPECT_EQ(tb[20], 1);
  for (size_t i = 21; i < 36; ++i) EXPECT_EQ(tb[i], 0);
}

TEST(ArchiveFormat, CrcIsTheZlibCrc) {
  EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc(""), 0u);
  std::string big = RandomBytes(100000, 1);
  EXPECT_EQ(UpdateCRC32(UpdateCRC32(0, big.data(), 5000), big.data() + 5000, 95000), Crc(big));
}

TEST(ArchiveFormat, PackPercentage) {
  EXPECT_EQ(PackPercentage(0, 0), 100) << "empty members show 100%";
  EXPECT_EQ(PackPercentage(45, 100), 45);
  EXPECT_EQ(PackPercentage(2147483647, 2147483647), 100) << "no overflow near the 32-bit limit";
}

TEST_F(ArchiveTest, MembersRoundTripAtEveryLevel) {
  WriteAll(Dir / "src/text.txt", TextBytes(300000));
  WriteAll(Dir / "src/random.bin", RandomBytes(70000, 2));
  WriteAll(Dir / "src/empty", "");
  struct Case {
    TFileCompressionLevel level;
    int zlibLevel;
  } cases[] = {{fcNone, 0}, {fcFastest, 1}, {fcDefault, Z_DEFAULT_COMPRESSION}, {fcMaximum, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.level));
    std::string arc = Path("l" + std::to_string(int(c.level)) + ".mox");
    TZLBArchive a;
    Prepare(a);
    a.CompressionLevel = c.level;
    a.CreateArchive(arc);
    a.AddFiles({Path("src/text.txt"), Path("src/random.bin"), Path("src/empty")});
    ASSERT_EQ(a.FileCount(), 3);
    std::string bytes = ReadAll(arc);
    for (int i = 0; i < 3; ++i) {
      TArchiveEntry e = a.GetFileEntry(i);
      std::string original = ReadAll(Dir / "src" / e.Name);
      EXPECT_EQ(e.Path, TZLBArchive::KeyPathOf(Path("src/")));
      EXPECT_EQ(e.FileSize, int32_t(original.size()));
      EXPECT_EQ(e.CRC, Crc(original));
      bool compressible = e.Name == "text.txt" && c.level != fcNone;
      EXPECT_EQ(e.Stored, !compressible) << e.Name;
      EXPECT_EQ(e.Level, compressible ? uint8_t(c.level) : 0);
      if (compressible) {
        EXPECT_EQ(bytes.substr(size_t(e.Offset), size_t(e.StoredSize)), Deflate(original, c.zlibLevel))
            << "the member is exactly zlib's stream at that level";
      } else {
        EXPECT_EQ(e.StoredSize, e.FileSize);
      }
      StringSink sink;
      a.CheckCRC = true;
      EXPECT_TRUE(a.ExtractToStream(i, sink));
      EXPECT_EQ(sink.Data, original);
    }
    EXPECT_TRUE(Errors.empty());
  }
}

TEST_F(ArchiveTest, EmptyFileOpensAsArchiveWithoutMembers) {
  WriteAll(Dir / "zero.mox", "");
  TZLBArchive a;
  Prepare(a);
  EXPECT_TRUE(a.OpenArchive(Path("zero.mox")));
  EXPECT_EQ(a.FileCount(), 0);
  EXPECT_FALSE(a.CheckPassword());
}

TEST_F(ArchiveTest, StateErrorsGoThroughTheErrorPath) {
  TZLBArchive a;
  Prepare(a);
  EXPECT_THROW(a.FileCount(), EArchiveError);
  EXPECT_THROW(a.OpenArchive(Path("missing.mox")), EArchiveError);
  a.CreateArchive(Path("fresh"));
  EXPECT_EQ(a.ArchiveFileName(), Path("fresh.ZLB"));
  EXPECT_TRUE(a.IsNew());
  EXPECT_THROW(a.GetFileEntry(0), EArchiveError);
  EXPECT_THROW(a.ExtractFile(Path("out"), "nothing"), EArchiveError);
  EXPECT_EQ(Errors, (std::vector<std::string>{"No archive is currently open", "Archive file not found",
                                              "Index out of bounds", "File not found in archive"}));
}

// Every damaged archive is refused with its message and nothing is written.
TEST_F(ArchiveTest, CorruptArchivesAreRejected) {
  const std::string good = BuildArchive({PasswordMember(), StoredMember("\\d\\", "a.txt", "hello")});
  auto flip = [](std::string s, size_t i) {
    s[i] = char(s[i] ^ 0x40);
    return s;
  };
  struct Case {
    std::string name, bytes, message;
  };
  std::vector<Case> cases;
  for (size_t i = 0; i + ArchiveTrailerSize < good.size(); i += 7)
    cases.push_back({"flip " + std::to_string(i), flip(good, i), "The archive file appears to be corrupted"});
  for (size_t n = 1; n < good.size(); ++n)
    cases.push_back({"truncate " + std::to_string(n), good.substr(0, n), "The archive file appears to be corrupted"});
  const std::string list = "Unable to read archive file list";
  cases.push_back({"negative count", WithTrailer(good, [](TArchiveTrailer& t) { t.Count = -1; }), list});
  cases.push_back({"huge count", WithTrailer(good, [](TArchiveTrailer& t) { t.Count = 0x7FFFFFFF; }), list});
  cases.push_back({"more records", WithTrailer(good, [](TArchiveTrailer& t) { t.Count = 3; }), list});
  cases.push_back({"fewer records", WithTrailer(good, [](TArchiveTrailer& t) { t.Count = 1; }), list});
  cases.push_back({"offset beyond", WithTrailer(good, [](TArchiveTrailer& t) { t.RegistryOffset = 100000; }), list});
  cases.push_back({"negative offset", WithTrailer(good, [](TArchiveTrailer& t) { t.RegistryOffset = -5; }), list});
  cases.push_back({"raw flag on zlib", WithTrailer(good, [](TArchiveTrailer& t) { t.Compressed = 0; }), list});
  const std::string raw = BuildArchive({PasswordMember(), StoredMember("", "a", "x")}, false);
  cases.push_back({"raw count too big", WithTrailer(raw, [](TArchiveTrailer& t) { t.Count = 3; }), list});
  cases.push_back({"garbage registry", BuildArchive({PasswordMember()}, true, "not a zlib stream"), list});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll(Dir / "bad.mox", c.bytes);
    TZLBArchive a;
    Prepare(a);
    Errors.clear();
    EXPECT_THROW(a.OpenArchive(Path("bad.mox")), EArchiveError);
    EXPECT_EQ(Errors, std::vector<std::string>{c.message});
    EXPECT_TRUE(a.ArchiveFileName().empty());
    EXPECT_EQ(ReadAll(Dir / "bad.mox"), c.bytes);
  }
}

TEST_F(ArchiveTest, DamagedMembersFailWhenReadAndLeaveNoFile) {
  const std::string data = TextBytes(5000);
  TRawMember shortStream = StoredMember("", "short", data);
  shortStream.Entry.Stored = false;
  shortStream.Bytes = Deflate(data).substr(0, 100);
  shortStream.Entry.StoredSize = 100;
  TRawMember longer = StoredMember("", "longer", data);
  longer.Entry.Stored = false;
  longer.Bytes = Deflate(data);
  longer.Entry.StoredSize = int32_t(longer.Bytes.size());
  longer.Entry.FileSize = 4000;
  TRawMember fewer = longer;
  fewer.Entry.Name = "fewer";
  fewer.Entry.FileSize = 6000;
  TRawMember outside = StoredMember("", "outside", "abc");
  outside.Entry.Offset = 1 << 20;
  outside.KeepOffset = true;
  TRawMember negative = StoredMember("", "negative", "abc");
  negative.Entry.StoredSize = -3;
  TRawMember badCrc = StoredMember("", "badcrc", "abc");
  badCrc.Entry.CRC ^= 1;
  const std::string arc = BuildArchive({PasswordMember(), shortStream, longer, fewer, outside, negative, badCrc});
  WriteAll(Dir / "m.mox", arc);

  struct Case {
    std::string name, message;
  } cases[] = {{"short", "File (1) is corrupt"},    {"longer", "File (2) is corrupt"},
               {"fewer", "File (3) is corrupt"},    {"outside", "File (4) is corrupt"},
               {"negative", "File (5) is corrupt"}, {"badcrc", "File (6) failed CRC check"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TZLBArchive a;
    Prepare(a);
    a.CheckCRC = true;
    a.OpenArchive(Path("m.mox"));
    Errors.clear();
    EXPECT_THROW(a.ExtractFile(Path("out"), c.name), EArchiveError);
    EXPECT_EQ(Errors, std::vector<std::string>{c.message});
    EXPECT_TRUE(!fs::exists(Dir / "out") || fs::is_empty(Dir / "out")) << "no partial file stays";
  }
  // A CRC mismatch goes unnoticed while checking is off.
  TZLBArchive a;
  Prepare(a);
  a.OpenArchive(Path("m.mox"));
  a.ExtractFile(Path("out"), "badcrc");
  EXPECT_EQ(ReadAll(Dir / "out/badcrc"), "abc");
}

}  // namespace
