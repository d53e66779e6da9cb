#include <gtest/gtest.h>

#include "QRExport.h"

namespace {

class TNamedFilter : public TQRExportFilter {
public:
  TNamedFilter(AnsiString file, AnsiString name) : TQRExportFilter(std::move(file)), FName(std::move(name)) {}
  AnsiString Description() const override { return FName + " File"; }
  AnsiString Extension() const override { return FName.substr(0, 3); }
  AnsiString FilterName() const override { return FName; }
  void TextOut(double, double, TFont*, TColor, TExportAlignment, const AnsiString&) override {}

private:
  AnsiString FName;
};

TQRExportFilterFactory Named(const AnsiString& name) {
  return [name](const AnsiString& file) { return std::make_unique<TNamedFilter>(file, name); };
}

TEST(ExportFilterLibraryTest, KeepsRegistrationOrderAndRemovesByClass) {
  TQRExportFilterLibrary library;
  library.AddFilter("TOneFilter", Named("One"));
  library.AddFilter("TTwoFilter", Named("Two"));
  library.AddFilter("TThreeFilter", Named("Three"));
  library.AddFilter("TONEFILTER", Named("Uno"));  // same class again: keeps its place

  ASSERT_EQ(library.Filters().size(), 3u);
  EXPECT_EQ(library.Filters()[0].Description, "Uno File");
  EXPECT_EQ(library.Filters()[1].Extension, "Two");
  EXPECT_EQ(library.Filters()[2].FilterName, "Three");

  EXPECT_TRUE(library.RemoveFilter("TTwoFilter"));
  EXPECT_FALSE(library.RemoveFilter("TTwoFilter"));
  ASSERT_EQ(library.Filters().size(), 2u);
  EXPECT_EQ(library.Filters()[1].ClassName, "TThreeFilter");
  EXPECT_FALSE(library.Contains("TTwoFilter"));

  const TQRExportFilterEntry* entry = library.FindByDescription("Three File");
  ASSERT_NE(entry, nullptr);
  auto filter = entry->Create("/tmp/x.thr");
  EXPECT_EQ(filter->FileName(), "/tmp/x.thr");
  EXPECT_FALSE(filter->Active());
  filter->Start(2100, 2970, nullptr);
  EXPECT_TRUE(filter->Active());
  filter->Finish();
  EXPECT_FALSE(filter->Active());
  EXPECT_EQ(library.FindByDescription("Two File"), nullptr);
}

}  // namespace
