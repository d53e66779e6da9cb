// Writing and reading a form file of 10,000 small components.
#include <benchmark/benchmark.h>

#include <memory>

#include "Streaming.h"

namespace {

class TBenchFont : public TPersistent {
  DECLARE_CLASS(TBenchFont, TPersistent)
public:
  int32_t FSize = 8;
  AnsiString FName = "Arial";
};
BEGIN_CLASS(TBenchFont) {
  b.Property("Size", &TBenchFont::FSize, &TBenchFont::FSize).Default(8);
  b.Property("Name", &TBenchFont::FName, &TBenchFont::FName).Default("Arial");
}

class TBenchLabel : public TComponent {
  DECLARE_CLASS(TBenchLabel, TComponent)
public:
  using TComponent::TComponent;
  TBenchFont* GetFont() const { return FFont.get(); }
  AnsiString FCaption;
  int32_t FLeft = 0;
  int32_t FTop = 0;
  bool FVisible = true;
  double FWidth = 0;
  std::unique_ptr<TBenchFont> FFont = std::make_unique<TBenchFont>();
  TComponent* FBuddy = nullptr;
};
BEGIN_CLASS(TBenchLabel) {
  b.Property("Caption", &TBenchLabel::FCaption, &TBenchLabel::FCaption);
  b.Property("Left", &TBenchLabel::FLeft, &TBenchLabel::FLeft).Default(0);
  b.Property("Top", &TBenchLabel::FTop, &TBenchLabel::FTop).Default(0);
  b.Property("Visible", &TBenchLabel::FVisible, &TBenchLabel::FVisible).Default(true);
  b.Property("Width", &TBenchLabel::FWidth, &TBenchLabel::FWidth);
  b.Property("Font", &TBenchLabel::GetFont, nullptr);
  b.Property("Buddy", &TBenchLabel::FBuddy, &TBenchLabel::FBuddy);
}

class TBenchForm : public TComponent {
  DECLARE_CLASS(TBenchForm, TComponent)
public:
  using TComponent::TComponent;
};
BEGIN_CLASS(TBenchForm) {}

constexpr int ComponentCount = 10000;

// Each label has a caption, a position, a font size, a float and a backward
// reference, so every value path of the reader and writer is exercised.
std::unique_ptr<TBenchForm> MakeTree() {
  RegisterClasses({&TBenchForm::StaticClass(), &TBenchLabel::StaticClass()});
  auto form = std::make_unique<TBenchForm>(nullptr);
  form->SetName("Form1");
  TBenchLabel* previous = nullptr;
  for (int i = 0; i < ComponentCount; ++i) {
    auto* label = new TBenchLabel(form.get());
    label->SetName("Label" + IntToStr(i + 1));
    label->FCaption = "Caption of label " + IntToStr(i + 1);
    label->FLeft = i % 640;
    label->FTop = i / 640 * 20;
    label->FWidth = i * 0.25;
    label->FFont->FSize = 8 + i % 5;
    label->FBuddy = previous;
    previous = label;
  }
  return form;
}

void BM_WriteTree(benchmark::State& state) {
  auto form = MakeTree();
  size_t bytes = 0;
  for (auto _ : state) {
    AnsiString text = ComponentToText(form.get());
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.counters["bytes"] = double(bytes);
  state.SetItemsProcessed(state.iterations() * ComponentCount);
}
BENCHMARK(BM_WriteTree)->Unit(benchmark::kMillisecond);

void BM_ReadTree(benchmark::State& state) {
  const AnsiString text = ComponentToText(MakeTree().get());
  for (auto _ : state) {
    TBenchForm form(nullptr);
    ReadComponentFromText(text, &form);
    if (form.ComponentCount() != ComponentCount) state.SkipWithError("wrong component count");
    state.PauseTiming();  // freeing the tree is not reading
    form.DestroyComponents();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * ComponentCount);
}
BENCHMARK(BM_ReadTree)->Unit(benchmark::kMillisecond);

// What saving and loading a report costs end to end.
void BM_WriteThenRead(benchmark::State& state) {
  auto source = MakeTree();
  for (auto _ : state) {
    TBenchForm form(nullptr);
    ReadComponentFromText(ComponentToText(source.get()), &form);
    benchmark::DoNotOptimize(form.ComponentCount());
  }
  state.SetItemsProcessed(state.iterations() * ComponentCount);
}
BENCHMARK(BM_WriteThenRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
