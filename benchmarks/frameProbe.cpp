// firstFrameProbe.cpp -- preloaded into tarvik01: writes the monotonic clock, in nanoseconds, to
// the file named by TARVIK_FIRST_FRAME once the first frame has been swapped onto the screen.
#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>

extern "C" void glutSwapBuffers() {
    static const auto swap = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    static bool noted = false;
    swap();
    if (noted) {
        return;
    }
    noted = true;
    glFinish();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (const char* path = std::getenv("TARVIK_FIRST_FRAME")) {
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "%lld\n",
                         static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fclose(file);
        }
    }
}
