#include "TXtraFil.h"

namespace {

// A label's text: line breaks become spaces; cut to what the record can hold.
AnsiString CellText(const AnsiString& text, size_t limit) {
  AnsiString s = ReplaceAll(text, "\r\n", " ");
  if (s.size() > limit) s.resize(limit);
  return s;
}

AnsiString Record(uint16_t number, const AnsiString& data) {
  return Word16(number) + Word16(uint32_t(data.size())) + data;
}

}  // namespace

// --- WK1 and WQ1 -----------------------------------------------------------

void TWK1Filter::BeginFile() {
  TExtraFilter::BeginFile();
  WriteToFile(Record(0, Word16(Version())));
}

void TWK1Filter::EndFile() {
  WriteToFile(Record(1, AnsiString()));
  TExtraFilter::EndFile();
}

void TWK1Filter::WriteBand(TReportBand& band) {
  for (TReportItem* item : band) {
    WriteToFile(LabelRecord(FColCount, FRowCount, item->Text));
    ++FColCount;
  }
}

AnsiString TWK1Filter::LabelRecord(int column, int row, const AnsiString& text) const {
  AnsiString s = CellText(text, 0xFFFF - 7);
  return Record(0x000F, "\xFF" + Word16(column) + Word16(row) + "'" + s + AnsiString(1, '\0'));
}

// The length byte limits a label to 255 characters.
AnsiString TWQ1Filter::LabelRecord(int column, int row, const AnsiString& text) const {
  AnsiString s = CellText(text, 255);
  return Word16(0x000F) + Word16(uint32_t(s.size() + 7)) + "\xFF" + Word16(column) + Word16(row) + "'" +
         AnsiString(1, char(s.size())) + s;
}

// --- XLS -------------------------------------------------------------------

int TUniqueList::IndexOf(const AnsiString& entry) {
  auto [it, added] = FIndex.emplace(entry, int(FEntries.size()));
  if (added) FEntries.push_back(entry);
  return it->second;
}

void TUniqueList::Clear() {
  FEntries.clear();
  FIndex.clear();
}

namespace {

AnsiString FontData(int points, uint16_t flags, const AnsiString& name) {
  return Word16(uint32_t(points * 20)) + Word16(flags) + Word16(0) + AnsiString(1, char(name.size())) + name;
}

uint16_t FontFlags(const TFont& font) {
  uint16_t flags = 0;
  if (font.Style().Contains(fsBold)) flags |= 1;
  if (font.Style().Contains(fsItalic)) flags |= 2;
  if (font.Style().Contains(fsUnderline)) flags |= 4;
  if (font.Style().Contains(fsStrikeOut)) flags |= 8;
  return flags;
}

AnsiString Hex(const char* bytes) {
  AnsiString out;
  for (const char* p = bytes; *p; p += (p[2] ? 3 : 2)) out += char(std::stoi(std::string(p, 2), nullptr, 16));
  return out;
}

const char* const StandardXF[] = {
    "01 00 F5 FF 20 F4 00 CE 00 00 00 00", "01 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "02 00 F5 FF 20 F4 00 CE 00 00 00 00", "02 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 F5 FF 20 F4 00 CE 00 00 00 00", "00 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 F5 FF 20 F4 00 CE 00 00 00 00", "00 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 F5 FF 20 F4 00 CE 00 00 00 00", "00 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 F5 FF 20 F4 00 CE 00 00 00 00", "00 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 F5 FF 20 F4 00 CE 00 00 00 00", "00 00 F5 FF 20 F4 00 CE 00 00 00 00",
    "00 00 01 00 20 00 00 CE 00 00 00 00", "05 21 F5 FF 20 F8 00 CE 00 00 00 00",
    "05 1F F5 FF 20 F8 00 CE 00 00 00 00", "05 20 F5 FF 20 F8 00 CE 00 00 00 00",
    "05 1E F5 FF 20 F8 00 CE 00 00 00 00", "05 0D F5 FF 20 F8 00 CE 00 00 00 00",
};

const char* const StandardStyles[] = {"10 80 03 FF", "11 80 06 FF", "12 80 04 FF",
                                      "13 80 07 FF", "00 80 00 FF", "14 80 05 FF"};

}  // namespace

void TXLSFilter::BeginFile() {
  TExtraFilter::BeginFile();
  FFonts.Clear();
  FFormats.Clear();
  FCellFormats.Clear();
  FFormats.IndexOf("General");
  for (uint16_t flags : {0, 1, 3, 7, 15}) FFonts.IndexOf(FontData(10, flags, "Arial"));
}

int TXLSFilter::FontIndex(const TFont& font) {
  int position = FFonts.IndexOf(FontData(font.Size(), FontFlags(font), font.Name()));
  return position >= 4 ? position + 1 : position;
}

int TXLSFilter::XFIndex(const TReportItem& item) {
  uint16_t align = item.Alignment == eaLeft ? 1 : item.Alignment == eaRight ? 3 : item.Alignment == eaCenter ? 2 : 0;
  AnsiString xf = AnsiString(1, char(FontIndex(*item.Font))) + AnsiString(3, '\0') + Word16(align) +
                  AnsiString(6, '\0');
  return FCellFormats.IndexOf(xf) + 20;
}

void TXLSFilter::WriteBand(TReportBand& band) {
  for (TReportItem* item : band) {
    AnsiString s = CellText(item->Text, 255);
    WriteToBody(Record(0x0204, Word16(FRowCount) + Word16(FColCount) + Word16(XFIndex(*item)) +
                                   Word16(uint32_t(s.size())) + s));
    ++FColCount;
  }
}

void TXLSFilter::EndFile() {
  WriteToFile(Record(0x0409, Hex("00 00 10 00 00 00")));
  for (const AnsiString& f : FFormats.Entries()) WriteToFile(Record(0x001E, AnsiString(1, char(f.size())) + f));
  for (const AnsiString& f : FFonts.Entries()) WriteToFile(Record(0x0231, f));
  for (const char* xf : StandardXF) WriteToFile(Record(0x0443, Hex(xf)));
  for (const AnsiString& xf : FCellFormats.Entries()) WriteToFile(Record(0x0443, xf));
  for (const char* st : StandardStyles) WriteToFile(Record(0x0293, Hex(st)));
  WriteToFile(FBody);
  WriteToFile(Record(0x000A, AnsiString()));
  TExtraFilter::EndFile();
}
