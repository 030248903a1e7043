// Measuring and wrapping of a long text with a font built in memory (no
// file, no OpenGL): the passes every label, button and text field runs.
#include "engine/graphic/Font.h"

#include <benchmark/benchmark.h>
#include <string>

using KyE::Graphic::Font;

namespace
{
void Build(Font& font)
{
    font.lineHeight = 32;
    for (int i = 0; i < 256; ++i)
        font.advance[i] = static_cast<uint8_t>(6 + i % 11);
    font.advance[static_cast<unsigned char>(' ')] = 8;
}

std::string LongText()
{
    std::string text;
    while (text.size() < 10000)
        text += "The quick brown fox jumps over the lazy dog; 0123456789.\tTabbed.\n";
    return text;
}

void GetTextWidth(benchmark::State& state)
{
    Font font;
    Build(font);
    const std::string text = LongText();
    for (auto _ : state)
        benchmark::DoNotOptimize(font.GetTextWidth(text.c_str()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(GetTextWidth);

void GetTextWidthShort(benchmark::State& state)
{
    Font font;
    Build(font);
    for (auto _ : state)
        benchmark::DoNotOptimize(font.GetTextWidth("Show Score"));
}
BENCHMARK(GetTextWidthShort);

// Wrapping at a narrow and a wide width: CountLines walks NextLine.
void Wrap(benchmark::State& state)
{
    Font font;
    Build(font);
    std::string text = LongText();
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(font.CountLines(text.c_str(), width));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(Wrap)->Arg(200)->Arg(2000);
} // namespace
