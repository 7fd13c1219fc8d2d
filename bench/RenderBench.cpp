// Time per composed city frame from the title camera and from the street, and
// per whole frame of play (city, enemies, HUD, beams), at 32 and 16 bits per
// pixel, with the pixels the filler visits per frame.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>

#include "Scene.h"
#include "Std/3D.h"

static void cityFrame(benchmark::State &state, View view, int depth)
{
    setUpScene(depth);
    viewFrom(view);
    for (auto _ : state) {
        renderStats = RenderStats();
        renderFrame();
    }
    state.counters["pixels"] = renderStats.pixels;
    state.counters["polygons"] = (double)(renderStats.triangles + renderStats.polygons);
    tearDownScene();
}

BENCHMARK_CAPTURE(cityFrame, title_32bpp, TitleView, 32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cityFrame, street_32bpp, StreetView, 32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cityFrame, title_16bpp, TitleView, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cityFrame, street_16bpp, StreetView, 16)->Unit(benchmark::kMillisecond);

static void playFrame(benchmark::State &state, int depth)
{
    if (!setUpPlay(depth, RUNTIME_DIR)) {
        state.SkipWithError("no runtime folder");
        return;
    }
    for (auto _ : state) {
        renderStats = RenderStats();
        renderPlayFrame();
    }
    state.counters["pixels"] = renderStats.pixels;
    tearDownPlay();
}

BENCHMARK_CAPTURE(playFrame, play_32bpp, 32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(playFrame, play_16bpp, 16)->Unit(benchmark::kMillisecond);

// The frame of play and its present, scaled to 1440 x 1080 on a 1920 x 1080 desktop.
static void scaledPlayFrame(benchmark::State &state, int depth)
{
    if (!setUpPlay(depth, RUNTIME_DIR) || !setUpScaledPresent(1920, 1080)) {
        state.SkipWithError("no runtime folder");
        return;
    }
    for (auto _ : state) {
        renderPlayFrame();
        presentScaled();
    }
    tearDownScaledPresent();
    tearDownPlay();
}

BENCHMARK_CAPTURE(scaledPlayFrame, scaled_32bpp, 32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scaledPlayFrame, scaled_16bpp, 16)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
