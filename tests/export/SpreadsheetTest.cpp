#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

class SpreadsheetTest : public ::testing::Test {
protected:
  TTempDir Dir;
  std::unique_ptr<TFont> Arial = MakeFont();
};

struct TCell {
  int Column, Row;
  std::string Text;
  bool operator==(const TCell&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TCell& c) {
  return os << "(" << c.Column << "," << c.Row << ",'" << c.Text << "')";
}

// Reads the label records of a WK1 or WQ1 file and checks their framing.
std::vector<TCell> LotusCells(const std::string& file, bool quattro) {
  std::vector<TCell> cells;
  for (const TRecord& r : Records(file)) {
    if (r.Number != 0x0F) continue;
    EXPECT_EQ(r.Data[0], '\xFF');
    EXPECT_EQ(r.Data[5], '\'');
    std::string text;
    if (quattro) {
      text = r.Data.substr(7);
      EXPECT_EQ(size_t(uint8_t(r.Data[6])), text.size());
    } else {
      text = r.Data.substr(6, r.Data.size() - 7);
      EXPECT_EQ(r.Data.back(), '\0');
    }
    EXPECT_EQ(r.Data.size(), text.size() + 7);
    cells.push_back({U16(r.Data, 1), U16(r.Data, 3), text});
  }
  return cells;
}

TEST_F(SpreadsheetTest, LotusAndQuattroGoldenBytesForOneText) {
  {
    TWK1Filter f(Dir / "a.wk1");
    RunExport(f, {{{100, 100, Arial.get(), "Hi"}}});
    EXPECT_EQ(ReadFile(Dir / "a.wk1"), Bytes("00 00 02 00 06 04  0F 00 09 00 FF 00 00 00 00 27 48 69 00  01 00 00 00"));
  }
  {
    TWQ1Filter f(Dir / "a.wq1");
    RunExport(f, {{{100, 100, Arial.get(), "Hi"}}});
    EXPECT_EQ(ReadFile(Dir / "a.wq1"), Bytes("00 00 02 00 20 51  0F 00 09 00 FF 00 00 00 00 27 02 48 69  01 00 00 00"));
  }
}

TEST_F(SpreadsheetTest, RowsOutOfOrderPagesAndLineBreaks) {
  // Three texts at 50, 10 and 120 mm; a second row; page 2 continues the rows.
  std::vector<TPage> pages = {{{500, 100, Arial.get(), "fifty"},
                               {100, 100, Arial.get(), "ten"},
                               {1200, 100, Arial.get(), "twelve"},
                               {100, 300, Arial.get(), "two\r\nlines"}},
                              {},
                              {{300, 100, Arial.get(), "next page"}}};
  std::vector<TCell> expected = {
      {0, 0, "ten"}, {1, 0, "fifty"}, {2, 0, "twelve"}, {0, 1, "two lines"}, {0, 2, "next page"}};
  for (bool quattro : {false, true}) {
    SCOPED_TRACE(quattro ? "WQ1" : "WK1");
    std::string name = Dir / (quattro ? "r.wq1" : "r.wk1");
    std::unique_ptr<TExtraFilter> f;
    if (quattro)
      f = std::make_unique<TWQ1Filter>(name);
    else
      f = std::make_unique<TWK1Filter>(name);
    RunExport(*f, pages);
    EXPECT_EQ(LotusCells(ReadFile(name), quattro), expected);
  }
}

TEST_F(SpreadsheetTest, EmptyExportsKeepTheirFrame) {
  TWK1Filter wk1(Dir / "e.wk1");
  RunExport(wk1, {{}, {}});
  EXPECT_EQ(ReadFile(Dir / "e.wk1"), Bytes("00 00 02 00 06 04 01 00 00 00"));
  TWQ1Filter wq1(Dir / "e.wq1");
  RunExport(wq1, {});
  EXPECT_EQ(ReadFile(Dir / "e.wq1"), Bytes("00 00 02 00 20 51 01 00 00 00"));
}

TEST_F(SpreadsheetTest, QuattroCutsLabelsToWhatItsLengthByteHolds) {
  TWQ1Filter f(Dir / "long.wq1");
  RunExport(f, {{{100, 100, Arial.get(), std::string(300, 'x')}}});
  auto cells = LotusCells(ReadFile(Dir / "long.wq1"), true);
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0].Text, std::string(255, 'x'));
}

// The part of an XLS file before the cell-format XF records and after them.
std::string XLSHead() {
  std::string s = Bytes("09 04 06 00 00 00 10 00 00 00") + Bytes("1E 00 08 00 07") + "General";
  for (const char* flags : {"00 00", "01 00", "03 00", "07 00", "0F 00"})
    s += Bytes("31 02 0C 00 C8 00") + Bytes(flags) + Bytes("00 00 05") + "Arial";
  return s;
}

std::string StandardXF() {
  std::string s;
  auto xf = [&](const char* data, int times) {
    for (int i = 0; i < times; ++i) s += Bytes("43 04 0C 00") + Bytes(data);
  };
  xf("01 00 F5 FF 20 F4 00 CE 00 00 00 00", 2);
  xf("02 00 F5 FF 20 F4 00 CE 00 00 00 00", 2);
  xf("00 00 F5 FF 20 F4 00 CE 00 00 00 00", 10);
  xf("00 00 01 00 20 00 00 CE 00 00 00 00", 1);
  for (const char* d : {"05 21", "05 1F", "05 20", "05 1E", "05 0D"})
    xf((std::string(d) + " F5 FF 20 F8 00 CE 00 00 00 00").c_str(), 1);
  return s;
}

std::string Styles() {
  std::string s;
  for (const char* d : {"10 80 03 FF", "11 80 06 FF", "12 80 04 FF", "13 80 07 FF", "00 80 00 FF", "14 80 05 FF"})
    s += Bytes("93 02 04 00") + Bytes(d);
  return s;
}

TEST_F(SpreadsheetTest, ExcelGoldenBytesEmptyAndOneText) {
  TXLSFilter empty(Dir / "e.xls");
  RunExport(empty, {{}});
  EXPECT_EQ(ReadFile(Dir / "e.xls"), XLSHead() + StandardXF() + Styles() + Bytes("0A 00 00 00"));

  TXLSFilter one(Dir / "one.xls");
  RunExport(one, {{{100, 100, Arial.get(), "Hi", eaRight}}});
  std::string expected = XLSHead() + StandardXF() + Bytes("43 04 0C 00 00 00 00 00 03 00 00 00 00 00 00 00") +
                         Styles() + Bytes("04 02 0A 00 00 00 00 00 14 00 02 00") + "Hi" + Bytes("0A 00 00 00");
  EXPECT_EQ(ReadFile(Dir / "one.xls"), expected);
}

TEST_F(SpreadsheetTest, ExcelReusesFontsAndCellFormats) {
  auto bold12 = MakeFont("Arial", 12, TFontStyles() << fsBold);
  auto courier = MakeFont("Courier New", 10, TFontStyles() << fsItalic);
  TXLSFilter f(Dir / "f.xls");
  RunExport(f, {{{100, 100, Arial.get(), "a"},
                 {400, 100, bold12.get(), "b"},
                 {700, 100, courier.get(), "c", eaCenter},
                 {100, 300, bold12.get(), "d"},
                 {400, 300, Arial.get(), "e\r\nf", eaRight}},
                {{100, 100, courier.get(), "g", eaCenter}}});
  auto records = Records(ReadFile(Dir / "f.xls"));
  std::vector<std::string> fonts;
  std::vector<std::string> xfs;
  struct TLabel {
    int Row, Column, XF;
    std::string Text;
  };
  std::vector<TLabel> labels;
  for (const TRecord& r : records) {
    if (r.Number == 0x0231) fonts.push_back(r.Data);
    if (r.Number == 0x0443) xfs.push_back(r.Data);
    if (r.Number == 0x0204) {
      EXPECT_EQ(size_t(U16(r.Data, 6)), r.Data.size() - 8);
      labels.push_back({U16(r.Data, 0), U16(r.Data, 2), U16(r.Data, 4), r.Data.substr(8)});
    }
  }
  ASSERT_EQ(fonts.size(), 7u);  // five primed, then the two new looks
  EXPECT_EQ(fonts[5], Bytes("F0 00 01 00 00 00 05") + "Arial");
  EXPECT_EQ(fonts[6], Bytes("C8 00 02 00 00 00 0B") + "Courier New");
  ASSERT_EQ(xfs.size(), 20u + 4u);
  // Font indexes skip 4: the first new font is index 6.
  EXPECT_EQ(xfs[20], Bytes("00 00 00 00 01 00 00 00 00 00 00 00"));
  EXPECT_EQ(xfs[21], Bytes("06 00 00 00 01 00 00 00 00 00 00 00"));
  EXPECT_EQ(xfs[22], Bytes("07 00 00 00 02 00 00 00 00 00 00 00"));
  EXPECT_EQ(xfs[23], Bytes("00 00 00 00 03 00 00 00 00 00 00 00"));
  ASSERT_EQ(labels.size(), 6u);
  struct {
    int Row, Column, XF;
    const char* Text;
  } expected[] = {{0, 0, 20, "a"}, {0, 1, 21, "b"}, {0, 2, 22, "c"}, {1, 0, 21, "d"}, {1, 1, 23, "e f"}, {2, 0, 22, "g"}};
  for (size_t i = 0; i < labels.size(); ++i) {
    SCOPED_TRACE(expected[i].Text);
    EXPECT_EQ(labels[i].Row, expected[i].Row);
    EXPECT_EQ(labels[i].Column, expected[i].Column);
    EXPECT_EQ(labels[i].XF, expected[i].XF);
    EXPECT_EQ(labels[i].Text, expected[i].Text);
  }
}

}  // namespace
