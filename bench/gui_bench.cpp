// GUI toolkit: loading a description of 1,000 elements, and routing mouse
// moves over a manager of 1,000 elements. Scaling checks: one mouse move and
// one draw over descriptions whose elements form one long parent chain, and
// appending rows to a list tall enough to show them all; each should cost
// about twice as much at twice the size. Further cases of this benchmark
// live in bench/gui_bench/*.cpp.
#include "framework/Input.h"
#include "gui/CFont.h"
#include "gui/CGUIManager.h"
#include "gui/CList.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int elementCount = 1000;
constexpr int columns = 40;
constexpr int cell = 20;

// A button sprite: four 16 x 16 state frames side by side.
void addButtonSprite(CResourceManager& resources)
{
    auto sprite = std::make_unique<CSprite>();
    sprite->setName("buttons");
    for (std::uint32_t i = 0; i < 4; ++i) {
        SpriteFrame frame;
        frame.initFrame(i * 16, 0, 16, 16, 0, nullptr);
        sprite->addFrame(frame);
    }
    resources.add(std::move(sprite));
}

// 1,000 elements on a 40-column grid of 20-pixel cells, a mix of plain
// elements, buttons, check boxes and progress bars, every tenth parented to
// the first one.
std::string makeDescription()
{
    const char* kinds[4] = {"gui", "button", "checkbox", "progress"};
    std::string text = "<gui>\n";
    for (int i = 0; i < elementCount; ++i) {
        const std::string kind = kinds[i % 4];
        text.append("<").append(kind).append(" name=\"e").append(std::to_string(i));
        text.append("\" sprite=\"buttons\" x=\"").append(std::to_string((i % columns) * cell));
        text.append("\" y=\"").append(std::to_string((i / columns) * cell));
        text.append("\" w=\"18\" h=\"18\" enabled=\"true\"");
        if (i % 10 == 5)
            text.append(" parent=\"e0\"");
        text.append("><diffuse r=\"1\" g=\"1\" b=\"1\"/></").append(kind).append(">\n");
    }
    text += "</gui>\n";
    return text;
}

void BM_GuiLoadDescription(benchmark::State& state)
{
    CResourceManager resources;
    addButtonSprite(resources);
    const std::string text = makeDescription();
    for (auto _ : state) {
        CXMLDocument document;
        document.parse(text.c_str());
        CGUIManager manager;
        manager.loadNode(document, &resources);
        benchmark::DoNotOptimize(manager.getCount());
    }
    state.SetItemsProcessed(state.iterations() * elementCount);
}
BENCHMARK(BM_GuiLoadDescription)->Unit(benchmark::kMillisecond);

void BM_GuiRouteMoves(benchmark::State& state)
{
    CResourceManager resources;
    addButtonSprite(resources);
    CXMLDocument document;
    document.parse(makeDescription().c_str());
    CGUIManager manager;
    manager.loadNode(document, &resources);
    constexpr int moves = 10000;
    for (auto _ : state) {
        for (int i = 0; i < moves; ++i)
            mouseMoved((i * 7) % (columns * cell), (i * 13) % (elementCount / columns * cell));
    }
    state.SetItemsProcessed(state.iterations() * moves);
}
BENCHMARK(BM_GuiRouteMoves)->Unit(benchmark::kMillisecond);

// n plain elements, each placed in the one before it.
std::string makeChain(int n)
{
    std::string text = "<gui>\n";
    for (int i = 0; i < n; ++i) {
        text.append("<gui name=\"c").append(std::to_string(i)).append("\" x=\"1\" y=\"1\" w=\"4\" h=\"4\"");
        text.append(" enabled=\"1\"");
        if (i > 0)
            text.append(" parent=\"c").append(std::to_string(i - 1)).append("\"");
        text.append("/>\n");
    }
    text += "</gui>\n";
    return text;
}

void BM_GuiParentChainMove(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CXMLDocument document;
    document.parse(makeChain(n).c_str());
    CGUIManager manager;
    manager.loadNode(document, nullptr);
    int i = 0;
    for (auto _ : state)
        mouseMoved(500 + (++i & 7), 500);
    state.SetComplexityN(n);
}
BENCHMARK(BM_GuiParentChainMove)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_GuiParentChainDraw(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CXMLDocument document;
    document.parse(makeChain(n).c_str());
    CGUIManager manager;
    manager.loadNode(document, nullptr);
    for (auto _ : state)
        manager.draw();
    state.SetComplexityN(n);
}
BENCHMARK(BM_GuiParentChainDraw)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Appending n rows to a list tall enough for all of them (none overflows).
void BM_GuiListAppendAllFit(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CFont style;
        style.setSize(280.0f, 16.0f);
        CList list;
        list.setFont(&style);
        list.setSize(300.0f, static_cast<float>(n) * 16.0f + 16.0f);
        list.addColumn(0, 280.0f, "");
        for (int i = 0; i < n; ++i)
            list.addRow(list.getRowCount(), "image_0000.png");
        benchmark::DoNotOptimize(list.overflows());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_GuiListAppendAllFit)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
