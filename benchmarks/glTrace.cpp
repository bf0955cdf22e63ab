// glTrace.cpp -- the GL calls of one frame, recorded, and replayed by a loop with no logic of its
// own
#include "glTrace.h"

#include <GL/glu.h>
#include <algorithm>
#include <chrono>
#include <type_traits>
#include <utility>

// The linker resolves the program's references to these entry points to the __wrap_ functions
// below, and __real_ names to the libraries' own.
extern "C" {
#define TRACED(name, parameters, arguments) void __real_##name parameters;
#include "glTrace.def"
#undef TRACED
int __real_fsync(int fd);
int __real_fdatasync(int fd);
}

namespace {

bool recording = false;
std::vector<GlCall> trace;
double syncTotal = 0.0;

// Records one call: numbers as doubles, what a pointer points to as floats.
struct Note {
    GlCall::Kind kind;
    template <class... A> void operator()(A... given) const {
        if (!recording) {
            return;
        }
        GlCall call{kind};
        std::size_t k = 0;
        [[maybe_unused]] const auto keep = [&call, &k](auto argument) {
            if constexpr (std::is_pointer_v<decltype(argument)>) {
                // GL_SHININESS, the name before the values, takes one value; the colours four.
                const int count = k > 0 && call.arguments[k - 1] == GL_SHININESS ? 1 : 4;
                std::copy(argument, argument + count, call.values);
            } else {
                call.arguments[k] = static_cast<double>(argument);
            }
            ++k;
        };
        (keep(given), ...);
        trace.push_back(call);
    }
};

template <class T> T argumentAt(const GlCall& call, std::size_t k) {
    if constexpr (std::is_pointer_v<T>) {
        return call.values;
    } else {
        return static_cast<T>(call.arguments[k]);
    }
}

template <class... P, std::size_t... k>
void replayWith(void (*real)(P...), const GlCall& call, std::index_sequence<k...>) {
    real(argumentAt<P>(call, k)...);
}

// Calls real with the recorded arguments converted back to its parameter types.
template <class... P> void replay(void (*real)(P...), const GlCall& call) {
    replayWith(real, call, std::index_sequence_for<P...>{});
}

template <class Call> int timedSync(Call call) {
    const auto start = std::chrono::steady_clock::now();
    const int result = call();
    syncTotal += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace

extern "C" {
#define TRACED(name, parameters, arguments)                                                        \
    void __wrap_##name parameters {                                                                \
        Note{GlCall::name} arguments;                                                              \
        __real_##name arguments;                                                                   \
    }
#include "glTrace.def"
#undef TRACED
int __wrap_fsync(int fd) {
    return timedSync([fd] { return __real_fsync(fd); });
}
int __wrap_fdatasync(int fd) {
    return timedSync([fd] { return __real_fdatasync(fd); });
}
}

std::vector<GlCall> recordCalls(void (*draw)()) {
    trace.clear();
    recording = true;
    draw();
    recording = false;
    return std::move(trace);
}

void replayCalls(const std::vector<GlCall>& calls) {
    for (const GlCall& c : calls) {
        switch (c.kind) {
#define TRACED(name, parameters, arguments)                                                        \
    case GlCall::name:                                                                             \
        replay(__real_##name, c);                                                                  \
        break;
#include "glTrace.def"
#undef TRACED
        }
    }
}

double syncSeconds() { return syncTotal; }
