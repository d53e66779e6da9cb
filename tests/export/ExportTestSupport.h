// Shared helpers of the export tests: a temporary folder, fonts, a driver
// that feeds pages of texts through a filter, and a record reader for the
// binary spreadsheet formats.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "TXtraFil.h"

namespace exporttest {

namespace fs = std::filesystem;

class TTempDir {
public:
  TTempDir() {
    std::random_device rd;
    Path = fs::temp_directory_path() / ("vorda-export-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(Path);
  }
  ~TTempDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string operator/(const std::string& name) const { return (Path / name).string(); }
  fs::path Path;
};

inline std::unique_ptr<TFont> MakeFont(const char* name = "Arial", int size = 10, TFontStyles style = {},
                                       TColor color = clBlack) {
  auto f = std::make_unique<TFont>();
  f->SetName(name);
  f->SetSize(size);
  f->SetStyle(style);
  f->SetColor(color);
  return f;
}

struct TText {
  double X, Y;
  TFont* Font;
  AnsiString Text;
  TExportAlignment Alignment = eaLeft;
  TColor Background = clWhite;
};
using TPage = std::vector<TText>;

// A4 in tenths of a millimetre unless told otherwise.
inline void RunExport(TQRExportFilter& filter, const std::vector<TPage>& pages, double width = 2100,
                      double height = 2970) {
  filter.Start(width, height, nullptr);
  for (const TPage& page : pages) {
    filter.NewPage();
    for (const TText& t : page) filter.TextOut(t.X, t.Y, t.Font, t.Background, t.Alignment, t.Text);
    filter.EndPage();
  }
  filter.Finish();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// "0F 00 09" → bytes.
inline std::string Bytes(const std::string& hex) {
  std::string out;
  std::istringstream in(hex);
  for (std::string byte; in >> byte;) out += char(std::stoi(byte, nullptr, 16));
  return out;
}

inline int U16(const std::string& s, size_t at) { return uint8_t(s[at]) | (uint8_t(s[at + 1]) << 8); }

struct TRecord {
  int Number;
  std::string Data;
};

// Splits a file of (number u16, length u16, data) records; fails the test
// when a record runs past the end.
inline std::vector<TRecord> Records(const std::string& file) {
  std::vector<TRecord> out;
  size_t at = 0;
  while (at + 4 <= file.size()) {
    int number = U16(file, at), length = U16(file, at + 2);
    EXPECT_LE(at + 4 + size_t(length), file.size()) << "record " << number << " at " << at;
    out.push_back({number, file.substr(at + 4, size_t(length))});
    at += 4 + size_t(length);
  }
  EXPECT_EQ(at, file.size()) << "trailing bytes";
  return out;
}

// The pixel extent of a text through the writers' own unit conversions.
inline int64_t WidthPx(const TFont& f, const AnsiString& text) {
  return MicronsToPixels(PixelsToMicrons(MeasureText(f, text).Width));
}
inline int64_t HeightPx(const TFont& f, const AnsiString& text) {
  return MicronsToPixels(PixelsToMicrons(MeasureText(f, text).Height));
}

}  // namespace exporttest
