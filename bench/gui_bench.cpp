// GUI benchmarks: the cases live in bench/gui_bench/, one file per subject.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
