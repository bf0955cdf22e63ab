// costBenchmark.cpp -- what the piece costs beside what the renderer must do anyway: every
// phase against a bare replay of its frame, the capture against a bare read-back and PNG write,
// and the gallery as the pictures pile up. Run under a display, once per screen size:
//   tarvik_cost --screen=1280x1024 [Google Benchmark flags]
// Times are milliseconds of wall time; every figure is a median over the iterations.
#include "app/application.h"
#include "app/input.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "export/gallery.h"
#include "export/pngFile.h"
#include "export/snapshot.h"
#include "glTrace.h"
#include "harness/cycleDriver.h"
#include "harness/glWindow.h"
#include "harness/tempDir.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"

#include <GL/glut.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <png.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds that f takes.
template <class F> double timed(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor milliseconds that f takes in all the process's threads, llvmpipe's rasterisers
// included: unlike wall time, they do not count the time other processes hold the cores.
template <class F> double processorTime(F f) {
    const auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    const double start = now();
    f();
    return now() - start;
}

double median(std::vector<double> v) {
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

void setFigure(benchmark::State& state, const char* name, double value) {
    state.counters[name] = benchmark::Counter(value);
}

[[noreturn]] void giveUp(const std::string& why) {
    std::fprintf(stderr, "tarvik_cost: %s\n", why.c_str());
    std::exit(1);
}

// ---- one cycle, played forward to the representative state of each phase

// The phases measured, in the order a cycle reaches them.
constexpr int measuredPhases[] = {1, 3, 5, 6, 7, 8, 9};

int reached = 0; // the last phase whose state the scene was brought to

// The schedule's state, which the middle of a glyph is saved from and restored to.
auto schedule() {
    return std::tie(currentGlyph, stepCount, frameDone, sweepXDone, sweepYDone, armXDone, armYDone,
                    outlineDone, fillDone);
}
decltype(std::apply([](auto... v) { return std::tuple{v...}; }, schedule())) midGlyph;
std::int32_t midCollapse = 0; // the collapse distance mid-way

CycleDriver driver;

// Puts back what the phase's idle step advances, so that every measured step does the same work
// and every frame draws the same picture.
void restore(int phase) {
    switch (phase) {
    case 1:
        // Clicked one after another: the first added is the oldest; all still show their wire.
        for (int i = 0; i < elementPoolSize; ++i) {
            elements[i].age = (elementPoolSize - 1 - i) / 2;
        }
        break;
    case 3:
        // Dealt one after another over the flight: ages 94, 92, ..., 0.
        for (int i = 0; i < placedPoolSize; ++i) {
            placed[i].age = 94 - 2 * i;
        }
        break;
    case 5:
        schedule() = midGlyph;
        break;
    case 8:
        // Half-way down the square; the capture itself comes at 0.
        captureCountdown = 450;
        break;
    case 9:
        burstDistance = midCollapse;
        break;
    default:
        break; // 6 at rest and 7 at full burst stay where they are
    }
}

// From the state of the phase before to the state of this one.
void advanceTo(int phase) {
    switch (phase) {
    case 1:
        freshScene(1);
        fillElements();
        break;
    case 3:
        driver.stepUntil("dealing", [] { return Phase == 3; });
        while (placedCount < placedPoolSize) {
            dealStrip(1);
        }
        break;
    case 5:
        driver.stepUntil("drawing", [] { return Phase == 5; });
        // Glyph 5 half filled: frame, cross-hair, arms, outline and five finished glyphs show.
        driver.stepUntil("the middle of glyph 5", [] {
            return currentGlyph == 5 && outlineDone == 1 && fillDone == 0 && stepCount >= 13;
        });
        midGlyph = schedule();
        break;
    case 6:
        driver.stepUntil("rest", [] { return Phase == 6; });
        break;
    case 7:
        driver.press(GLUT_LEFT_BUTTON);
        driver.stepUntil("full burst", [] { return burstDistance == 300; });
        break;
    case 8:
        driver.press(GLUT_LEFT_BUTTON);
        if (Phase != 8) {
            giveUp("a left press at full burst did not start the capture");
        }
        break;
    case 9:
        driver.stepUntil("the capture", [] { return Phase == 7; });
        driver.press(GLUT_RIGHT_BUTTON);
        driver.stepUntil("rest after the burst", [] { return burstDistance == 0; });
        driver.press(GLUT_RIGHT_BUTTON);
        driver.stepUntil("the middle of the collapse", [] { return burstDistance <= -15; });
        midCollapse = burstDistance;
        break;
    default:
        break;
    }
    reached = phase;
}

void bringTo(int phase) {
    for (int p : measuredPhases) {
        if (p > reached && p <= phase) {
            advanceTo(p);
        }
    }
    if (reached != phase) {
        giveUp("the phases are measured in the order a cycle reaches them");
    }
}

// ---- every phase: idle step, frame and bare replay

std::vector<unsigned char> windowPixels() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(screenWidth) * screenHeight * 4);
    glReadPixels(0, 0, screenWidth, screenHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Whether the replay draws exactly the program's frame: the recorder missed no call.
bool replayDrawsTheFrame(const std::vector<GlCall>& calls) {
    drawFrame();
    const std::vector<unsigned char> frame = windowPixels();
    replayCalls(calls);
    return windowPixels() == frame;
}

void phaseCost(benchmark::State& state, int phase) {
    bringTo(phase);
    restore(phase);
    onIdle();
    const std::vector<GlCall> calls = recordCalls(drawFrame);
    glFinish();
    const bool same = replayDrawsTheFrame(calls);
    std::vector<double> idle, frame, bare, swap, clear, ratio, idleCpu, frameCpu, ratioCpu;
    int n = 0;
    for (auto _ : state) {
        restore(phase);
        idleCpu.push_back(processorTime([&idle] { idle.push_back(timed(onIdle)); }));
        // What every frame pays before it draws anything.
        clear.push_back(timed([] {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glFinish();
        }));
        const auto drawn = [] {
            drawFrame();
            glFinish();
        };
        const auto replayed = [&calls] {
            replayCalls(calls);
            glFinish();
        };
        // Alternating the order keeps whichever comes first from paying for cold caches.
        double f = 0.0;
        double b = 0.0;
        double fp = 0.0;
        double bp = 0.0;
        const auto frameOnce = [&] { fp = processorTime([&] { f = timed(drawn); }); };
        const auto bareOnce = [&] { bp = processorTime([&] { b = timed(replayed); }); };
        if (n++ % 2 == 0) {
            frameOnce();
            bareOnce();
        } else {
            bareOnce();
            frameOnce();
        }
        frame.push_back(f);
        bare.push_back(b);
        ratio.push_back(f / b);
        frameCpu.push_back(fp);
        ratioCpu.push_back(fp / bp);
        // The back buffer holds the frame (the replay draws the same pixels): show it.
        swap.push_back(timed([] {
            glutSwapBuffers();
            glFinish();
        }));
        state.SetIterationTime(f / 1000.0);
    }
    const double i = median(idle);
    const double f = median(frame);
    const double s = median(swap);
    setFigure(state, "idle_ms", i);
    setFigure(state, "frame_ms", f);
    setFigure(state, "bare_ms", median(bare));
    setFigure(state, "clear_ms", median(clear));
    setFigure(state, "swap_ms", s);
    setFigure(state, "frame_per_bare", median(ratio));
    setFigure(state, "frame_per_bare_cpu", median(ratioCpu));
    setFigure(state, "idle_share_pct", 100.0 * i / (i + f));
    const double ic = median(idleCpu);
    setFigure(state, "idle_share_cpu_pct", 100.0 * ic / (ic + median(frameCpu)));
    // One idle step and one shown frame: how fast the piece animates.
    setFigure(state, "steps_per_s", 1000.0 / (i + f + s));
    setFigure(state, "replay_same", same ? 1.0 : 0.0);
}

// ---- the capture

// Lower left corner of the captured square in window pixels.
constexpr int captureX = 200;
constexpr int captureY = 50;

// The least a capture must do: read the square as bytes and hand them to libpng, top row
// first, through a table of row pointers and without a copy. Pixels of the square outside the
// window stay 0, as in the program's file.
void bareCapture(int side, const char* path) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(side) * side, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(captureX, captureY, side, side, GL_RED, GL_UNSIGNED_BYTE, bytes.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(side));
    for (int r = 0; r < side; ++r) {
        rows[r] = bytes.data() + static_cast<std::size_t>(side - 1 - r) * side;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        giveUp(std::string("cannot write ") + path);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        giveUp("libpng failed");
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// n pictures named as cycles name them, all links to one small PNG: the gallery reads names.
void seedPictures(const fs::path& dir, int n, int firstSeconds) {
    const fs::path sample = dir / "sample.bin";
    if (writeGreyPng(sample.string(), std::vector<unsigned char>(16, 0), 4) != pngWritten) {
        giveUp("cannot write a sample picture into " + dir.string());
    }
    for (int i = 0; i < n; ++i) {
        const std::string name = imageNameFor(i % 241, firstSeconds + i);
        fs::create_hard_link(sample, dir / name);
    }
    fs::remove(sample);
}

// The capture at full burst, as the last step of phase 8 makes it: the frame shown, then a
// Snapshot (the frame drawn again, read back, converted, written, synced; then the gallery).
void captureCost(benchmark::State& state) {
    bringTo(7);
    const int side = captureSide(captureScale);
    fs::create_directories("tarvikImages");
    // Nine earlier cycles' pictures, so that the gallery has ten entries.
    seedPictures("tarvikImages", 9, 1765000000);
    onDisplay();
    Snapshot snapshot(imageName, captureScale);
    bareCapture(side, "bare.png");
    const bool sameBytes = fileBytes("bare.png") == fileBytes("tarvikImages/" + imageName);
    std::vector<double> whole, shown, save, saveSync, gallery, gallerySync, redraw, bare, ratio;
    std::vector<double> ratioWithoutRedraw, readFloat, convert, write, readBytes, ratioCpu;
    for (auto _ : state) {
        const double s = timed([] {
            onDisplay();
            glFinish();
        });
        const double w = timed([] { Snapshot(imageName, captureScale); });
        shown.push_back(s);
        whole.push_back(s + w);
        double sync = syncSeconds();
        double f = 0.0;
        const double fc =
            processorTime([&f, &snapshot] { f = timed([&snapshot] { snapshot.saveFrame(); }); });
        const double fs = (syncSeconds() - sync) * 1000.0;
        save.push_back(f);
        saveSync.push_back(fs);
        sync = syncSeconds();
        gallery.push_back(timed(writeGallery));
        gallerySync.push_back((syncSeconds() - sync) * 1000.0);
        const double r = timed([] {
            drawFrame();
            glFinish();
        });
        redraw.push_back(r);
        double b = 0.0;
        const double bc =
            processorTime([&b, side] { b = timed([side] { bareCapture(side, "bare.png"); }); });
        bare.push_back(b);
        // saveFrame's pieces after the redraw, each through the program's own functions.
        std::vector<float> floats;
        readFloat.push_back(timed([side, &floats] {
            floats.assign(static_cast<std::size_t>(side) * side, 0.0f);
            glReadPixels(captureX, captureY, side, side, GL_RED, GL_FLOAT, floats.data());
        }));
        std::vector<unsigned char> bytes;
        convert.push_back(timed([side, &floats, &bytes] { bytes = uprightRows(floats, side); }));
        sync = syncSeconds();
        const double wr = timed([side, &bytes] { writeGreyPng("written.png", bytes, side); });
        const double ws = (syncSeconds() - sync) * 1000.0;
        write.push_back(wr - ws);
        readBytes.push_back(timed([side, &bytes] {
            bytes.assign(static_cast<std::size_t>(side) * side, 0);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(captureX, captureY, side, side, GL_RED, GL_UNSIGNED_BYTE, bytes.data());
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
        }));
        ratio.push_back((f - fs) / b);
        // The sync waits for the disk, which costs the processor next to nothing.
        ratioCpu.push_back(fc / bc);
        ratioWithoutRedraw.push_back((f - fs - r) / b);
        state.SetIterationTime((s + w) / 1000.0);
    }
    setFigure(state, "whole_ms", median(whole));
    setFigure(state, "shown_ms", median(shown));
    setFigure(state, "save_ms", median(save));
    setFigure(state, "save_sync_ms", median(saveSync));
    setFigure(state, "redraw_ms", median(redraw));
    setFigure(state, "gallery_ms", median(gallery));
    setFigure(state, "gallery_sync_ms", median(gallerySync));
    setFigure(state, "bare_ms", median(bare));
    setFigure(state, "read_float_ms", median(readFloat));
    setFigure(state, "convert_ms", median(convert));
    setFigure(state, "write_ms", median(write));
    setFigure(state, "bare_read_ms", median(readBytes));
    setFigure(state, "capture_per_bare", median(ratio));
    setFigure(state, "capture_per_bare_cpu", median(ratioCpu));
    setFigure(state, "capture_per_bare_without_redraw", median(ratioWithoutRedraw));
    setFigure(state, "side", side);
    setFigure(state, "same_bytes", sameBytes ? 1.0 : 0.0);
}

// ---- the gallery as the pictures pile up

// What any regeneration must do at the least: list the folder, sort the PNG names, and read
// every image page and the index once. The file system's own cost per page.
void bareGalleryLook() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator("tarvikImages")) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    std::size_t bytes = 0;
    for (const std::string& name : names) {
        bytes += fileBytes("tarvikImages/" + name + ".html").size();
    }
    bytes += fileBytes("tarvikImages/tarvik01.html").size();
    benchmark::DoNotOptimize(bytes);
}

void galleryCost(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const fs::path home = fs::current_path();
    const fs::path dir = home / ("gallery-" + std::to_string(n));
    fs::remove_all(dir);
    fs::create_directories(dir / "tarvikImages");
    seedPictures(dir / "tarvikImages", n, 1700000000);
    fs::current_path(dir);
    // The first regeneration writes every page anew; later ones find them on disk, as every
    // capture after the first does.
    const double first = timed(writeGallery);
    // The first regeneration leaves thousands of new pages for the kernel to write back; done
    // now, that write-back does not fall into the timed regenerations.
    ::sync();
    std::vector<double> again, againSync, bare;
    for (auto _ : state) {
        const double sync = syncSeconds();
        const double t = timed(writeGallery);
        again.push_back(t);
        againSync.push_back((syncSeconds() - sync) * 1000.0);
        bare.push_back(timed(bareGalleryLook));
        state.SetIterationTime(t / 1000.0);
    }
    fs::current_path(home);
    fs::remove_all(dir);
    const double m = median(again);
    setFigure(state, "first_ms", first);
    setFigure(state, "gallery_ms", m);
    setFigure(state, "sync_ms", median(againSync));
    setFigure(state, "per_page_us", 1000.0 * m / n);
    setFigure(state, "bare_per_page_us", 1000.0 * median(bare) / n);
}

void parseScreen(int& argc, char** argv, int& width, int& height) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "--screen=%dx%d", &width, &height) != 2) {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
}

std::string glString(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text == nullptr ? "" : text;
}

} // namespace

int main(int argc, char** argv) {
    int width = 1280;
    int height = 1024;
    parseScreen(argc, argv, width, height);
    useGlWindow(width, height);
    benchmark::AddCustomContext("screen", std::to_string(width) + "x" + std::to_string(height));
    benchmark::AddCustomContext("gl_renderer", glString(GL_RENDERER));
    benchmark::AddCustomContext("gl_version", glString(GL_VERSION));
    // Pictures, pages and galleries go to a private folder under TMPDIR.
    TempDir work;
    fs::create_directory("tarvikImages");

    // Phase 1's frames are the slowest (the smoothed wire overlay of 64 young digits).
    for (int phase : measuredPhases) {
        benchmark::RegisterBenchmark(("phase/" + std::to_string(phase)).c_str(), phaseCost, phase)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(phase == 1 ? 16 : 60);
        if (phase == 7) {
            benchmark::RegisterBenchmark("capture", captureCost)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(15);
        }
    }
    const std::pair<int, int> galleries[] = {{10, 40}, {100, 20}, {1000, 8}, {10000, 5}};
    for (const auto& [pictures, iterations] : galleries) {
        benchmark::RegisterBenchmark("gallery", galleryCost)
            ->Arg(pictures)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
