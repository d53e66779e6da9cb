#include <cstdlib>
#include <regex>

#include "ExportTestSupport.h"

using namespace exporttest;

namespace {

class PdfTest : public ::testing::Test {
protected:
  std::string Export(const std::vector<TPage>& pages, const std::string& name = "out.pdf") {
    TPDFFilter f(Dir / name);
    f.CreationDate = [] { return AnsiString("20240102"); };
    RunExport(f, pages);
    return ReadFile(Dir / name);
  }
  // Runs a command; returns its standard output, or fails the test.
  std::string Run(const std::string& cmd) {
    std::string out = Dir / "cmd.out";
    int rc = std::system((cmd + " > " + out + " 2>&1").c_str());
    EXPECT_EQ(rc, 0) << cmd << "\n" << ReadFile(out);
    return ReadFile(out);
  }
  TTempDir Dir;
  std::unique_ptr<TFont> Arial = MakeFont();
};

std::string Lines(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* l : lines) s += std::string(l) + "\r\n";
  return s;
}

TEST_F(PdfTest, GoldenBytesOfOneText) {
  std::string got = Export({{{100, 100, Arial.get(), "Hi"}}});
  std::string body = Lines({"%PDF-1.2", "1 0 obj", "<< /Type /Catalog ", "/Pages 3 0 R >> ", "endobj",
                            "5 0 obj", "<< /Type /Page ", "/Parent 4 0 R ", "/MediaBox [0 0 595 841] ",
                            "/Resources 9 0 R", "/Contents 6 0 R >> ", "endobj",
                            "9 0 obj", "<<", "/Font << /F0 10 0 R >>", "/ProcSet 8 0 R", ">>", "endobj",
                            "6 0 obj", "<< /Length 7 0 R >> ", "stream",
                            "BT", "/F0 10 Tf", "12 TL", "28 815 Td (Hi) Tj ", "ET",
                            "endstream", "endobj", "7 0 obj", "44", "endobj",
                            "8 0 obj", "[ /PDF /Text ] ", "endobj",
                            "10 0 obj", "<< /Type /Font ", "/Subtype /Type1 ", "/Name /F0 ", "/BaseFont /Helvetica ",
                            "/Encoding /WinAnsiEncoding >>", "endobj",
                            "2 0 obj", "<< /Creator (ROdudeDerovav)", "/CreationDate (D:20240102)", "/Title ()",
                            "/Author (ROdudeDerovav)", "/Producer (ROdudeDerovav)", "/Keywords ()", "/Subject () >>",
                            "endobj",
                            "3 0 obj", "<< /Type /Pages ", "/Kids [ 4 0 R  ] ", "/Count 1 >> ", "endobj",
                            "4 0 obj", "<< /Type /Pages ", "/Kids [  5 0 R ] ", "/Count 1 ", "/Parent 3 0 R >> ",
                            "endobj"});
  ASSERT_GE(got.size(), body.size());
  EXPECT_EQ(got.substr(0, body.size()), body);
  std::string tail = got.substr(body.size());
  std::string expectedTail = Lines({"xref", "0 11", "0000000000 65535 f"});
  ASSERT_EQ(tail.substr(0, expectedTail.size()), expectedTail);
  EXPECT_TRUE(tail.ends_with(Lines({"trailer", "<< /Root 1 0 R ", "/Info 2 0 R ", "/Size 11 >> ", "startxref",
                                    std::to_string(body.size()).c_str()}) + "%%EOF"));
}

// Every cross-reference line is 20 bytes and points at its object's first line.
void CheckXref(const std::string& pdf) {
  size_t xref = pdf.rfind("\r\nxref\r\n");
  ASSERT_NE(xref, std::string::npos);
  xref += 2;
  std::smatch m;
  std::string head = pdf.substr(xref + 6, 40);
  ASSERT_TRUE(std::regex_search(head, m, std::regex("^0 (\\d+)\r\n")));
  int count = std::stoi(m[1]);
  size_t at = xref + 6 + m.length(0);
  EXPECT_EQ(pdf.substr(at, 20), "0000000000 65535 f\r\n");
  for (int n = 1; n < count; ++n) {
    std::string line = pdf.substr(at + 20 * size_t(n), 20);
    ASSERT_TRUE(std::regex_match(line, std::regex("\\d{10} 00000 n\r\n"))) << line;
    size_t offset = std::stoull(line.substr(0, 10));
    std::string expected = std::to_string(n) + " 0 obj\r\n";
    EXPECT_EQ(pdf.substr(offset, expected.size()), expected) << "object " << n;
  }
}

TEST_F(PdfTest, TwentyThreePagesMakeThreeTreeNodes) {
  std::vector<TPage> pages;
  for (int i = 1; i <= 23; ++i) pages.push_back({{100, 100, Arial.get(), "Page " + std::to_string(i)}});
  std::string pdf = Export(pages);
  EXPECT_NE(pdf.find("/Count 23 >> "), std::string::npos);
  std::regex node("<< /Type /Pages \r\n/Kids \\[  [^\\]]* \\] \r\n/Count (\\d+) \r\n/Parent 3 0 R >> ");
  std::vector<int> counts;
  for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), node); it != std::sregex_iterator(); ++it)
    counts.push_back(std::stoi((*it)[1]));
  EXPECT_EQ(counts, (std::vector<int>{10, 10, 3}));
  CheckXref(pdf);
  Run("qpdf --check " + (Dir / "out.pdf"));
  std::string text = Run("pdftotext -f 23 -l 23 " + (Dir / "out.pdf") + " -");
  EXPECT_NE(text.find("Page 23"), std::string::npos);
}

TEST_F(PdfTest, RealReadersGetTheTextsBackInReadingOrder) {
  auto bold = MakeFont("Arial", 12, TFontStyles() << fsBold, clRed);
  auto courier = MakeFont("Courier New", 10);
  std::string pdf = Export({{{100, 300, Arial.get(), "second (line) a\\b"},
                             {100, 100, bold.get(), "Title"},
                             {100, 500, courier.get(), "two\r\nlines"}},
                            {{100, 100, Arial.get(), "Page two"}}});
  CheckXref(pdf);
  Run("qpdf --check " + (Dir / "out.pdf"));
  std::string text = Run("pdftotext " + (Dir / "out.pdf") + " -");
  size_t t = text.find("Title"), s = text.find("second (line) a\\b"), l1 = text.find("two"),
         l2 = text.find("lines"), p2 = text.find("Page two");
  ASSERT_NE(t, std::string::npos) << text;
  ASSERT_NE(s, std::string::npos) << text;
  ASSERT_NE(l2, std::string::npos) << text;
  ASSERT_NE(p2, std::string::npos) << text;
  EXPECT_LT(t, s);
  EXPECT_LT(s, l1);
  EXPECT_LT(l1, l2);
  EXPECT_LT(l2, p2);
  // The written operators: escapes, colours set and reset, the line break.
  EXPECT_NE(pdf.find("(second \\(line\\) a\\\\b) Tj "), std::string::npos);
  EXPECT_NE(pdf.find("BT\r\n1.000 0.000 0.000 rg\r\n/F1 12 Tf\r\n14 TL\r\n"), std::string::npos) << pdf;
  EXPECT_NE(pdf.find(") Tj \r\n0.000 0.000 0.000 rg\r\nET"), std::string::npos);
  EXPECT_NE(pdf.find("(two) Tj T* (lines) Tj "), std::string::npos);
  EXPECT_EQ(pdf.find("BT\r\n0.000"), std::string::npos);  // black texts have no colour
}

TEST_F(PdfTest, FontMapping) {
  struct {
    const char* Name;
    TFontStyles Style;
    const char* Base;
  } cases[] = {{"Arial", TFontStyles() << fsBold, "Helvetica-Bold"},
               {"Arial", TFontStyles() << fsItalic, "Helvetica"},
               {"Arial Narrow", {}, "Helvetica"},
               {"Courier New", {}, "Courier"},
               {"courier", TFontStyles() << fsBold, "Courier-Bold"},
               {"Times New Roman", TFontStyles() << fsBold, "Times-Bold"},
               {"Verdana", TFontStyles() << fsBold, "Times-Roman"},
               {"Times Courier", {}, "Times-Roman"}};  // later rules win
  for (const auto& c : cases) {
    auto f = MakeFont(c.Name, 10, c.Style);
    EXPECT_EQ(PDFBaseFont(*f), c.Base) << c.Name;
  }
}

TEST_F(PdfTest, FontsAreListedOnceAndEveryPageKnowsAllSoFar) {
  auto courier = MakeFont("Courier New", 10);
  std::string pdf = Export({{{100, 100, Arial.get(), "a"}, {100, 200, Arial.get(), "b"}},
                            {{100, 100, courier.get(), "c"}, {100, 200, Arial.get(), "d"}}});
  EXPECT_NE(pdf.find("/Font << /F0 10 0 R >>"), std::string::npos);
  EXPECT_NE(pdf.find("/Font << /F0 10 0 R /F1 16 0 R >>"), std::string::npos) << pdf;
  EXPECT_NE(pdf.find("16 0 obj\r\n<< /Type /Font \r\n/Subtype /Type1 \r\n/Name /F1 \r\n/BaseFont /Courier "),
            std::string::npos);
  CheckXref(pdf);
}

TEST_F(PdfTest, AReportWithoutTextHasAnEmptyTree) {
  std::string pdf = Export({{}, {}});
  EXPECT_NE(pdf.find("3 0 obj\r\n<< /Type /Pages \r\n/Kids [  ] \r\n/Count 0 >> \r\nendobj\r\n"), std::string::npos);
  EXPECT_EQ(pdf.find("/Type /Page \r\n"), std::string::npos);
  CheckXref(pdf);
}

TEST_F(PdfTest, InformationComesFromTheOptions) {
  TPDFFilterOptions& o = ExtraOptions().PDF;
  TPDFFilterOptions saved;
  saved.Title = o.Title;
  o.Title = "Sales";
  o.Subject = "Q1";
  std::string pdf = Export({{{100, 100, Arial.get(), "x"}}});
  o.Title = saved.Title;
  o.Subject = "";
  EXPECT_NE(pdf.find("/Title (Sales)\r\n"), std::string::npos);
  EXPECT_NE(pdf.find("/Subject (Q1) >>\r\n"), std::string::npos);
}

}  // namespace
