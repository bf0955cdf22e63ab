// glTrace.h -- the GL calls of one frame, recorded, and replayed by a loop with no logic of its own
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <vector>

// The benchmark executable is linked with the GL and GLU entry points of the frame wrapped
// (see CMakeLists.txt), so every call the program makes passes through a recorder first.
struct GlCall {
    enum Kind : unsigned char {
        clear,
        loadIdentity,
        translate,
        rotate,
        color3,
        color4,
        callList,
        material,
        enable,
        disable,
        pushMatrix,
        popMatrix,
        viewport,
        matrixMode,
        ortho2D,
        perspective,
        begin,
        vertex2,
        end,
    };
    Kind kind;
    GLenum a = 0;     // enum, mask or list id
    GLenum b = 0;     // glMaterialfv's parameter name
    float f[4] = {};  // float arguments and material values
    double d[4] = {}; // GLU's double arguments
    GLint i[4] = {};  // the viewport
};

// The calls that draw() makes to the wrapped entry points, in order; they are carried out too.
std::vector<GlCall> recordCalls(void (*draw)());

// Issues the recorded calls straight to GL, in order: the same lists, the same state changes
// and transforms, without the records, loops and arithmetic that produced them.
void replayCalls(const std::vector<GlCall>& calls);

// How many of the calls are glCallList.
std::size_t listCalls(const std::vector<GlCall>& calls);

// Seconds spent in fsync and fdatasync since the process began: the wrapped system calls time
// themselves.
double syncSeconds();
