#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

class RtfTest : public ::testing::Test {
protected:
  std::string Export(const std::vector<TPage>& pages, double w = 2100, double h = 2970) {
    TRTFFilter f(Dir / "out.rtf");
    RunExport(f, pages, w, h);
    return ReadFile(Dir / "out.rtf");
  }
  static std::string Twips(const TFont& font, const AnsiString& text) {
    return std::to_string(MicronsToTwips(PixelsToMicrons(MeasureText(font, text).Height)));
  }
  TTempDir Dir;
  std::unique_ptr<TFont> Arial = MakeFont();
};

TEST_F(RtfTest, GoldenBytesForOneTextAtTheLeftMargin) {
  // 25 units are the 2.5 mm margin: no tab stop, no \tab.
  std::string got = Export({{{25, 25, Arial.get(), "Hi"}}});
  std::string expected =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Times New Roman;}{\\f1\\fnil Arial;}}"
      "{\\colortbl;\\red000\\green000\\blue000;}\\paperw11905\\paperh16837\\margl141\\margr141\\margt141\\margb141\r\n"
      "\\sl-" + Twips(*Arial, "Hi") + "\\f1 \\fs20 Hi\\plain \\par \\pard \r\n\\pard }\r\n";
  EXPECT_EQ(got, expected);
}

TEST_F(RtfTest, PaperSizeWordsOnlyForOtherThanLetter) {
  struct {
    const char* Name;
    double Width, Height;
    const char* Words;
  } cases[] = {{"Letter", 2159, 2794, "}\\margl"},
               {"A4", 2100, 2970, "}\\paperw11905\\paperh16837\\margl"},
               {"Letter landscape", 2794, 2159, "}\\paperw15839\\paperh12239\\margl"}};
  for (const auto& c : cases) {
    std::string got = Export({{{100, 100, Arial.get(), "x"}}}, c.Width, c.Height);
    EXPECT_NE(got.find(c.Words), std::string::npos) << c.Name << ": " << got.substr(0, 200);
  }
}

TEST_F(RtfTest, GapsTabStopsAndLooks) {
  auto red = MakeFont("Arial", 10, TFontStyles() << fsBold, clRed);
  auto times = MakeFont("Times New Roman", 12, TFontStyles() << fsItalic << fsUnderline);
  // Row 1 at 10 mm: a left text at 30 mm and a right one at 150 mm.
  // Row 2 at 20 mm: bold red Arial centred at 100 mm, on yellow.
  std::string got = Export({{{300, 100, times.get(), "left"},
                             {1500, 100, Arial.get(), "right", eaRight},
                             {1000, 200, red.get(), "(c)", eaCenter, clYellow}}});
  // The margin's 141 twips down to 10 mm (566) is the first gap; the second
  // is from the end of row 1 to 20 mm (1133).
  int64_t h1 = std::max(std::stoll(Twips(*Arial, "right")), std::stoll(Twips(*times, "left")));
  EXPECT_NE(got.find("\\pard\\sl-425\\par \r\n"), std::string::npos);
  EXPECT_NE(got.find("\\pard\\sl-" + std::to_string(1133 - 566 - h1) + "\\par \r\n"), std::string::npos);

  auto tw = [](const TFont& f, const char* s) { return MicronsToTwips(PixelsToMicrons(MeasureText(f, s).Width)); };
  int64_t rightLeft = MicronsToTwips(150000 - PixelsToMicrons(MeasureText(*Arial, "right").Width) - 2000) - 141;
  std::string row1 = "\\sl-" + std::to_string(h1) + "\\tx" + std::to_string(MicronsToTwips(30000) - 141) +
                     "\\tqr\\tx" + std::to_string(rightLeft + tw(*Arial, "right")) + "\\tab \\i \\ul left\\plain " +
                     "\\tab \\f1 \\fs20 right\\plain \\par \\pard \r\n";
  EXPECT_NE(got.find(row1), std::string::npos) << got;
  // Font 1 Arial, background yellow = colour 2, red = colour 3.
  EXPECT_NE(got.find("\\tab \\f1 \\cb2 \\cf3 \\fs20 \\b (c)\\plain \\par"), std::string::npos) << got;
  EXPECT_NE(got.find("{\\colortbl;\\red000\\green000\\blue000;\\red255\\green255\\blue000;\\red255\\green000\\blue000;}"),
            std::string::npos);
  EXPECT_NE(got.find("\\tqc\\tx"), std::string::npos);
}

TEST_F(RtfTest, AReportWithoutTextHasZeroMargins) {
  std::string got = Export({{}, {}});
  EXPECT_EQ(got,
            "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Times New Roman;}}"
            "{\\colortbl;\\red000\\green000\\blue000;}\\paperw11905\\paperh16837\\margl0\\margr0\\margt0\\margb0\r\n"
            "}\r\n");
}

TEST_F(RtfTest, PagesFollowEachOtherWithoutBreaks) {
  std::string got = Export({{{100, 100, Arial.get(), "one"}}, {{100, 100, Arial.get(), "two"}}});
  EXPECT_EQ(got.find("\\page"), std::string::npos);
  // Each page starts at the top margin again.
  size_t first = got.find("\\pard\\sl-425\\par ");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(got.find("\\pard\\sl-425\\par ", first + 1), std::string::npos);
  EXPECT_EQ(got.substr(got.size() - 9), "\\pard }\r\n");
}

}  // namespace
