// GUI toolkit: loading a description of 1,000 elements, and routing mouse
// moves over a manager of 1,000 elements. Further cases of this benchmark
// live in bench/gui_bench/*.cpp.
#include "framework/Input.h"
#include "gui/CGUIManager.h"
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

} // namespace

BENCHMARK_MAIN();
