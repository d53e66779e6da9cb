// Export writers: the framework that turns the engine's text outputs into
// positioned items grouped in rows, the writer options, and the nine
// writers (WK1, WQ1, XLS, BMP, JPEG, RTF, HTML, CSS2, PDF).
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Classes.h"
#include "ExportUnits.h"
#include "Graphics.h"
#include "QRExport.h"
#include "TextMetrics.h"

// One positioned text of an exported page; positions and sizes in micrometres.
struct TReportItem {
  int Kind = 1;  // 1 text; 2 would be a picture
  int Row = 0;
  int64_t Top = 0;
  int64_t X = 0;
  int64_t Height = 0;
  int64_t Width = 0;
  int64_t Left = 0;
  int64_t TextWidth = 0;
  int64_t TextHeight = 0;
  AnsiString Text;
  bool Sized = false;
  TExportAlignment Alignment = eaLeft;
  TColor BackColor = clWhite;
  TFont* Font = nullptr;  // the engine's; valid while the page is processed
  int SeqNo = 0;
};

// The items handed to a writer at once: one row, or one whole page.
using TReportBand = std::vector<TReportItem*>;

// Message of the writers that create extra files and cannot write one.
inline const char* const SFileError = "File Error: ";

// Base of the writers: collects a page's texts, sorts them into rows and calls
// the hooks. Rows hold texts whose tops lie within 20 micrometres of the
// row's first text.
class TExtraFilter : public TQRExportFilter {
public:
  using TQRExportFilter::TQRExportFilter;
  ~TExtraFilter() override;

  void Start(double paperWidth, double paperHeight, TFont* font) override;
  void NewPage() override;
  void TextOut(double x, double y, TFont* font, TColor backgroundColor, TExportAlignment alignment,
               const AnsiString& text) override;
  void EndPage() override;
  void Finish() override;

  int RowCount() const { return FRowCount; }
  int PageCount() const { return FPageCount; }
  int64_t PaperWidth() const { return FPaperWidth; }
  int64_t PaperHeight() const { return FPaperHeight; }

protected:
  // The hooks, in the framework's order.
  virtual void WriteToFile(const AnsiString& s);
  virtual void WriteBand(TReportBand& band);
  virtual void BeginRow();
  virtual void EndRow();
  virtual void BeginPageOutput();
  virtual void EndPageOutput();
  virtual void BeginFile();
  virtual void EndFile();

  void WriteToBody(const AnsiString& s) { FBody += s; }
  // Bytes written to the output file so far.
  int64_t FileOffset() const { return FFileOffset; }
  // Closes the output file and removes it: for writers that put their output
  // into page files only.
  void DeleteOutputFile();
  // Raises the printer-class "File Error: " exception for the file.
  [[noreturn]] static void RaiseFileError(const AnsiString& fileName);

  int FRowCount = 0;
  int FColCount = 0;
  int FPageCount = 0;
  int FSeqNo = 0;
  int64_t FPaperWidth = 0;
  int64_t FPaperHeight = 0;
  bool FLastPage = false;
  std::vector<std::unique_ptr<TReportItem>> FItems;
  AnsiString FBody;
  bool FRowGrouping = true;

private:
  void GroupRows();
  void OutputPage();
  void CloseFile();
  std::FILE* FFile = nullptr;
  int64_t FFileOffset = 0;
};

// ---------------------------------------------------------------------------
// Options. Setting Active registers the writer in the filter library (true)
// or removes it (false).

class TExtraFilterOptions : public TPersistent {
  DECLARE_CLASS(TExtraFilterOptions, TPersistent)
public:
  bool Active() const { return FActive; }
  void SetActive(bool active);
  // The writer's class name and factory, as registered.
  virtual AnsiString FilterClassName() const { return AnsiString(); }
  virtual TQRExportFilterFactory Factory() const { return nullptr; }

private:
  bool FActive = false;
};

// Options of the writers that write one file per page.
class TPageFileOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TPageFileOptions, TExtraFilterOptions)
public:
  // On: page files are named after the output file; off: a fixed prefix.
  bool UseFileName = false;
};

class THTMLFilterOptions : public TPageFileOptions {
  DECLARE_CLASS(THTMLFilterOptions, TPageFileOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
  AnsiString PrevLink = "&lt&lt";
  AnsiString NextLink = "&gt&gt";
  AnsiString Title;
};

class TCSS2FilterOptions : public TPageFileOptions {
  DECLARE_CLASS(TCSS2FilterOptions, TPageFileOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
  AnsiString PrevLink = "&lt&lt";
  AnsiString NextLink = "&gt&gt";
};

class TRTFFilterOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TRTFFilterOptions, TExtraFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

class TWK1FilterOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TWK1FilterOptions, TExtraFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

class TWQ1FilterOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TWQ1FilterOptions, TExtraFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

class TXLSFilterOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TXLSFilterOptions, TExtraFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

// Pixel formats of the image writers.
enum TImagePixelFormat { ipf8Bit, ipf24Bit };
DECLARE_ENUM_TYPE(TImagePixelFormat);

class TImageFilterOptions : public TPageFileOptions {
  DECLARE_CLASS(TImageFilterOptions, TPageFileOptions)
public:
  TImagePixelFormat PixelFormat = ipf8Bit;
};

class TBMPFilterOptions : public TImageFilterOptions {
  DECLARE_CLASS(TBMPFilterOptions, TImageFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

class TJPEGFilterOptions : public TImageFilterOptions {
  DECLARE_CLASS(TJPEGFilterOptions, TImageFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
};

class TPDFFilterOptions : public TExtraFilterOptions {
  DECLARE_CLASS(TPDFFilterOptions, TExtraFilterOptions)
public:
  AnsiString FilterClassName() const override;
  TQRExportFilterFactory Factory() const override;
  AnsiString Creator = "ROdudeDerovav";
  AnsiString Title;
  AnsiString Author = "ROdudeDerovav";
  AnsiString Keywords;
  AnsiString Subject;
};

// The options of all writers, created on first use and kept for the
// program's life.
class TExtraOptions : public TPersistent {
  DECLARE_CLASS(TExtraOptions, TPersistent)
public:
  THTMLFilterOptions HTML;
  TCSS2FilterOptions CSS2;
  TRTFFilterOptions RTF;
  TWK1FilterOptions WK1;
  TWQ1FilterOptions WQ1;
  TXLSFilterOptions XLS;
  TBMPFilterOptions BMP;
  TJPEGFilterOptions JPEG;
  TPDFFilterOptions PDF;
  // In the order the writers are registered at program start.
  std::vector<TExtraFilterOptions*> InRegistrationOrder();
};

TExtraOptions& ExtraOptions();
// Activates (registers) every writer in the start order, and removes them.
void RegisterExtraFilters();
void UnregisterExtraFilters();

// ---------------------------------------------------------------------------
// The writers.

class TWK1Filter : public TExtraFilter {
public:
  using TExtraFilter::TExtraFilter;
  AnsiString Description() const override { return "Lotus 123 File"; }
  AnsiString Extension() const override { return "WK1"; }
  AnsiString FilterName() const override { return "Lotus 123 File"; }

protected:
  void WriteBand(TReportBand& band) override;
  void BeginFile() override;
  void EndFile() override;
  // The version word of the beginning record.
  virtual uint16_t Version() const { return 0x0406; }
  virtual AnsiString LabelRecord(int column, int row, const AnsiString& text) const;
};

class TWQ1Filter : public TWK1Filter {
public:
  using TWK1Filter::TWK1Filter;
  AnsiString Description() const override { return "Quattro File"; }
  AnsiString Extension() const override { return "WQ1"; }
  AnsiString FilterName() const override { return "Quattro File"; }

protected:
  uint16_t Version() const override { return 0x5120; }
  AnsiString LabelRecord(int column, int row, const AnsiString& text) const override;
};

// A list of unique byte strings; an entry's index is its position.
class TUniqueList {
public:
  int IndexOf(const AnsiString& entry);  // adds the entry when new
  const std::vector<AnsiString>& Entries() const { return FEntries; }
  void Clear();

private:
  std::vector<AnsiString> FEntries;
  std::map<AnsiString, int> FIndex;
};

class TXLSFilter : public TExtraFilter {
public:
  using TExtraFilter::TExtraFilter;
  AnsiString Description() const override { return "Excel File"; }
  AnsiString Extension() const override { return "XLS"; }
  AnsiString FilterName() const override { return "Excel File"; }

protected:
  void WriteBand(TReportBand& band) override;
  void BeginFile() override;
  void EndFile() override;

private:
  int FontIndex(const TFont& font);
  int XFIndex(const TReportItem& item);
  TUniqueList FFonts;
  TUniqueList FFormats;
  TUniqueList FCellFormats;
};

class TRTFFilter : public TExtraFilter {
public:
  using TExtraFilter::TExtraFilter;
  AnsiString Description() const override { return "RTF File"; }
  AnsiString Extension() const override { return "RTF"; }
  AnsiString FilterName() const override { return "RTF File"; }

protected:
  void WriteBand(TReportBand& band) override;
  void BeginPageOutput() override;
  void EndPageOutput() override;
  void BeginFile() override;
  void EndFile() override;

private:
  AnsiString TabStops(const TReportBand& band, int& firstWithStop) const;
  AnsiString ItemText(const TReportItem& item, bool tab);
  TUniqueList FFontTable;
  TUniqueList FColorTable;
  int64_t FMarginLeft = 0, FMarginRight = 0, FMarginTop = 0, FMarginBottom = 0;
  int64_t FPos = 0;
};

// Shared page handling of the two HTML writers: one file per page, links
// between the pages, and the last page's links rewritten at the end.
class THTMLPageFilter : public TExtraFilter {
public:
  using TExtraFilter::TExtraFilter;
  ~THTMLPageFilter() override;
  AnsiString Extension() const override { return "HTM"; }

protected:
  void BeginPageOutput() override;
  void EndPageOutput() override;
  void BeginFile() override;
  void EndFile() override;
  void WriteToFile(const AnsiString& s) override;
  virtual void WritePageStart() = 0;
  virtual void WritePageClose() {}
  virtual bool UseFileName() const = 0;
  virtual AnsiString PrevLink() const = 0;
  virtual AnsiString NextLink() const = 0;
  // The file name of page n, with or without the output folder.
  AnsiString PageName(int n, bool withFolder) const;
  AnsiString Heading(bool lastPage) const;
  int64_t PageWidthPx() const { return MicronsToPixels(FPaperWidth); }
  int64_t PageHeightPx() const { return MicronsToPixels(FPaperHeight); }
  AnsiString Title() const;

private:
  std::FILE* FPage = nullptr;
  int64_t FHeadingOffset = 0;
  AnsiString FLastPageName;
};

class THTMLFilter : public THTMLPageFilter {
public:
  using THTMLPageFilter::THTMLPageFilter;
  AnsiString Description() const override { return "HTML File"; }
  AnsiString FilterName() const override { return "HTML File"; }

protected:
  void WritePageStart() override;
  void BeginRow() override;
  void WriteBand(TReportBand& band) override;
  void EndRow() override;
  bool UseFileName() const override;
  AnsiString PrevLink() const override;
  AnsiString NextLink() const override;

private:
  AnsiString CellText(const TReportItem& item, int64_t& previousEnd);
  int64_t FPos = 0;
  int64_t FUsedWidth = 0;
};

class TCSS2Filter : public THTMLPageFilter {
public:
  using THTMLPageFilter::THTMLPageFilter;
  AnsiString Description() const override { return "CSS2 File"; }
  AnsiString FilterName() const override { return "CSS2 File"; }

protected:
  void WritePageStart() override;
  void WritePageClose() override;
  void WriteBand(TReportBand& band) override;
  bool UseFileName() const override;
  AnsiString PrevLink() const override;
  AnsiString NextLink() const override;
};

class TPDFFilter : public TExtraFilter {
public:
  explicit TPDFFilter(AnsiString fileName);
  AnsiString Description() const override { return "Adobe PDF File"; }
  AnsiString Extension() const override { return "PDF"; }
  AnsiString FilterName() const override { return "Adobe PDF File"; }
  // The creation date as yyyymmdd; today's date unless replaced.
  std::function<AnsiString()> CreationDate;

protected:
  void WriteBand(TReportBand& band) override;
  void BeginPageOutput() override;
  void EndPageOutput() override;
  void BeginFile() override;
  void EndFile() override;

private:
  struct TPageNode {
    int Object;
    std::vector<int> Pages;
  };
  void Line(const AnsiString& s);
  void Record(int object);
  int NewObject() { return FNextObject++; }
  int FontFor(const TFont& font);
  void WriteTextItem(const TReportItem& item);
  void WriteFonts();
  void WriteInfo();
  void WritePageTree();
  void WriteXref();

  int FNextObject = 4;
  int64_t FOffset = 0;
  int64_t FStreamBytes = 0;
  bool FInStream = false;
  int FPages = 0;
  std::vector<TPageNode> FNodes;
  std::vector<AnsiString> FFontNames;
  std::vector<int> FFontObjects;
  std::vector<std::pair<int, int64_t>> FXref;
  int FContents = 0, FLength = 0, FProcSet = 0, FResources = 0;
  int64_t FPageWidthPt = 0, FPageHeightPt = 0;
};

// The PDF base font of a report font.
AnsiString PDFBaseFont(const TFont& font);

class TImageFilter : public TExtraFilter {
public:
  explicit TImageFilter(AnsiString fileName);
  ~TImageFilter() override;

protected:
  void WriteBand(TReportBand& band) override;
  void BeginPageOutput() override;
  void EndPageOutput() override;
  void BeginFile() override;
  void EndFile() override;
  virtual const TImageFilterOptions& Options() const = 0;
  // How the page image is saved under its name; false saves nothing.
  enum TImageKind { ikNone, ikBMP, ikJPEG };
  virtual TImageKind KindFor(const AnsiString& upperExt) const = 0;
  AnsiString ImageName(int n) const;

private:
  struct TPageImage;
  std::unique_ptr<TPageImage> FImage;
};

class TBMPFilter : public TImageFilter {
public:
  using TImageFilter::TImageFilter;
  AnsiString Description() const override { return "Bitmap File"; }
  AnsiString Extension() const override { return "BMP"; }
  AnsiString FilterName() const override { return "Bitmap File"; }

protected:
  const TImageFilterOptions& Options() const override;
  TImageKind KindFor(const AnsiString& upperExt) const override;
};

class TJPEGFilter : public TImageFilter {
public:
  using TImageFilter::TImageFilter;
  AnsiString Description() const override { return "JPEG File"; }
  AnsiString Extension() const override { return "JPG"; }
  AnsiString FilterName() const override { return "JPEG File"; }

protected:
  const TImageFilterOptions& Options() const override;
  TImageKind KindFor(const AnsiString&) const override { return ikJPEG; }
};

// Writes an RGB image (3 bytes a pixel, rows top down) as a JPEG file with
// the encoder's default settings; false when the file cannot be written.
bool WriteJPEGFile(const AnsiString& fileName, const unsigned char* rgb, int width, int height);
