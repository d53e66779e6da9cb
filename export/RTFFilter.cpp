#include <algorithm>
#include <cstdlib>

#include "TXtraFil.h"

namespace {
constexpr const char* DefaultFont = "Times New Roman";
constexpr int DefaultSize = 12;
constexpr int64_t MarginMicrons = 2500;
constexpr int64_t LetterWidth = 12240, LetterHeight = 15840;

// Letter paper arrives a twip short after the truncating conversions, so a
// size within two twips of Letter counts as Letter.
bool IsLetterSize(int64_t twips, int64_t letter) { return std::llabs(twips - letter) <= 2; }

bool IsBlackOrWhite(TColor c) {
  int32_t rgb = PlainRGB(c);
  return rgb == 0 || rgb == 0xFFFFFF;
}
}  // namespace

void TRTFFilter::BeginFile() {
  TExtraFilter::BeginFile();
  FFontTable.Clear();
  FColorTable.Clear();
  FFontTable.IndexOf(DefaultFont);
  FColorTable.IndexOf(ColorToDigits(clBlack));
  FMarginLeft = FMarginRight = FMarginTop = FMarginBottom = 0;
  WriteToFile("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720");
}

void TRTFFilter::BeginPageOutput() {
  TExtraFilter::BeginPageOutput();
  FMarginLeft = FMarginRight = FMarginTop = FMarginBottom = MicronsToTwips(MarginMicrons);
  FPos = FMarginTop;
}

void TRTFFilter::EndPageOutput() { WriteToBody("\\pard "); }

AnsiString TRTFFilter::TabStops(const TReportBand& band, int& firstWithStop) const {
  AnsiString stops;
  firstWithStop = -1;
  for (int i = 0; i < int(band.size()); ++i) {
    const TReportItem& item = *band[i];
    int64_t x = MicronsToTwips(item.Left) - FMarginLeft;
    int64_t w = MicronsToTwips(item.TextWidth);
    if (x <= 0 && item.Alignment == eaLeft) continue;
    if (firstWithStop < 0) firstWithStop = i;
    if (item.Alignment == eaRight)
      stops += "\\tqr\\tx" + IntToStr(x + w);
    else if (item.Alignment == eaCenter)
      stops += "\\tqc\\tx" + IntToStr(x + w / 2);
    else
      stops += "\\tx" + IntToStr(x);
  }
  return stops;
}

AnsiString TRTFFilter::ItemText(const TReportItem& item, bool tab) {
  AnsiString s = tab ? "\\tab " : "";
  AnsiString look;
  const TFont& font = *item.Font;
  int fontIndex = FFontTable.IndexOf(font.Name());
  if (fontIndex != 0) look += "\\f" + IntToStr(fontIndex) + " ";
  if (PlainRGB(item.BackColor) != 0xFFFFFF)
    look += "\\cb" + IntToStr(FColorTable.IndexOf(ColorToDigits(item.BackColor)) + 1) + " ";
  if (!IsBlackOrWhite(font.Color()))
    look += "\\cf" + IntToStr(FColorTable.IndexOf(ColorToDigits(font.Color())) + 1) + " ";
  if (font.Size() != DefaultSize) look += "\\fs" + IntToStr(font.Size() * 2) + " ";
  if (font.Style().Contains(fsItalic)) look += "\\i ";
  if (font.Style().Contains(fsBold)) look += "\\b ";
  if (font.Style().Contains(fsUnderline)) look += "\\ul ";
  s += look + item.Text;
  if (!look.empty()) s += "\\plain ";
  return s;
}

void TRTFFilter::WriteBand(TReportBand& band) {
  int64_t top = MicronsToTwips(band.front()->Top);
  int64_t height = 0;
  for (const TReportItem* item : band) height = std::max(height, MicronsToTwips(item->TextHeight));
  if (top >= FPos) {
    if (top > FPos) WriteToBody("\\pard\\sl-" + IntToStr(top - FPos) + "\\par \r\n");
    FPos = top + height;
  }
  int firstWithStop;
  AnsiString stops = TabStops(band, firstWithStop);
  if (height > 0) WriteToBody("\\sl-" + IntToStr(height));
  WriteToBody(stops);
  for (int i = 0; i < int(band.size()); ++i)
    WriteToBody(ItemText(*band[i], firstWithStop >= 0 && i >= firstWithStop));
  if (height > 0) WriteToBody("\\par \\pard \r\n");
}

void TRTFFilter::EndFile() {
  AnsiString head = "{\\fonttbl";
  const auto& fonts = FFontTable.Entries();
  for (size_t k = 0; k < fonts.size(); ++k) head += "{\\f" + IntToStr(int64_t(k)) + "\\fnil " + fonts[k] + ";}";
  head += "}{\\colortbl;";
  for (const AnsiString& c : FColorTable.Entries())
    head += "\\red" + c.substr(0, 3) + "\\green" + c.substr(3, 3) + "\\blue" + c.substr(6, 3) + ";";
  head += "}";
  int64_t w = MicronsToTwips(FPaperWidth), h = MicronsToTwips(FPaperHeight);
  if (!IsLetterSize(w, LetterWidth)) head += "\\paperw" + IntToStr(w);
  if (!IsLetterSize(h, LetterHeight)) head += "\\paperh" + IntToStr(h);
  head += "\\margl" + IntToStr(FMarginLeft) + "\\margr" + IntToStr(FMarginRight) + "\\margt" +
          IntToStr(FMarginTop) + "\\margb" + IntToStr(FMarginBottom) + "\r\n";
  WriteToFile(head);
  WriteToFile(FBody);
  WriteToFile("}\r\n");
  TExtraFilter::EndFile();
}
