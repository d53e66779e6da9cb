// A program's loop is read and parsed anew on every pass: passes per second
// of a FOR loop over one assignment, and of the same loop with a BEGIN block.
#include <benchmark/benchmark.h>

#include "Prog.h"

namespace {

void RunLoop(benchmark::State& state, const char* loop) {
  const AnsiString text = AnsiString("Procedure Main;\r\nbegin\r\n  X TFLOAT;\r\n  I TINTEGER;\r\n  ") + loop +
                          "\r\nend;\r\n";
  TPlainTextEditor editor(text);
  ProgInit(editor);
  constexpr int64_t Passes = 1000000;
  for (auto _ : state) {
    if (!RunProcedure("MAIN", false)) state.SkipWithError("the run failed");
    if (GlobalExprVar().VariableText("I") != "1000000") state.SkipWithError("wrong loop end");
  }
  state.SetItemsProcessed(state.iterations() * Passes);
  ProgFree();
}

void BM_ForSingleStatement(benchmark::State& state) { RunLoop(state, "FOR I:=1 TO 1000000 DO X:=X+I;"); }
void BM_ForBlock(benchmark::State& state) { RunLoop(state, "FOR I:=1 TO 1000000 DO BEGIN\r\n    X:=X+I;\r\n  END;"); }

}  // namespace

BENCHMARK(BM_ForSingleStatement)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ForBlock)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
