// The report engine's export filters: the base class every file writer
// derives from, and the library of registered filters that the preview's
// save dialog offers.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Graphics.h"
#include "SysUtils.h"

// Horizontal alignment of an exported text, in the engine's numbering.
enum TExportAlignment : int { eaLeft = 0, eaRight = 1, eaCenter = 2 };

// A writer driven by the engine: Start, then per page NewPage, any number of
// TextOut, EndPage; finally Finish. Positions and the paper size are in
// tenths of a millimetre.
class TQRExportFilter {
public:
  explicit TQRExportFilter(AnsiString fileName) : FFileName(std::move(fileName)) {}
  virtual ~TQRExportFilter() = default;
  TQRExportFilter(const TQRExportFilter&) = delete;
  TQRExportFilter& operator=(const TQRExportFilter&) = delete;

  virtual AnsiString Description() const = 0;
  // Without the dot, such as "PDF".
  virtual AnsiString Extension() const = 0;
  virtual AnsiString FilterName() const = 0;

  const AnsiString& FileName() const { return FFileName; }
  bool Active() const { return FActive; }

  virtual void Start(double paperWidth, double paperHeight, TFont* font);
  virtual void NewPage() {}
  // The font stays the caller's and must live until EndPage returns.
  virtual void TextOut(double x, double y, TFont* font, TColor backgroundColor,
                       TExportAlignment alignment, const AnsiString& text) = 0;
  virtual void EndPage() {}
  virtual void Finish();

protected:
  AnsiString FFileName;
  bool FActive = false;
};

using TQRExportFilterFactory = std::function<std::unique_ptr<TQRExportFilter>(const AnsiString& fileName)>;

// One registered filter: its class name, what the save dialog shows, and how
// to make one for a file.
struct TQRExportFilterEntry {
  AnsiString ClassName;
  AnsiString Description;
  AnsiString Extension;
  AnsiString FilterName;
  TQRExportFilterFactory Create;
};

// The registered filters in registration order. Registering a class that is
// already present keeps its place and takes the new entry.
class TQRExportFilterLibrary {
public:
  // Description, extension and filter name are read from a filter the
  // factory makes for an empty file name (constructors open nothing).
  void AddFilter(const AnsiString& className, TQRExportFilterFactory factory);
  // False when the class was not registered.
  bool RemoveFilter(const AnsiString& className);
  bool Contains(const AnsiString& className) const;
  const std::vector<TQRExportFilterEntry>& Filters() const { return FFilters; }
  // nullptr when no filter has that description.
  const TQRExportFilterEntry* FindByDescription(const AnsiString& description) const;

private:
  std::vector<TQRExportFilterEntry> FFilters;
};

// The program's one filter library.
TQRExportFilterLibrary& QRExportFilterLibrary();
