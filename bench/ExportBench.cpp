// Throughput of every export writer for a document of 50 texts a page, text
// measurement included, and the peak memory of the PDF writer.
//   ExportBench --benchmark_filter=Writer
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>

#include "TXtraFil.h"

namespace {

namespace fs = std::filesystem;

template <class F> void RunDocument(const std::string& file, int pages, std::vector<std::unique_ptr<TFont>>& fonts) {
  F filter(file);
  filter.Start(2100, 2970, fonts[0].get());
  for (int p = 0; p < pages; ++p) {
    filter.NewPage();
    for (int i = 0; i < 50; ++i) {
      // Ten rows of five columns, arriving column by column.
      int row = i % 10, col = i / 10;
      filter.TextOut(100 + col * 380, 100 + row * 250, fonts[size_t(i % 3)].get(), i % 7 ? clWhite : clSilver,
                     TExportAlignment(i % 3), "Item " + IntToStr(p) + "/" + IntToStr(i) + " (x)");
    }
    filter.EndPage();
  }
  filter.Finish();
}

std::vector<std::unique_ptr<TFont>> Fonts() {
  std::vector<std::unique_ptr<TFont>> fonts;
  for (const char* name : {"Arial", "Times New Roman", "Courier New"}) {
    auto f = std::make_unique<TFont>();
    f->SetName(name);
    f->SetSize(10);
    fonts.push_back(std::move(f));
  }
  fonts[1]->SetStyle(TFontStyles() << fsBold);
  fonts[2]->SetColor(clRed);
  return fonts;
}

template <class F> void Writer(benchmark::State& state, const char* ext) {
  fs::path dir = fs::temp_directory_path() / "vorda-export-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  auto fonts = Fonts();
  int pages = int(state.range(0));
  for (auto _ : state) RunDocument<F>((dir / (std::string("out.") + ext)).string(), pages, fonts);
  state.SetItemsProcessed(state.iterations() * pages * 50);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024;
  fs::remove_all(dir);
}

}  // namespace

#define WRITER_BENCH(F, ext)                                   \
  void BM_##F(benchmark::State& state) { Writer<F>(state, ext); } \
  BENCHMARK(BM_##F)

WRITER_BENCH(TWK1Filter, "wk1")->Arg(1000)->Unit(benchmark::kMillisecond);
WRITER_BENCH(TWQ1Filter, "wq1")->Arg(1000)->Unit(benchmark::kMillisecond);
WRITER_BENCH(TXLSFilter, "xls")->Arg(1000)->Unit(benchmark::kMillisecond);
WRITER_BENCH(TRTFFilter, "rtf")->Arg(1000)->Unit(benchmark::kMillisecond);
WRITER_BENCH(THTMLFilter, "htm")->Arg(1000)->Unit(benchmark::kMillisecond);
WRITER_BENCH(TCSS2Filter, "htm")->Arg(1000)->Unit(benchmark::kMillisecond);
// Run alone for the memory figure: the peak of the process is what is shown.
WRITER_BENCH(TPDFFilter, "pdf")->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
// Every page is one encoded image, so fewer pages keep the disk use small.
WRITER_BENCH(TBMPFilter, "bmp")->Arg(50)->Unit(benchmark::kMillisecond);
WRITER_BENCH(TJPEGFilter, "jpg")->Arg(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
