// frameProbe.cpp -- preloaded into tarvik01. Writes the monotonic clock, in nanoseconds, to the
// file named by TARVIK_FIRST_FRAME once the first frame has been swapped onto the screen. When
// TARVIK_FRAMES names a file, it appends a line to it for every swap ("swap NS") and every
// mouse callback ("mouse NS"), with the real-time clock, which a browser's clock can be set
// beside.
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>

namespace {

long long nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void note(const char* what) {
    static std::FILE* frames = [] {
        const char* path = std::getenv("TARVIK_FRAMES");
        return path != nullptr ? std::fopen(path, "a") : nullptr;
    }();
    if (frames != nullptr) {
        std::fprintf(frames, "%s %lld\n", what, nanoseconds(CLOCK_REALTIME));
        std::fflush(frames); // read while the program runs
    }
}

void (*mouse)(int, int, int, int) = nullptr;

void notedMouse(int button, int state, int x, int y) {
    note("mouse");
    mouse(button, state, x, y);
}

} // namespace

extern "C" void glutSwapBuffers() {
    static const auto swap = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    static bool noted = false;
    swap();
    note("swap");
    if (noted) {
        return;
    }
    noted = true;
    glFinish();
    const long long now = nanoseconds(CLOCK_MONOTONIC);
    if (const char* path = std::getenv("TARVIK_FIRST_FRAME")) {
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "%lld\n", now);
            std::fclose(file);
        }
    }
}

extern "C" void glutMouseFunc(void (*callback)(int, int, int, int)) {
    static const auto set =
        reinterpret_cast<void (*)(void (*)(int, int, int, int))>(dlsym(RTLD_NEXT, "glutMouseFunc"));
    mouse = callback;
    set(callback != nullptr ? notedMouse : nullptr);
}
