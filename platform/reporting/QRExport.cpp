#include "QRExport.h"

#include <algorithm>

void TQRExportFilter::Start(double, double, TFont*) { FActive = true; }

void TQRExportFilter::Finish() { FActive = false; }

void TQRExportFilterLibrary::AddFilter(const AnsiString& className, TQRExportFilterFactory factory) {
  auto probe = factory(AnsiString());
  TQRExportFilterEntry entry{className, probe->Description(), probe->Extension(), probe->FilterName(),
                             std::move(factory)};
  auto it = std::find_if(FFilters.begin(), FFilters.end(),
                         [&](const TQRExportFilterEntry& e) { return SameText(e.ClassName, className); });
  if (it != FFilters.end())
    *it = std::move(entry);
  else
    FFilters.push_back(std::move(entry));
}

bool TQRExportFilterLibrary::RemoveFilter(const AnsiString& className) {
  auto it = std::find_if(FFilters.begin(), FFilters.end(),
                         [&](const TQRExportFilterEntry& e) { return SameText(e.ClassName, className); });
  if (it == FFilters.end()) return false;
  FFilters.erase(it);
  return true;
}

bool TQRExportFilterLibrary::Contains(const AnsiString& className) const {
  return std::any_of(FFilters.begin(), FFilters.end(),
                     [&](const TQRExportFilterEntry& e) { return SameText(e.ClassName, className); });
}

const TQRExportFilterEntry* TQRExportFilterLibrary::FindByDescription(const AnsiString& description) const {
  for (const auto& e : FFilters)
    if (e.Description == description) return &e;
  return nullptr;
}

TQRExportFilterLibrary& QRExportFilterLibrary() {
  static TQRExportFilterLibrary library;
  return library;
}
