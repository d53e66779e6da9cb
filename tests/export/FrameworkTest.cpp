#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

// Logs the hooks the framework calls and the items it hands over.
class TRecordingFilter : public TExtraFilter {
public:
  using TExtraFilter::TExtraFilter;
  AnsiString Description() const override { return "Recording"; }
  AnsiString Extension() const override { return "REC"; }
  AnsiString FilterName() const override { return "Recording"; }
  void SetGrouping(bool on) { FGrouping = on; }
  std::vector<std::string> Log;
  std::vector<TReportItem> Items;

protected:
  void BeginFile() override {
    TExtraFilter::BeginFile();
    FRowGrouping = FGrouping;
  }
  void BeginPageOutput() override {
    TExtraFilter::BeginPageOutput();
    Log.push_back("page " + std::to_string(FPageCount));
  }
  void EndPageOutput() override { Log.push_back("end page"); }
  void WriteBand(TReportBand& band) override {
    std::string s = "row " + std::to_string(FRowCount) + ":";
    for (TReportItem* item : band) {
      s += " " + item->Text;
      Items.push_back(*item);
    }
    Log.push_back(s);
  }

private:
  bool FGrouping = true;
};

class FrameworkTest : public ::testing::Test {
protected:
  TTempDir Dir;
  std::unique_ptr<TFont> Font = MakeFont();
};

TEST_F(FrameworkTest, UnitConversionsTruncate) {
  EXPECT_EQ(EngineToMicrons(100), 10000);
  EXPECT_EQ(EngineToMicrons(2100), 210000);
  EXPECT_EQ(EngineToMicrons(-100), -10000);
  EXPECT_EQ(MicronsToTwips(10000), 566);
  EXPECT_EQ(MicronsToPoints(10000), 28);
  EXPECT_EQ(MicronsToPixels(10000), 37);
  EXPECT_EQ(PixelsToMicrons(96), 25400);
  EXPECT_EQ(MicronsToPixels(PixelsToMicrons(96)), 95);  // the round trip loses a pixel
}

TEST_F(FrameworkTest, TextRoutines) {
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", " "), "a b ");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(Word16(0x1234), "\x34\x12");
  EXPECT_EQ(ColorToHtml(TColor(0x0080FF)), "#FF8000");
  EXPECT_EQ(ColorToHtml(clWindowText), "#000000");
  EXPECT_EQ(ColorToDigits(TColor(0x0A0BFF)), "255011010");
  EXPECT_EQ(ColorToFractions(clRed), "1.000 0.000 0.000");
  EXPECT_EQ(ColorToFractions(TColor(0x804020)), "0.125 0.251 0.502");
  EXPECT_EQ(PageFileName("/out/report.htm", 1, false), "report0001.htm");
  EXPECT_EQ(PageFileName("/out/report.htm", 12, true), "/out/report0012.htm");
}

TEST_F(FrameworkTest, RowsGatherTextsWithin20MicronsOfTheRowsFirstText) {
  // 1000 units are 100000 um; 1000.19 and 1000.2 add 19 and 20 um.
  ASSERT_EQ(EngineToMicrons(1000.19) - EngineToMicrons(1000), 19);
  ASSERT_EQ(EngineToMicrons(1000.2) - EngineToMicrons(1000), 20);
  ASSERT_EQ(EngineToMicrons(1000.3) - EngineToMicrons(1000), 30);
  TRecordingFilter f(Dir / "out.rec");
  RunExport(f, {{{100, 1000, Font.get(), "a"},
                 {200, 1000.19, Font.get(), "b"},  // joins a's row
                 {300, 1000.2, Font.get(), "c"},   // 20 um: new row
                 {400, 1000.3, Font.get(), "d"}}});  // near c, so c's row
  EXPECT_EQ(f.Log, (std::vector<std::string>{"page 1", "row 0: a b", "row 1: c d", "end page"}));
}

TEST_F(FrameworkTest, RowsRunLeftToRightWhateverTheArrivalOrder) {
  TRecordingFilter f(Dir / "out.rec");
  RunExport(f, {{{1200, 500, Font.get(), "right"}, {100, 500, Font.get(), "left"}, {500, 500, Font.get(), "mid"},
                 {300, 100, Font.get(), "top"}}});
  EXPECT_EQ(f.Log, (std::vector<std::string>{"page 1", "row 0: top", "row 1: left mid right", "end page"}));
  ASSERT_EQ(f.Items.size(), 4u);
  // Sequence numbers keep the arrival order.
  EXPECT_EQ(f.Items[1].SeqNo, 2);
  EXPECT_EQ(f.Items[3].SeqNo, 1);
}

TEST_F(FrameworkTest, EqualPositionsKeepBothTexts) {
  TRecordingFilter f(Dir / "out.rec");
  RunExport(f, {{{100, 100, Font.get(), "one"}, {100, 100, Font.get(), "two"}}});
  EXPECT_EQ(f.Log, (std::vector<std::string>{"page 1", "row 0: one two", "end page"}));
}

TEST_F(FrameworkTest, AlignmentGivesTheLeftEdge) {
  TRecordingFilter f(Dir / "out.rec");
  RunExport(f, {{{1000, 100, Font.get(), "Left", eaLeft},
                 {1000, 200, Font.get(), "Right", eaRight},
                 {1000, 300, Font.get(), "Centre", eaCenter}}});
  ASSERT_EQ(f.Items.size(), 3u);
  for (const TReportItem& item : f.Items) {
    TTextExtent e = MeasureText(*Font, item.Text);
    SCOPED_TRACE(item.Text);
    EXPECT_EQ(item.X, 100000);
    EXPECT_EQ(item.TextWidth, PixelsToMicrons(e.Width));
    EXPECT_EQ(item.Width, item.TextWidth);
    EXPECT_EQ(item.Height, PixelsToMicrons(e.Height));
    EXPECT_GT(item.TextWidth, 0);
    EXPECT_EQ(item.Kind, 1);
    EXPECT_FALSE(item.Sized);
  }
  EXPECT_EQ(f.Items[0].Left, 100000);
  // A right-aligned text ends 2 mm left of x.
  EXPECT_EQ(f.Items[1].Left + f.Items[1].TextWidth, 100000 - 2000);
  EXPECT_EQ(f.Items[2].Left, 100000 - f.Items[2].TextWidth / 2);
}

TEST_F(FrameworkTest, EmptyPagesProduceNothingAndRowsContinueAcrossPages) {
  TRecordingFilter f(Dir / "out.rec");
  RunExport(f, {{{100, 100, Font.get(), "p1a"}, {100, 200, Font.get(), "p1b"}}, {}, {{100, 100, Font.get(), "p3"}}});
  EXPECT_EQ(f.Log, (std::vector<std::string>{"page 1", "row 0: p1a", "row 1: p1b", "end page", "page 2",
                                             "row 2: p3", "end page"}));
  EXPECT_EQ(f.PageCount(), 2);
  EXPECT_EQ(f.RowCount(), 3);
  EXPECT_EQ(f.PaperWidth(), 210000);
  EXPECT_EQ(f.PaperHeight(), 297000);
}

TEST_F(FrameworkTest, WithoutGroupingAWholePageIsOneBand) {
  TRecordingFilter f(Dir / "out.rec");
  f.SetGrouping(false);
  RunExport(f, {{{500, 300, Font.get(), "b"}, {100, 100, Font.get(), "a"}}});
  EXPECT_EQ(f.Log, (std::vector<std::string>{"page 1", "row 0: a b", "end page"}));
}

TEST_F(FrameworkTest, AnUnwritableOutputFileFailsTheStart) {
  TRecordingFilter f(Dir / "missing/folder/out.rec");
  EXPECT_THROW(f.Start(2100, 2970, nullptr), EFCreateError);
}

TEST_F(FrameworkTest, OptionsRegisterTheirWritersInStartOrder) {
  UnregisterExtraFilters();
  TQRExportFilterLibrary& lib = QRExportFilterLibrary();
  size_t before = lib.Filters().size();
  RegisterExtraFilters();
  struct {
    const char* ClassName;
    const char* Description;
    const char* Extension;
  } expected[] = {
      {"TWK1Filter", "Lotus 123 File", "WK1"}, {"TWQ1Filter", "Quattro File", "WQ1"},
      {"TXLSFilter", "Excel File", "XLS"},     {"TBMPFilter", "Bitmap File", "BMP"},
      {"TJPEGFilter", "JPEG File", "JPG"},     {"TRTFFilter", "RTF File", "RTF"},
      {"THTMLFilter", "HTML File", "HTM"},     {"TCSS2Filter", "CSS2 File", "HTM"},
      {"TPDFFilter", "Adobe PDF File", "PDF"},
  };
  ASSERT_EQ(lib.Filters().size(), before + 9);
  for (size_t i = 0; i < 9; ++i) {
    const TQRExportFilterEntry& e = lib.Filters()[before + i];
    SCOPED_TRACE(expected[i].ClassName);
    EXPECT_EQ(e.ClassName, expected[i].ClassName);
    EXPECT_EQ(e.Description, expected[i].Description);
    EXPECT_EQ(e.FilterName, expected[i].Description);
    EXPECT_EQ(e.Extension, expected[i].Extension);
  }
  ExtraOptions().RTF.SetActive(false);
  EXPECT_FALSE(lib.Contains("TRTFFilter"));
  EXPECT_EQ(lib.Filters().size(), before + 8);
  UnregisterExtraFilters();
  EXPECT_EQ(lib.Filters().size(), before);
}

TEST_F(FrameworkTest, OptionsArePublishedWithTheirInitialValues) {
  const TClassInfo& html = THTMLFilterOptions::StaticClass();
  for (const char* name : {"Active", "UseFileName", "PrevLink", "NextLink", "Title"})
    EXPECT_NE(html.FindProp(name), nullptr) << name;
  for (const char* name : {"Creator", "Title", "Author", "Keywords", "Subject"})
    EXPECT_NE(TPDFFilterOptions::StaticClass().FindProp(name), nullptr) << name;
  EXPECT_NE(TBMPFilterOptions::StaticClass().FindProp("PixelFormat"), nullptr);
  TExtraOptions fresh;
  EXPECT_EQ(fresh.HTML.PrevLink, "&lt&lt");
  EXPECT_EQ(fresh.CSS2.NextLink, "&gt&gt");
  EXPECT_EQ(fresh.PDF.Creator, "ROdudeDerovav");
  EXPECT_EQ(fresh.PDF.Author, "ROdudeDerovav");
  EXPECT_EQ(fresh.BMP.PixelFormat, ipf8Bit);
  EXPECT_FALSE(fresh.JPEG.UseFileName);
}

}  // namespace
