#include <algorithm>

#include "TXtraFil.h"

namespace {
constexpr int NodeSize = 10;

AnsiString Digits(int64_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
  return buf;
}

AnsiString EscapePDFText(const AnsiString& text) {
  AnsiString out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '(': out += "\\("; break;
      case ')': out += "\\)"; break;
      case '\r': out += ") Tj T* ("; break;
      case '\n': break;
      default: out += c;
    }
  }
  return out;
}
}  // namespace

AnsiString PDFBaseFont(const TFont& font) {
  AnsiString name = UpperCase(font.Name());
  bool bold = font.Style().Contains(fsBold);
  AnsiString base = "Times-Roman";
  if (name.find("COURIER") != AnsiString::npos) base = bold ? "Courier-Bold" : "Courier";
  if (name.find("ARIAL") != AnsiString::npos) base = bold ? "Helvetica-Bold" : "Helvetica";
  if (name.find("TIMES") != AnsiString::npos) base = bold ? "Times-Bold" : "Times-Roman";
  return base;
}

TPDFFilter::TPDFFilter(AnsiString fileName) : TExtraFilter(std::move(fileName)) {
  CreationDate = [] { return FormatDateTime("yyyymmdd", Now()); };
}

void TPDFFilter::Line(const AnsiString& s) {
  WriteToFile(s + "\r\n");
  FOffset += int64_t(s.size()) + 2;
  if (FInStream) FStreamBytes += int64_t(s.size()) + 2;
}

void TPDFFilter::Record(int object) { FXref.emplace_back(object, FOffset); }

void TPDFFilter::BeginFile() {
  TExtraFilter::BeginFile();
  FRowGrouping = false;
  FNextObject = 4;
  FOffset = 0;
  FPages = 0;
  FNodes.clear();
  FFontNames.clear();
  FFontObjects.clear();
  FXref.clear();
  Line("%PDF-1.2");
  Record(1);
  for (const char* s : {"1 0 obj", "<< /Type /Catalog ", "/Pages 3 0 R >> ", "endobj"}) Line(s);
}

void TPDFFilter::BeginPageOutput() {
  TExtraFilter::BeginPageOutput();
  FPageHeightPt = MicronsToPoints(FPaperHeight);
  FPageWidthPt = MicronsToPoints(FPaperWidth);
  if (FPages % NodeSize == 0) FNodes.push_back({NewObject(), {}});
  ++FPages;
  int page = NewObject();
  FNodes.back().Pages.push_back(page);
  Record(page);
  Line(IntToStr(page) + " 0 obj");
  Line("<< /Type /Page ");
  Line("/Parent " + IntToStr(FNodes.back().Object) + " 0 R ");
}

int TPDFFilter::FontFor(const TFont& font) {
  AnsiString base = PDFBaseFont(font);
  auto it = std::find(FFontNames.begin(), FFontNames.end(), base);
  if (it != FFontNames.end()) return int(it - FFontNames.begin());
  FFontNames.push_back(base);
  FFontObjects.push_back(NewObject());
  return int(FFontNames.size()) - 1;
}

void TPDFFilter::WriteBand(TReportBand& band) {
  FContents = NewObject();
  FLength = NewObject();
  FProcSet = NewObject();
  FResources = NewObject();
  TReportBand items = band;
  std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->SeqNo < b->SeqNo; });
  for (const TReportItem* item : items) FontFor(*item->Font);

  Line("/MediaBox [0 0 " + IntToStr(FPageWidthPt) + " " + IntToStr(FPageHeightPt) + "] ");
  Line("/Resources " + IntToStr(FResources) + " 0 R");
  Line("/Contents " + IntToStr(FContents) + " 0 R >> ");
  Line("endobj");

  Record(FResources);
  Line(IntToStr(FResources) + " 0 obj");
  Line("<<");
  if (!FFontNames.empty()) {
    AnsiString fonts = "/Font << ";
    for (size_t k = 0; k < FFontNames.size(); ++k)
      fonts += "/F" + IntToStr(int64_t(k)) + " " + IntToStr(FFontObjects[k]) + " 0 R ";
    Line(fonts + ">>");
  }
  Line("/ProcSet " + IntToStr(FProcSet) + " 0 R");
  Line(">>");
  Line("endobj");

  Record(FContents);
  Line(IntToStr(FContents) + " 0 obj");
  Line("<< /Length " + IntToStr(FLength) + " 0 R >> ");
  Line("stream");
  FStreamBytes = 0;
  FInStream = true;
  for (const TReportItem* item : items) WriteTextItem(*item);
  FInStream = false;
}

void TPDFFilter::WriteTextItem(const TReportItem& item) {
  const TFont& font = *item.Font;
  bool colored = PlainRGB(font.Color()) != 0;
  Line("BT");
  if (colored) Line(ColorToFractions(font.Color()) + " rg");
  Line("/F" + IntToStr(FontFor(font)) + " " + IntToStr(font.Size()) + " Tf");
  Line(IntToStr(font.Size() + 2) + " TL");
  Line(IntToStr(MicronsToPoints(item.Left)) + " " + IntToStr(FPageHeightPt - MicronsToPoints(item.Top) + 2) +
       " Td (" + EscapePDFText(item.Text) + ") Tj ");
  if (colored) Line(ColorToFractions(clBlack) + " rg");
  Line("ET");
}

void TPDFFilter::EndPageOutput() {
  int64_t length = FStreamBytes - 2;
  Line("endstream");
  Line("endobj");
  Record(FLength);
  Line(IntToStr(FLength) + " 0 obj");
  Line(IntToStr(length));
  Line("endobj");
  Record(FProcSet);
  Line(IntToStr(FProcSet) + " 0 obj");
  Line("[ /PDF /Text ] ");
  Line("endobj");
}

void TPDFFilter::WriteFonts() {
  for (size_t k = 0; k < FFontNames.size(); ++k) {
    int f = FFontObjects[k];
    Record(f);
    Line(IntToStr(f) + " 0 obj");
    Line("<< /Type /Font ");
    Line("/Subtype /Type1 ");
    Line("/Name /F" + IntToStr(int64_t(k)) + " ");
    Line("/BaseFont /" + FFontNames[k] + " ");
    Line(FFontNames[k] == "ZapfDingbats" ? "/Encoding /StandardEncoding >>" : "/Encoding /WinAnsiEncoding >>");
    Line("endobj");
  }
}

void TPDFFilter::WriteInfo() {
  const TPDFFilterOptions& o = ExtraOptions().PDF;
  Record(2);
  Line("2 0 obj");
  Line("<< /Creator (" + o.Creator + ")");
  Line("/CreationDate (D:" + CreationDate() + ")");
  Line("/Title (" + o.Title + ")");
  Line("/Author (" + o.Author + ")");
  Line("/Producer (ROdudeDerovav)");
  Line("/Keywords (" + o.Keywords + ")");
  Line("/Subject (" + o.Subject + ") >>");
  Line("endobj");
}

void TPDFFilter::WritePageTree() {
  Record(3);
  Line("3 0 obj");
  Line("<< /Type /Pages ");
  AnsiString kids = "/Kids [ ";
  for (const TPageNode& node : FNodes) kids += IntToStr(node.Object) + " 0 R ";
  Line(kids + " ] ");
  Line("/Count " + IntToStr(FPages) + " >> ");
  Line("endobj");
  for (const TPageNode& node : FNodes) {
    Record(node.Object);
    Line(IntToStr(node.Object) + " 0 obj");
    Line("<< /Type /Pages ");
    AnsiString pages;
    for (int p : node.Pages) pages += " " + IntToStr(p) + " 0 R";
    Line("/Kids [ " + pages + " ] ");
    Line("/Count " + IntToStr(int64_t(node.Pages.size())) + " ");
    Line("/Parent 3 0 R >> ");
    Line("endobj");
  }
}

void TPDFFilter::WriteXref() {
  int64_t start = FOffset;
  std::sort(FXref.begin(), FXref.end());
  Line("xref");
  Line("0 " + IntToStr(int64_t(FXref.size()) + 1));
  Line("0000000000 65535 f");
  for (const auto& [object, offset] : FXref) Line(Digits(offset, 10) + " 00000 n");
  Line("trailer");
  Line("<< /Root 1 0 R ");
  Line("/Info 2 0 R ");
  Line("/Size " + IntToStr(int64_t(FXref.size()) + 1) + " >> ");
  Line("startxref");
  Line(IntToStr(start));
  WriteToFile("%%EOF");
}

void TPDFFilter::EndFile() {
  WriteFonts();
  WriteInfo();
  WritePageTree();
  WriteXref();
  TExtraFilter::EndFile();
}
