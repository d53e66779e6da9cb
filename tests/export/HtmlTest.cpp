#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

class HtmlTest : public ::testing::Test {
protected:
  TTempDir Dir;
  std::unique_ptr<TFont> Arial = MakeFont();
};

const char* const HtmlHead =
    "<HTML>\r\n<TITLE></TITLE>\r\n<HEAD>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n"
    "  TD { font-size: 10pt; font-family: sans-serif }\r\n-->\r\n</STYLE>\r\n</HEAD>\r\n"
    "<BODY LEFTMARGIN=0 TOPMARGIN=0>\r\n";

TEST_F(HtmlTest, GoldenPageOfOneText) {
  THTMLFilter f(Dir / "report.htm");
  RunExport(f, {{{100, 100, Arial.get(), "a<b"}}});
  EXPECT_FALSE(fs::exists(Dir / "report.htm"));
  int64_t w = WidthPx(*Arial, "a<b"), h = HeightPx(*Arial, "a<b");
  // 10 mm are 37 pixels; A4 is 793 pixels wide. The only page links nowhere.
  std::string expected = std::string(HtmlHead) + "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0 WIDTH=793>\r\n" +
                         "<TR><TD HEIGHT=37></TD>\r\n<TR VALIGN=TOP><TD WIDTH=37></TD><TD WIDTH=" + std::to_string(w) +
                         " HEIGHT=" + std::to_string(h) + ">a<b</TD><TD WIDTH=" + std::to_string(793 - 37 - w) +
                         "></TD>\r\n</TABLE>\r\n<H1><B><P ALIGN=CENTER></B></H1></BODY>\r\n</HTML>\r\n";
  EXPECT_EQ(ReadFile(Dir / "RPT0001.HTM"), expected);
}

TEST_F(HtmlTest, GoldenPageOfOneTextInCss2) {
  TCSS2Filter f(Dir / "report.htm");
  RunExport(f, {{{100, 100, Arial.get(), "a<b"}}});
  int64_t w = WidthPx(*Arial, "a<b"), h = HeightPx(*Arial, "a<b");
  std::string expected =
      "<HTML>\r\n<TITLE></TITLE>\r\n<BODY LEFTMARGIN=0 TOPMARGIN=0>\r\n"
      "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0 WIDTH=793>\r\n<TR><TD HEIGHT=1122>"
      "<DIV STYLE=\"position: absolute;left: 37px;top: 37px;width: " + std::to_string(w) + "px;height: " +
      std::to_string(h) + "px;z-index: 1;font-size: 10pt;font-family: Arial;color: #000000;\">a<b</DIV>\r\n"
      "</TD></TABLE>\r\n<H1><B><P ALIGN=CENTER></B></H1></BODY>\r\n</HTML>\r\n";
  EXPECT_EQ(ReadFile(Dir / "RPT0001.HTM"), expected);
}

TEST_F(HtmlTest, PagesLinkForwardAndTheLastOnlyBack) {
  for (bool css : {false, true}) {
    SCOPED_TRACE(css ? "CSS2" : "HTML");
    TTempDir dir;
    std::unique_ptr<TExtraFilter> f;
    if (css)
      f = std::make_unique<TCSS2Filter>(dir / "report.htm");
    else
      f = std::make_unique<THTMLFilter>(dir / "report.htm");
    RunExport(*f, {{{100, 100, Arial.get(), "1"}}, {}, {{100, 100, Arial.get(), "2"}}, {{100, 100, Arial.get(), "3"}}});
    std::string p1 = ReadFile(dir / "RPT0001.HTM"), p2 = ReadFile(dir / "RPT0002.HTM"),
                p3 = ReadFile(dir / "RPT0003.HTM");
    EXPECT_FALSE(fs::exists(dir / "RPT0004.HTM"));
    EXPECT_FALSE(fs::exists(dir / "report.htm"));
    EXPECT_NE(p1.find("<H1><B><P ALIGN=CENTER><A HREF=\"RPT0002.HTM\">&gt&gt</A></B></H1></BODY>\r\n</HTML>\r\n"),
              std::string::npos);
    EXPECT_NE(p2.find("<P ALIGN=CENTER><A HREF=\"RPT0001.HTM\">&lt&lt</A> <A HREF=\"RPT0003.HTM\">&gt&gt</A></B>"),
              std::string::npos);
    EXPECT_TRUE(p3.ends_with("<H1><B><P ALIGN=CENTER><A HREF=\"RPT0002.HTM\">&lt&lt</A></B></H1></BODY>\r\n</HTML>\r\n"))
        << p3;
  }
}

TEST_F(HtmlTest, PagesNamedAfterTheOutputFile) {
  ExtraOptions().HTML.UseFileName = true;
  THTMLFilter f(Dir / "sales.htm");
  RunExport(f, {{{100, 100, Arial.get(), "1"}}, {{100, 100, Arial.get(), "2"}}});
  ExtraOptions().HTML.UseFileName = false;
  EXPECT_TRUE(fs::exists(Dir / "sales0001.htm"));
  EXPECT_NE(ReadFile(Dir / "sales0001.htm").find("HREF=\"sales0002.htm\""), std::string::npos);
  EXPECT_FALSE(fs::exists(Dir / "sales.htm"));
}

TEST_F(HtmlTest, SpacerRowBetweenRowsAndCellLooks) {
  auto bold = MakeFont("Arial", 10, TFontStyles() << fsBold);
  auto italic = MakeFont("Courier New", 12, TFontStyles() << fsItalic << fsUnderline, clRed);
  THTMLFilter f(Dir / "r.htm");
  // Rows at 10 and 15 mm; texts at 20 and 100 mm in the second row.
  RunExport(f, {{{100, 100, Arial.get(), "plain", eaLeft, clWhite},
                 {200, 150, bold.get(), "bold", eaRight, clYellow},
                 {1000, 150, italic.get(), "it", eaCenter}}});
  std::string page = ReadFile(Dir / "RPT0001.HTM");
  int64_t h = HeightPx(*Arial, "plain");
  EXPECT_NE(page.find("<TR><TD HEIGHT=" + std::to_string(56 - (37 + h)) + "></TD>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find(">plain</TD>"), std::string::npos);
  EXPECT_EQ(page.find("BGCOLOR= #FFFFFF"), std::string::npos);
  // The spacer runs from the end of the previous cell to the engine's x.
  int64_t boldEnd = 75 + WidthPx(*bold, "bold");
  EXPECT_NE(page.find("<TR VALIGN=TOP><TD WIDTH=75></TD><TD WIDTH=" + std::to_string(WidthPx(*bold, "bold")) +
                      " HEIGHT=" + std::to_string(HeightPx(*bold, "bold")) +
                      " BGCOLOR= #FFFF00 ALIGN=RIGHT STYLE=\"font-size: 10pt; font-family: Arial; color: #000000;"
                      " font-weight: bold;\">bold</TD><TD WIDTH=" + std::to_string(377 - boldEnd) + "></TD>"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find(" ALIGN=CENTER STYLE=\"font-size: 12pt; font-family: Courier New; color: #FF0000;"
                      " font-style: italic; text-decoration: underline;\">it</TD>"),
            std::string::npos);
}

TEST_F(HtmlTest, Css2DivsInArrivalOrderWithTheirLooks) {
  auto bold = MakeFont("Times New Roman", 14, TFontStyles() << fsBold, clBlue);
  TCSS2Filter f(Dir / "r.htm");
  RunExport(f, {{{1000, 100, bold.get(), "second", eaRight, clSilver}, {100, 100, Arial.get(), "first", eaCenter}}});
  std::string page = ReadFile(Dir / "RPT0001.HTM");
  size_t a = page.find("z-index: 1;background-color: #C0C0C0;text-align: right;font-size: 14pt;"
                       "font-family: Times New Roman;color: #0000FF;font-weight: bold;\">second</DIV>");
  size_t b = page.find("z-index: 2;text-align: center;font-size: 10pt;font-family: Arial;color: #000000;\">first</DIV>");
  ASSERT_NE(a, std::string::npos) << page;
  ASSERT_NE(b, std::string::npos) << page;
  EXPECT_LT(a, b);
}

TEST_F(HtmlTest, AnUnwritablePageFileEndsTheExport) {
  fs::create_directories(Dir.Path / "RPT0001.HTM");  // a folder where the page should go
  THTMLFilter f(Dir / "r.htm");
  f.Start(2100, 2970, nullptr);
  f.NewPage();
  f.TextOut(100, 100, Arial.get(), clWhite, eaLeft, "x");
  try {
    f.EndPage();
    FAIL() << "no error";
  } catch (const EPrinter& e) {
    EXPECT_EQ(std::string(e.what()), "File Error: " + (Dir / "RPT0001.HTM"));
  }
}

TEST_F(HtmlTest, PagesLoadInHeadlessChromiumWhenInstalled) {
  std::string browser;
  for (const char* candidate : {"chromium", "chromium-browser", "google-chrome"})
    if (std::system((std::string("command -v ") + candidate + " >/dev/null 2>&1").c_str()) == 0) browser = candidate;
  if (browser.empty()) GTEST_SKIP() << "no Chromium installed";
  THTMLFilter f(Dir / "r.htm");
  RunExport(f, {{{100, 100, Arial.get(), "Chromium sees this"}}});
  std::string cmd = browser + " --headless --no-sandbox --disable-gpu --dump-dom file://" + (Dir / "RPT0001.HTM") +
                    " > " + (Dir / "dom.txt") + " 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_NE(ReadFile(Dir / "dom.txt").find("Chromium sees this"), std::string::npos);
}

}  // namespace
