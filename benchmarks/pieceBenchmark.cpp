// pieceBenchmark.cpp -- how long the piece's per-step and per-snapshot work takes
#include "app/application.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "export/pngFile.h"
#include "meshes/digitMeshes.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/glWindow.h"
#include "support/tempDir.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

// Both digits' tables from their outlines, as the first reset builds them.
void buildDigitTables(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildDigitMesh(digitOutline(0)));
        benchmark::DoNotOptimize(buildDigitMesh(digitOutline(1)));
    }
}
BENCHMARK(buildDigitTables)->Unit(benchmark::kMillisecond);

// A gathering step with 64 young elements: 64 list compilations with the wire overlay.
void gatheringStep(benchmark::State& state) {
    useGlWindow();
    freshScene(1);
    fillElements();
    for (auto _ : state) {
        for (Element& e : elements) {
            e.age = 0;
        }
        gatherStep();
    }
    glFinish();
}
BENCHMARK(gatheringStep)->Unit(benchmark::kMillisecond);

// One frame of gathering with 64 young elements, drawn and finished.
void gatheringFrame(benchmark::State& state) {
    useGlWindow();
    freshScene(1);
    fillElements();
    gatherStep();
    for (auto _ : state) {
        drawFrame();
        glFinish();
    }
}
BENCHMARK(gatheringFrame)->Unit(benchmark::kMillisecond);

// Writing the largest capture, 900 by 900 grey bytes, to a PNG file.
void writeCapture(benchmark::State& state) {
    TempDir dir;
    const int side = captureSide(1.0f);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>((i * 7) % 251);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeGreyPng("capture.png", pixels, side));
    }
}
BENCHMARK(writeCapture)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
