#include <algorithm>
#include <cerrno>
#include <cstring>

#include "TXtraFil.h"

TExtraFilter::~TExtraFilter() { CloseFile(); }

void TExtraFilter::Start(double paperWidth, double paperHeight, TFont* font) {
  TQRExportFilter::Start(paperWidth, paperHeight, font);
  FRowGrouping = true;
  FBody.clear();
  FPaperWidth = EngineToMicrons(paperWidth);
  FPaperHeight = EngineToMicrons(paperHeight);
  BeginFile();
}

void TExtraFilter::NewPage() { FItems.clear(); }

void TExtraFilter::TextOut(double x, double y, TFont* font, TColor backgroundColor,
                           TExportAlignment alignment, const AnsiString& text) {
  auto item = std::make_unique<TReportItem>();
  item->SeqNo = ++FSeqNo;
  item->Top = EngineToMicrons(y);
  item->X = EngineToMicrons(x);
  item->Text = text;
  item->Font = font;
  item->BackColor = backgroundColor;
  item->Alignment = alignment;
  TTextExtent extent = MeasureText(*font, text);
  item->TextWidth = item->Width = PixelsToMicrons(extent.Width);
  item->TextHeight = item->Height = PixelsToMicrons(extent.Height);
  switch (alignment) {
    case eaCenter: item->Left = item->X - item->TextWidth / 2; break;
    case eaRight: item->Left = item->X - item->TextWidth - 2000; break;
    default: item->Left = item->X; break;
  }
  FItems.push_back(std::move(item));
}

// Items with equal positions keep their arrival order, so none is lost.
void TExtraFilter::GroupRows() {
  auto byPosition = [](const auto& a, const auto& b) {
    if (a->Top != b->Top) return a->Top < b->Top;
    if (a->X != b->X) return a->X < b->X;
    return a->SeqNo < b->SeqNo;
  };
  std::sort(FItems.begin(), FItems.end(), byPosition);
  int row = -1;
  int64_t rowTop = 0;
  for (auto& item : FItems) {
    if (row < 0 || item->Top >= rowTop + 20) {
      ++row;
      rowTop = item->Top;
    }
    item->Row = row;
  }
  std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) {
    if (a->Row != b->Row) return a->Row < b->Row;
    return a->X < b->X;
  });
}

void TExtraFilter::OutputPage() {
  BeginPageOutput();
  TReportBand band;
  band.reserve(FItems.size());
  if (FRowGrouping) {
    for (size_t i = 0; i < FItems.size();) {
      band.clear();
      int row = FItems[i]->Row;
      for (; i < FItems.size() && FItems[i]->Row == row; ++i) band.push_back(FItems[i].get());
      BeginRow();
      WriteBand(band);
      EndRow();
    }
  } else {
    for (auto& item : FItems) band.push_back(item.get());
    BeginRow();
    WriteBand(band);
    EndRow();
  }
  EndPageOutput();
}

void TExtraFilter::EndPage() {
  if (!FItems.empty()) {
    GroupRows();
    OutputPage();
  }
  FItems.clear();
}

void TExtraFilter::Finish() {
  EndFile();
  FBody.clear();
  FBody.shrink_to_fit();
  TQRExportFilter::Finish();
}

void TExtraFilter::WriteToFile(const AnsiString& s) {
  if (!FFile) return;
  if (std::fwrite(s.data(), 1, s.size(), FFile) != s.size())
    throw EWriteError(Format("Error writing file \"%s\". %s", {FFileName, std::strerror(errno)}));
  FFileOffset += int64_t(s.size());
}

void TExtraFilter::WriteBand(TReportBand&) {}
void TExtraFilter::BeginRow() { FColCount = 0; }
void TExtraFilter::EndRow() { ++FRowCount; }

void TExtraFilter::BeginPageOutput() {
  ++FPageCount;
  FSeqNo = 0;
}

void TExtraFilter::EndPageOutput() {}

void TExtraFilter::BeginFile() {
  FRowCount = FColCount = FPageCount = 0;
  CloseFile();
  FFile = std::fopen(FFileName.c_str(), "wb");
  if (!FFile) throw EFCreateError(Format("Cannot create file \"%s\". %s", {FFileName, std::strerror(errno)}));
  FFileOffset = 0;
}

void TExtraFilter::EndFile() { CloseFile(); }

void TExtraFilter::CloseFile() {
  if (!FFile) return;
  std::FILE* f = FFile;
  FFile = nullptr;
  if (std::fclose(f) != 0)
    throw EWriteError(Format("Error writing file \"%s\". %s", {FFileName, std::strerror(errno)}));
}

void TExtraFilter::DeleteOutputFile() {
  CloseFile();
  DeleteFile(FFileName);
}

void TExtraFilter::RaiseFileError(const AnsiString& fileName) { throw EPrinter(SFileError + fileName); }
