// Renders a fixed three-page sample through every export writer into a
// folder, so that the results can be opened in other programs.
//   export-demo OUTPUT-FOLDER
#include <filesystem>
#include <iostream>

#include "TXtraFil.h"

namespace {

struct TSampleText {
  double X, Y;  // tenths of a millimetre
  int Font;
  TColor Background;
  TExportAlignment Alignment;
  const char* Text;
};

// One page of the sample; the page number goes into the heading.
void RenderPage(TQRExportFilter& filter, std::vector<std::unique_ptr<TFont>>& fonts, int page) {
  static const TSampleText texts[] = {
      {200, 200, 1, clWhite, eaLeft, "Quarterly sales"},
      {1900, 200, 0, clWhite, eaRight, "Page "},
      {200, 400, 2, clSilver, eaLeft, "Region"},
      {900, 400, 2, clSilver, eaLeft, "Product"},
      {1900, 400, 2, clSilver, eaRight, "Amount"},
      {200, 500, 0, clWhite, eaLeft, "North"},
      {900, 500, 0, clWhite, eaLeft, "Bolts (M8)"},
      {1900, 500, 0, clWhite, eaRight, "1,250.00"},
      {200, 600, 0, clWhite, eaLeft, "South"},
      {900, 600, 3, clWhite, eaLeft, "Nuts \\ washers"},
      {1900, 600, 0, clWhite, eaRight, "980.50"},
      {1050, 800, 4, clYellow, eaCenter, "Total <all regions>"},
      {200, 1000, 5, clWhite, eaLeft, "Note:\r\nfigures are in euros"},
  };
  filter.NewPage();
  for (const TSampleText& t : texts) {
    AnsiString text = t.Text;
    if (text == "Page ") text += IntToStr(page) + " of 3";
    filter.TextOut(t.X, t.Y, fonts[size_t(t.Font)].get(), t.Background, t.Alignment, text);
  }
  filter.EndPage();
}

std::vector<std::unique_ptr<TFont>> SampleFonts() {
  std::vector<std::unique_ptr<TFont>> fonts;
  auto add = [&](const char* name, int size, TFontStyles style, TColor color) {
    auto f = std::make_unique<TFont>();
    f->SetName(name);
    f->SetSize(size);
    f->SetStyle(style);
    f->SetColor(color);
    fonts.push_back(std::move(f));
  };
  add("Arial", 10, {}, clBlack);
  add("Arial", 16, TFontStyles() << fsBold, clNavy);
  add("Arial", 10, TFontStyles() << fsBold, clBlack);
  add("Courier New", 10, TFontStyles() << fsItalic, clMaroon);
  add("Times New Roman", 12, TFontStyles() << fsBold << fsUnderline, clRed);
  add("Times New Roman", 9, {}, clGray);
  return fonts;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: export-demo OUTPUT-FOLDER\n";
    return 2;
  }
  std::filesystem::path root(argv[1]);
  auto fonts = SampleFonts();
  RegisterExtraFilters();
  try {
    for (const TQRExportFilterEntry& entry : QRExportFilterLibrary().Filters()) {
      // Each writer gets its own folder: the page-file writers share names.
      std::filesystem::path dir = root / entry.ClassName;
      std::filesystem::create_directories(dir);
      AnsiString file = (dir / ("sample." + LowerCase(entry.Extension))).string();
      auto filter = entry.Create(file);
      filter->Start(2100, 2970, fonts[0].get());  // A4
      for (int page = 1; page <= 3; ++page) RenderPage(*filter, fonts, page);
      filter->Finish();
      std::cout << entry.Description << ": " << dir.string() << "\n";
    }
  } catch (const Exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  UnregisterExtraFilters();
  return 0;
}
