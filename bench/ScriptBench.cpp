// Statement texts are parsed anew on every run: the cost of one assignment
// statement, parsed and read as a string, and of a few typical expressions.
#include <benchmark/benchmark.h>

#include "prExpr.h"

namespace {

void RunText(benchmark::State& state, const char* text) {
  GlobalExprVar().Clear();
  GlobalExprVar().SetVariable("X", "0", vkInteger);
  GlobalExprVar().SetVariable("S", "abc", vkString);
  for (auto _ : state) {
    IValuePtr value = ParseScriptText(text);
    benchmark::DoNotOptimize(value->ReadString());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IncrementVariable(benchmark::State& state) { RunText(state, "X:=X+1"); }
void BM_Arithmetic(benchmark::State& state) { RunText(state, "1 + 2 * 3 ^ 2 - 7 DIV 2"); }
void BM_StringFunctions(benchmark::State& state) { RunText(state, "UPPER(COPY(S, 1, 2)) + TORIGHT('7', '0', 3)"); }
void BM_Condition(benchmark::State& state) { RunText(state, "IFF(X > 10, 'big', 'small') = 'small'"); }

}  // namespace

BENCHMARK(BM_IncrementVariable);
BENCHMARK(BM_Arithmetic);
BENCHMARK(BM_StringFunctions);
BENCHMARK(BM_Condition);
BENCHMARK_MAIN();
