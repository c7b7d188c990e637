// Lists at the size of the largest image sets: appending N text rows (the
// packer's Add) should cost the same per row at 1,000 and 10,000 rows, and
// drawing a frame should cost the same for 100 and 10,000 rows, since only
// the rows that fit are walked. A third case moves a row up the way the
// packer does (insert a copy above, remove the original).
#include "gui/CFont.h"
#include "gui/CList.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 300 x 600 with one column; text rows 16 high, so 37 rows fit.
void prepare(CList& list, CFont& style)
{
    style.setSize(280.0f, 16.0f);
    list.setFont(&style);
    list.setSize(300.0f, 600.0f);
    list.addColumn(0, 280.0f, "");
}

void fill(CList& list, int rows)
{
    for (int i = 0; i < rows; ++i)
        list.addRow(list.getRowCount(), "image_0000.png");
}

void BM_ListAddRows(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CFont style;
        CList list;
        prepare(list, style);
        fill(list, rows);
        benchmark::DoNotOptimize(list.getRowCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetComplexityN(rows);
}
BENCHMARK(BM_ListAddRows)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_ListDrawFrame(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    CFont style;
    CList list;
    prepare(list, style);
    fill(list, rows);
    list.getScrollBar().setValue(static_cast<float>(rows / 2));
    list.setSelected(static_cast<std::uint32_t>(rows / 2 + 3));
    for (auto _ : state)
        list.draw();
    state.counters["topRow"] = list.getTopRow();
}
BENCHMARK(BM_ListDrawFrame)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_ListMoveRowUp(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    CFont style;
    CList list;
    prepare(list, style);
    fill(list, rows);
    const std::uint32_t i = static_cast<std::uint32_t>(rows / 2);
    for (auto _ : state) {
        list.insertRow(i - 1, *list.getCell(i, 0));
        list.removeRow(i + 1);
    }
}
BENCHMARK(BM_ListMoveRowUp)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
