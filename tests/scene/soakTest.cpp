// soakTest.cpp -- cycle after cycle with a random visitor, watching for anything that creeps
//
// TARVIK_SOAK_CYCLES cycles (default 3) with the visitor seeded by TARVIK_SOAK_SEED (default
// 1); one line per cycle on stdout. tools/soak runs any number.
#include "app/application.h"
#include "app/input.h"
#include "assembly/dealing.h"
#include "harness/cycleDriver.h"
#include "harness/glWindow.h"
#include "harness/tempDir.h"
#include "scene/frame.h"
#include "scene/sceneStore.h"

#include <GL/glut.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <malloc.h>
#include <random>
#include <unistd.h>

namespace {
GLuint highestListId = 0;
} // namespace

// This executable is linked with this in place of the function of the same name
// (-Wl,--wrap), so that every list id that GL hands out is seen. A quit in the middle of the
// soak fails it through the quit guard that every test executable carries.
extern "C" {
GLuint __real_glGenLists(GLsizei range);
GLuint __wrap_glGenLists(GLsizei range) {
    const GLuint first = __real_glGenLists(range);
    if (first != 0) {
        highestListId = std::max(highestListId, first + static_cast<GLuint>(range) - 1);
    }
    return first;
}
}

namespace {

struct Usage {
    long memoryKiB;
    int lists;       // live display lists among every id GL has handed out
    int descriptors; // open file descriptors
    int threads;
};

int entries(const char* dir) {
    const auto all = std::filesystem::directory_iterator(dir);
    return static_cast<int>(std::distance(begin(all), end(all)));
}

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer holds freed memory back in quarantine, so what stays resident says little:
// the heap that is in use stands in for it (GCC ships no header that declares this).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
constexpr const char* memoryName = "KiB heap in use";
long memoryKiB() { return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024); }
#else
constexpr const char* memoryName = "KiB resident";
long memoryKiB() {
    // Free heap handed back first: what stays resident is what is in use, not what the
    // allocator happens to keep from the last large buffer.
    malloc_trim(0);
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages >> pages; // size, then resident
    return pages * (sysconf(_SC_PAGESIZE) / 1024);
}
#endif

Usage usage() {
    Usage u{};
    u.memoryKiB = memoryKiB();
    for (GLuint id = 1; id <= highestListId; ++id) {
        u.lists += glIsList(id) ? 1 : 0;
    }
    u.descriptors = entries("/proc/self/fd");
    u.threads = entries("/proc/self/task");
    return u;
}

bool finite(const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// What is wrong with the scene after an idle step and its frame; empty when nothing is.
std::string stepProblem() {
    if (Phase < 1 || Phase > 9) {
        return "Phase " + std::to_string(Phase);
    }
    if (elementCount < 0 || elementCount > elementPoolSize || placedCount < 0 ||
        placedCount > static_cast<int>(placed.size()) || placed.size() % placedPoolSize != 0 ||
        glyphs.size() % glyphPoolSize != 0 || currentGlyph < 0 || currentGlyph >= glyphPoolSize) {
        return "counts outside their pools";
    }
    if (burstDistance < -150 || burstDistance > 300) {
        return "burstDistance " + std::to_string(burstDistance);
    }
    const auto finiteStrip = [](const Strip& s) {
        return finite(s.start) && finite(s.control) && finite(s.end) && finite(s.pos);
    };
    bool allFinite = std::all_of(burstVectors.begin(), burstVectors.end(), finite) &&
                     std::all_of(strips.begin(), strips.end(), finiteStrip) &&
                     std::all_of(placed.begin(), placed.end(), finiteStrip);
    for (const Element& e : elements) {
        allFinite = allFinite && finite(e.start) && finite(e.control) && finite(e.end) &&
                    std::all_of(e.path.begin(), e.path.end(), finite);
    }
    if (!allFinite) {
        return "a position that is not a number";
    }
    if (const unsigned error = drainGlErrors(); error != GL_NO_ERROR) {
        return "GL error " + std::to_string(error);
    }
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth == 1 ? "" : "modelview stack depth " + std::to_string(depth);
}

// A visitor who presses whatever comes to mind, between the steps of a hurried player.
class Visitor {
  public:
    explicit Visitor(unsigned seed) : rng(seed) {}

    // Fills the grid: 64 presses of drawn buttons, many of them short drags, at drawn points,
    // with idle steps between; or the g key after a few steps.
    void gather(CycleDriver& driver) {
        const bool byKey = chance(4);
        while (elementCount < elementPoolSize) {
            if (byKey) {
                onKeyboard('g', 0, 0);
            } else if (chance(2)) {
                drag(GLUT_LEFT_BUTTON);
            } else {
                driver.press(chance(2) ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON, x(), y());
            }
            for (int n = upTo(byKey ? 20 : 2); n > 0; --n) {
                between(driver);
                driver.step();
            }
        }
    }

    // Input before an idle step: keys of every kind, pauses and resumes, presses that hurry
    // or slow the piece, and bursts and settles back and forth.
    void between(CycleDriver& driver) {
        if (paused ? chance(4) : chance(150)) {
            onKeyboard(' ', 0, 0);
        }
        if (chance(40)) {
            onKeyboard(chance(2) ? '+' : '-', 0, 0);
        }
        if (chance(400)) {
            onKeyboard('s', 0, 0);
        }
        if (chance(60)) {
            static const char unlisted[] = "GSax1q\r\t\b";
            onKeyboard(static_cast<unsigned char>(unlisted[upTo(8)]), 0, 0);
        }
        if (chance(60)) {
            drag(chance(2) ? GLUT_MIDDLE_BUTTON : 3 + upTo(1)); // the wheel: buttons 3 and 4
        }
        const bool left = chance(2);
        if ((Phase == 3 && chance(8)) || (Phase == 5 && chance(left ? 3 : 12)) ||
            (Phase == 6 && burstDistance > 0 && chance(left ? 12 : 60)) ||
            (Phase == 7 && !left && chance(12))) {
            driver.press(left ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON, x(), y());
        }
    }

  private:
    std::mt19937 rng;

    bool chance(int oneIn) { return rng() % static_cast<unsigned>(oneIn) == 0; }
    int upTo(int most) { return static_cast<int>(rng() % static_cast<unsigned>(most + 1)); }
    int x() { return upTo(screenWidth - 1); }
    int y() { return upTo(screenHeight - 1); }

    // Press, up to three motions that stay within 590 pixels of the press, release: never a
    // left drag long enough to end the program.
    void drag(int button) {
        const int x0 = x(), y0 = y();
        onMouse(button, GLUT_DOWN, x0, y0);
        for (int n = upTo(3); n > 0; --n) {
            const double angle = upTo(359) * 3.14159265 / 180.0, radius = upTo(590);
            onMotion(x0 + static_cast<int>(radius * std::cos(angle)),
                     y0 + static_cast<int>(radius * std::sin(angle)));
        }
        onMouse(button, GLUT_UP, x0, y0);
    }
};

int fromEnvironment(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : otherwise;
}

} // namespace

TEST(Soak, CyclesBackToBackLeaveNothingBehind) {
    const int cycles = fromEnvironment("TARVIK_SOAK_CYCLES", 3);
    useGlWindow(800, 600);
    TempDir dir;
    std::filesystem::create_directory("tarvikImages");
    freshScene(7);
    // The driver deals itself; a deal timer armed, or recorded, every deal would pile up.
    armTimer = [](unsigned, void (*)(int), int) {};
    const Usage first = usage();
    long warmKiB = 0;
    Visitor visitor(static_cast<unsigned>(fromEnvironment("TARVIK_SOAK_SEED", 1)));
    CycleDriver driver;
    std::string fault;
    driver.beforeStep = [&] { visitor.between(driver); };
    int steps = 0, lastPhase = Phase;
    driver.afterStep = [&] {
        // Frames of the lit placements are slow on Mesa's software renderer: one at every
        // change of phase and after every 32nd step covers every phase of every cycle.
        if (Phase != lastPhase || ++steps % 32 == 0) {
            onDisplay();
        }
        lastPhase = Phase;
        if (fault.empty()) {
            fault = stepProblem();
        }
    };
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const auto started = std::chrono::steady_clock::now();
        visitor.gather(driver);
        driver.finishCycle();
        ASSERT_EQ(fault, "") << "in cycle " << cycle;
        ASSERT_EQ(Phase, 1);
        for (const auto& file : std::filesystem::directory_iterator("tarvikImages")) {
            std::filesystem::remove(file.path()); // keeps each gallery regeneration small
        }
        const Usage now = usage();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::printf("cycle %d: %ld %s, %d lists, %d descriptors, %d threads, %.1f s\n", cycle,
                    now.memoryKiB, memoryName, now.lists, now.descriptors, now.threads,
                    took.count());
        std::fflush(stdout);
        ASSERT_EQ(now.lists, first.lists) << "display lists left alive after cycle " << cycle;
        ASSERT_EQ(now.descriptors, first.descriptors) << "after cycle " << cycle;
        ASSERT_EQ(now.threads, first.threads) << "after cycle " << cycle;
        // Some cycles end with a megabyte more in use than others (Mesa's buffers): growth is
        // measured from the most that the warm-up reached.
        if (cycle <= 10) {
            warmKiB = std::max(warmKiB, now.memoryKiB);
        } else {
            ASSERT_LE(now.memoryKiB - warmKiB, 1024) << "KiB grown since the warm-up";
        }
    }
}
