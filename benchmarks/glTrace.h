// glTrace.h -- the GL calls of one frame, recorded, and replayed by a loop with no logic of its own
#pragma once

#include <GL/gl.h>
#include <vector>

// The benchmark executable is linked with the entry points of glTrace.def wrapped (see
// CMakeLists.txt), so every call the program makes to them passes through a recorder first.
struct GlCall {
    enum Kind : unsigned char {
#define TRACED(name, parameters, arguments) name,
#include "glTrace.def"
#undef TRACED
    };
    Kind kind;
    double arguments[4] = {}; // every number a traced call takes is exact in a double
    GLfloat values[4] = {};   // what a pointer argument points to
};

// The calls that draw() makes to the wrapped entry points, in order; they are carried out too.
std::vector<GlCall> recordCalls(void (*draw)());

// Issues the recorded calls straight to GL, in order: the same lists, the same state changes
// and transforms, without the records, loops and arithmetic that produced them.
void replayCalls(const std::vector<GlCall>& calls);

// Seconds spent in fsync and fdatasync since the process began: the wrapped system calls time
// themselves.
double syncSeconds();
