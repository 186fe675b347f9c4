// ExpandText on a text with two references against stores of 50 and 5,000
// variables, for the engine's indexed expansion and the plain documented one.
#include <benchmark/benchmark.h>

#include "core/VariableStore.h"
#include "tests/support/ReferenceExpansion.h"

namespace {

const std::string kText = "Installing $TITLE$ into $TARGETDIR$ now";

void FillStore(int64_t count) {
    ClearVariables();
    for (int64_t i = 0; i < count; ++i) DefineVariable("VARIABLE" + std::to_string(i), "value " + std::to_string(i), "Bench");
    DefineVariable("TITLE", "Sample", "Bench");
    DefineVariable("TARGETDIR", "C:\\Program Files\\Sample\\", "Bench");
}

void BM_ExpandText(benchmark::State& state) {
    FillStore(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ExpandText(kText));
}

void BM_ReferenceExpand(benchmark::State& state) {
    FillStore(state.range(0));
    const auto store = ListVariables();
    for (auto _ : state) benchmark::DoNotOptimize(ReferenceExpand(store, kText));
}

}  // namespace

BENCHMARK(BM_ExpandText)->Arg(50)->Arg(5000);
BENCHMARK(BM_ReferenceExpand)->Arg(50)->Arg(5000);
BENCHMARK_MAIN();
