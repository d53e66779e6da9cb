#include <algorithm>
#include <filesystem>

#include "TXtraFil.h"

namespace {
constexpr const char* Quote = "\"";

bool IsWhite(TColor c) { return PlainRGB(c) == 0xFFFFFF; }

AnsiString FourDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}
}  // namespace

// --- shared page handling --------------------------------------------------

THTMLPageFilter::~THTMLPageFilter() {
  if (FPage) std::fclose(FPage);
}

AnsiString THTMLPageFilter::PageName(int n, bool withFolder) const {
  AnsiString folder = withFolder ? ExtractFilePath(FFileName) : AnsiString();
  if (UseFileName()) return folder + ExtractFileName(PageFileName(FFileName, n, false));
  return folder + "RPT" + FourDigits(n) + ".HTM";
}

AnsiString THTMLPageFilter::Title() const { return ExtraOptions().HTML.Title; }

AnsiString THTMLPageFilter::Heading(bool lastPage) const {
  AnsiString links;
  AnsiString prev = AnsiString("<A HREF=") + Quote + PageName(FPageCount - 1, false) + Quote + ">" + PrevLink() + "</A>";
  AnsiString next = AnsiString("<A HREF=") + Quote + PageName(FPageCount + 1, false) + Quote + ">" + NextLink() + "</A>";
  if (FPageCount <= 1)
    links = lastPage ? AnsiString() : next;
  else
    links = lastPage ? prev : prev + " " + next;
  return "<H1><B><P ALIGN=CENTER>" + links + "</B></H1>";
}

void THTMLPageFilter::BeginFile() {
  TExtraFilter::BeginFile();
  FLastPageName.clear();
}

void THTMLPageFilter::WriteToFile(const AnsiString& s) {
  if (!FPage) return;
  if (std::fwrite(s.data(), 1, s.size(), FPage) != s.size()) RaiseFileError(FLastPageName);
}

void THTMLPageFilter::BeginPageOutput() {
  TExtraFilter::BeginPageOutput();
  FLastPageName = PageName(FPageCount, true);
  FPage = std::fopen(FLastPageName.c_str(), "wb");
  if (!FPage) RaiseFileError(FLastPageName);
  WritePageStart();
}

void THTMLPageFilter::EndPageOutput() {
  WritePageClose();
  std::fflush(FPage);
  FHeadingOffset = std::ftell(FPage);
  WriteToFile(Heading(false));
  WriteToFile("</BODY>\r\n</HTML>\r\n");
  std::FILE* page = FPage;
  FPage = nullptr;
  if (std::fclose(page) != 0) RaiseFileError(FLastPageName);
}

// Only now is the last page known: its heading is rewritten to link back only.
void THTMLPageFilter::EndFile() {
  DeleteOutputFile();
  if (FLastPageName.empty()) return;
  std::error_code ec;
  std::filesystem::resize_file(FLastPageName, std::uintmax_t(FHeadingOffset), ec);
  FPage = ec ? nullptr : std::fopen(FLastPageName.c_str(), "ab");
  if (!FPage) RaiseFileError(FLastPageName);
  WriteToFile(Heading(true));
  WriteToFile("</BODY>\r\n</HTML>\r\n");
  std::FILE* page = FPage;
  FPage = nullptr;
  if (std::fclose(page) != 0) RaiseFileError(FLastPageName);
}

// --- table layout ----------------------------------------------------------

bool THTMLFilter::UseFileName() const { return ExtraOptions().HTML.UseFileName; }
AnsiString THTMLFilter::PrevLink() const { return ExtraOptions().HTML.PrevLink; }
AnsiString THTMLFilter::NextLink() const { return ExtraOptions().HTML.NextLink; }

void THTMLFilter::WritePageStart() {
  WriteToFile("<HTML>\r\n<TITLE>" + Title() + "</TITLE>\r\n");
  WriteToFile(AnsiString("<HEAD>\r\n<STYLE TYPE=") + Quote + "text/css" + Quote + ">\r\n<!--\r\n");
  WriteToFile("  TD { font-size: 10pt; font-family: sans-serif }\r\n-->\r\n</STYLE>\r\n</HEAD>\r\n");
  WriteToFile("<BODY LEFTMARGIN=0 TOPMARGIN=0>\r\n");
  FPos = 0;
}

void THTMLFilter::BeginRow() {
  TExtraFilter::BeginRow();
  FUsedWidth = 0;
  WriteToFile("<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0 WIDTH=" + IntToStr(PageWidthPx()) + ">\r\n");
}

namespace {
bool NeedsStyle(const TFont& f) {
  return PlainRGB(f.Color()) != 0 || f.Name() != "Arial" || f.Size() != 10 || f.Style().Contains(fsItalic) ||
         f.Style().Contains(fsBold) || f.Style().Contains(fsUnderline);
}

AnsiString FontStyles(const TFont& f, const char* separator) {
  AnsiString s;
  if (f.Style().Contains(fsItalic)) s += separator + AnsiString("font-style: italic;");
  if (f.Style().Contains(fsBold)) s += separator + AnsiString("font-weight: bold;");
  if (f.Style().Contains(fsUnderline)) s += separator + AnsiString("text-decoration: underline;");
  return s;
}
}  // namespace

AnsiString THTMLFilter::CellText(const TReportItem& item, int64_t& previousEnd) {
  AnsiString s;
  int64_t t = MicronsToPixels(item.Top), h = MicronsToPixels(item.Height);
  int64_t x = MicronsToPixels(item.X), w = MicronsToPixels(item.Width);
  if (t >= FPos) {
    if (t > FPos) WriteToFile("<TR><TD HEIGHT=" + IntToStr(t - FPos) + "></TD>\r\n");
    s = "<TR VALIGN=TOP>";
    FPos = t + h;
  } else if (t + h > FPos) {
    FPos = t + h;
  }
  s += "<TD WIDTH=" + IntToStr(x - previousEnd) + "></TD><TD WIDTH=" + IntToStr(w) + " HEIGHT=" + IntToStr(h);
  FUsedWidth += (x - previousEnd) + w;
  if (!IsWhite(item.BackColor)) s += " BGCOLOR= " + ColorToHtml(item.BackColor);
  if (item.Alignment == eaRight) s += " ALIGN=RIGHT";
  if (item.Alignment == eaCenter) s += " ALIGN=CENTER";
  const TFont& f = *item.Font;
  if (NeedsStyle(f))
    s += AnsiString(" STYLE=") + Quote + "font-size: " + IntToStr(f.Size()) + "pt; font-family: " + f.Name() +
         "; color: " + ColorToHtml(f.Color()) + ";" + FontStyles(f, " ") + Quote;
  s += ">" + item.Text + "</TD>";
  previousEnd = x + w;
  return s;
}

void THTMLFilter::WriteBand(TReportBand& band) {
  int64_t previousEnd = 0;
  for (const TReportItem* item : band) WriteToFile(CellText(*item, previousEnd));
}

void THTMLFilter::EndRow() {
  if (PageWidthPx() > FUsedWidth) WriteToFile("<TD WIDTH=" + IntToStr(PageWidthPx() - FUsedWidth) + "></TD>");
  WriteToFile("\r\n</TABLE>\r\n");
  TExtraFilter::EndRow();
}

// --- absolute positions ----------------------------------------------------

bool TCSS2Filter::UseFileName() const { return ExtraOptions().CSS2.UseFileName; }
AnsiString TCSS2Filter::PrevLink() const { return ExtraOptions().CSS2.PrevLink; }
AnsiString TCSS2Filter::NextLink() const { return ExtraOptions().CSS2.NextLink; }

void TCSS2Filter::WritePageStart() {
  WriteToFile("<HTML>\r\n<TITLE>" + Title() + "</TITLE>\r\n<BODY LEFTMARGIN=0 TOPMARGIN=0>\r\n");
  WriteToFile("<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0 WIDTH=" + IntToStr(PageWidthPx()) + ">\r\n");
  WriteToFile("<TR><TD HEIGHT=" + IntToStr(PageHeightPx()) + ">");
}

void TCSS2Filter::WritePageClose() { WriteToFile("</TD></TABLE>\r\n"); }

void TCSS2Filter::WriteBand(TReportBand& band) {
  TReportBand items = band;
  std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->SeqNo < b->SeqNo; });
  for (const TReportItem* item : items) {
    const TFont& f = *item->Font;
    AnsiString s = AnsiString("<DIV STYLE=") + Quote + "position: absolute;left: " +
                   IntToStr(MicronsToPixels(item->X)) + "px;top: " + IntToStr(MicronsToPixels(item->Top)) +
                   "px;width: " + IntToStr(MicronsToPixels(item->Width)) + "px;height: " +
                   IntToStr(MicronsToPixels(item->Height)) + "px;z-index: " + IntToStr(item->SeqNo) + ";";
    if (!IsWhite(item->BackColor)) s += "background-color: " + ColorToHtml(item->BackColor) + ";";
    if (item->Alignment == eaRight) s += "text-align: right;";
    if (item->Alignment == eaCenter) s += "text-align: center;";
    s += "font-size: " + IntToStr(f.Size()) + "pt;font-family: " + f.Name() + ";color: " + ColorToHtml(f.Color()) +
         ";" + FontStyles(f, "") + Quote + ">" + item->Text + "</DIV>\r\n";
    WriteToFile(s);
  }
}
