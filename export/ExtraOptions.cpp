#include "TXtraFil.h"

DEFINE_ENUM_TYPE(TImagePixelFormat, "ipf8Bit,ipf24Bit")

void TExtraFilterOptions::SetActive(bool active) {
  FActive = active;
  AnsiString name = FilterClassName();
  if (name.empty()) return;
  if (active)
    QRExportFilterLibrary().AddFilter(name, Factory());
  else
    QRExportFilterLibrary().RemoveFilter(name);
}

BEGIN_CLASS(TExtraFilterOptions) {
  b.Property("Active", &TExtraFilterOptions::Active, &TExtraFilterOptions::SetActive).Default(false);
}

BEGIN_CLASS(TPageFileOptions) {
  b.Property("UseFileName", &TPageFileOptions::UseFileName, &TPageFileOptions::UseFileName).Default(false);
}

BEGIN_CLASS(THTMLFilterOptions) {
  b.Property("PrevLink", &THTMLFilterOptions::PrevLink, &THTMLFilterOptions::PrevLink);
  b.Property("NextLink", &THTMLFilterOptions::NextLink, &THTMLFilterOptions::NextLink);
  b.Property("Title", &THTMLFilterOptions::Title, &THTMLFilterOptions::Title);
}

BEGIN_CLASS(TCSS2FilterOptions) {
  b.Property("PrevLink", &TCSS2FilterOptions::PrevLink, &TCSS2FilterOptions::PrevLink);
  b.Property("NextLink", &TCSS2FilterOptions::NextLink, &TCSS2FilterOptions::NextLink);
}

BEGIN_CLASS(TRTFFilterOptions) {}
BEGIN_CLASS(TWK1FilterOptions) {}
BEGIN_CLASS(TWQ1FilterOptions) {}
BEGIN_CLASS(TXLSFilterOptions) {}

BEGIN_CLASS(TImageFilterOptions) {
  b.Property("PixelFormat", &TImageFilterOptions::PixelFormat, &TImageFilterOptions::PixelFormat).Default(ipf8Bit);
}

BEGIN_CLASS(TBMPFilterOptions) {}
BEGIN_CLASS(TJPEGFilterOptions) {}

BEGIN_CLASS(TPDFFilterOptions) {
  b.Property("Creator", &TPDFFilterOptions::Creator, &TPDFFilterOptions::Creator);
  b.Property("Title", &TPDFFilterOptions::Title, &TPDFFilterOptions::Title);
  b.Property("Author", &TPDFFilterOptions::Author, &TPDFFilterOptions::Author);
  b.Property("Keywords", &TPDFFilterOptions::Keywords, &TPDFFilterOptions::Keywords);
  b.Property("Subject", &TPDFFilterOptions::Subject, &TPDFFilterOptions::Subject);
}

BEGIN_CLASS(TExtraOptions) {}

namespace {
template <class F> TQRExportFilterFactory FactoryOf() {
  return [](const AnsiString& fileName) -> std::unique_ptr<TQRExportFilter> { return std::make_unique<F>(fileName); };
}
}  // namespace

#define EXTRA_FILTER_OPTIONS(Options, Filter)                                           \
  AnsiString Options::FilterClassName() const { return #Filter; }                     \
  TQRExportFilterFactory Options::Factory() const { return FactoryOf<Filter>(); }

EXTRA_FILTER_OPTIONS(TWK1FilterOptions, TWK1Filter)
EXTRA_FILTER_OPTIONS(TWQ1FilterOptions, TWQ1Filter)
EXTRA_FILTER_OPTIONS(TXLSFilterOptions, TXLSFilter)
EXTRA_FILTER_OPTIONS(TBMPFilterOptions, TBMPFilter)
EXTRA_FILTER_OPTIONS(TJPEGFilterOptions, TJPEGFilter)
EXTRA_FILTER_OPTIONS(TRTFFilterOptions, TRTFFilter)
EXTRA_FILTER_OPTIONS(THTMLFilterOptions, THTMLFilter)
EXTRA_FILTER_OPTIONS(TCSS2FilterOptions, TCSS2Filter)
EXTRA_FILTER_OPTIONS(TPDFFilterOptions, TPDFFilter)

std::vector<TExtraFilterOptions*> TExtraOptions::InRegistrationOrder() {
  return {&WK1, &WQ1, &XLS, &BMP, &JPEG, &RTF, &HTML, &CSS2, &PDF};
}

TExtraOptions& ExtraOptions() {
  static TExtraOptions options;
  return options;
}

void RegisterExtraFilters() {
  for (auto* o : ExtraOptions().InRegistrationOrder()) o->SetActive(true);
}

void UnregisterExtraFilters() {
  for (auto* o : ExtraOptions().InRegistrationOrder()) o->SetActive(false);
}
