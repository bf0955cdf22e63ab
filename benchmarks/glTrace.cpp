// glTrace.cpp -- the GL calls of one frame, recorded, and replayed by a loop with no logic of its
// own
#include "glTrace.h"

#include <GL/glu.h>
#include <chrono>
#include <utility>

// The linker resolves the program's references to these entry points to the __wrap_ functions
// below, and __real_ names to the libraries' own.
extern "C" {
void __real_glClear(GLbitfield mask);
void __real_glLoadIdentity();
void __real_glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void __real_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void __real_glColor3f(GLfloat r, GLfloat g, GLfloat b);
void __real_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void __real_glCallList(GLuint list);
void __real_glMaterialfv(GLenum face, GLenum pname, const GLfloat* params);
void __real_glEnable(GLenum cap);
void __real_glDisable(GLenum cap);
void __real_glPushMatrix();
void __real_glPopMatrix();
void __real_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void __real_glMatrixMode(GLenum mode);
void __real_gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
void __real_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void __real_glBegin(GLenum mode);
void __real_glVertex2f(GLfloat x, GLfloat y);
void __real_glEnd();
int __real_fsync(int fd);
int __real_fdatasync(int fd);
}

namespace {

bool recording = false;
std::vector<GlCall> trace;
double syncTotal = 0.0;

void note(const GlCall& call) {
    if (recording) {
        trace.push_back(call);
    }
}

GlCall floats(GlCall::Kind kind, float a, float b, float c, float d) {
    GlCall call{kind};
    call.f[0] = a;
    call.f[1] = b;
    call.f[2] = c;
    call.f[3] = d;
    return call;
}

GlCall doubles(GlCall::Kind kind, double a, double b, double c, double d) {
    GlCall call{kind};
    call.d[0] = a;
    call.d[1] = b;
    call.d[2] = c;
    call.d[3] = d;
    return call;
}

GlCall withEnum(GlCall::Kind kind, GLenum a) {
    GlCall call{kind};
    call.a = a;
    return call;
}

template <class Call> int timedSync(Call call) {
    const auto start = std::chrono::steady_clock::now();
    const int result = call();
    syncTotal += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace

extern "C" {
void __wrap_glClear(GLbitfield mask) {
    note(withEnum(GlCall::clear, mask));
    __real_glClear(mask);
}
void __wrap_glLoadIdentity() {
    note({GlCall::loadIdentity});
    __real_glLoadIdentity();
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    note(floats(GlCall::translate, x, y, z, 0.0f));
    __real_glTranslatef(x, y, z);
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    note(floats(GlCall::rotate, angle, x, y, z));
    __real_glRotatef(angle, x, y, z);
}
void __wrap_glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    note(floats(GlCall::color3, r, g, b, 0.0f));
    __real_glColor3f(r, g, b);
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    note(floats(GlCall::color4, r, g, b, a));
    __real_glColor4f(r, g, b, a);
}
void __wrap_glCallList(GLuint list) {
    note(withEnum(GlCall::callList, list));
    __real_glCallList(list);
}
void __wrap_glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    if (recording) {
        // GL_SHININESS takes one value, the colours four.
        GlCall call = floats(GlCall::material, params[0], 0.0f, 0.0f, 0.0f);
        if (pname != GL_SHININESS) {
            call = floats(GlCall::material, params[0], params[1], params[2], params[3]);
        }
        call.a = face;
        call.b = pname;
        trace.push_back(call);
    }
    __real_glMaterialfv(face, pname, params);
}
void __wrap_glEnable(GLenum cap) {
    note(withEnum(GlCall::enable, cap));
    __real_glEnable(cap);
}
void __wrap_glDisable(GLenum cap) {
    note(withEnum(GlCall::disable, cap));
    __real_glDisable(cap);
}
void __wrap_glPushMatrix() {
    note({GlCall::pushMatrix});
    __real_glPushMatrix();
}
void __wrap_glPopMatrix() {
    note({GlCall::popMatrix});
    __real_glPopMatrix();
}
void __wrap_glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    GlCall call{GlCall::viewport};
    call.i[0] = x;
    call.i[1] = y;
    call.i[2] = width;
    call.i[3] = height;
    note(call);
    __real_glViewport(x, y, width, height);
}
void __wrap_glMatrixMode(GLenum mode) {
    note(withEnum(GlCall::matrixMode, mode));
    __real_glMatrixMode(mode);
}
void __wrap_gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    note(doubles(GlCall::ortho2D, left, right, bottom, top));
    __real_gluOrtho2D(left, right, bottom, top);
}
void __wrap_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    note(doubles(GlCall::perspective, fovy, aspect, zNear, zFar));
    __real_gluPerspective(fovy, aspect, zNear, zFar);
}
void __wrap_glBegin(GLenum mode) {
    note(withEnum(GlCall::begin, mode));
    __real_glBegin(mode);
}
void __wrap_glVertex2f(GLfloat x, GLfloat y) {
    note(floats(GlCall::vertex2, x, y, 0.0f, 0.0f));
    __real_glVertex2f(x, y);
}
void __wrap_glEnd() {
    note({GlCall::end});
    __real_glEnd();
}
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
        case GlCall::clear:
            __real_glClear(c.a);
            break;
        case GlCall::loadIdentity:
            __real_glLoadIdentity();
            break;
        case GlCall::translate:
            __real_glTranslatef(c.f[0], c.f[1], c.f[2]);
            break;
        case GlCall::rotate:
            __real_glRotatef(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case GlCall::color3:
            __real_glColor3f(c.f[0], c.f[1], c.f[2]);
            break;
        case GlCall::color4:
            __real_glColor4f(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case GlCall::callList:
            __real_glCallList(c.a);
            break;
        case GlCall::material:
            __real_glMaterialfv(c.a, c.b, c.f);
            break;
        case GlCall::enable:
            __real_glEnable(c.a);
            break;
        case GlCall::disable:
            __real_glDisable(c.a);
            break;
        case GlCall::pushMatrix:
            __real_glPushMatrix();
            break;
        case GlCall::popMatrix:
            __real_glPopMatrix();
            break;
        case GlCall::viewport:
            __real_glViewport(c.i[0], c.i[1], c.i[2], c.i[3]);
            break;
        case GlCall::matrixMode:
            __real_glMatrixMode(c.a);
            break;
        case GlCall::ortho2D:
            __real_gluOrtho2D(c.d[0], c.d[1], c.d[2], c.d[3]);
            break;
        case GlCall::perspective:
            __real_gluPerspective(c.d[0], c.d[1], c.d[2], c.d[3]);
            break;
        case GlCall::begin:
            __real_glBegin(c.a);
            break;
        case GlCall::vertex2:
            __real_glVertex2f(c.f[0], c.f[1]);
            break;
        case GlCall::end:
            __real_glEnd();
            break;
        }
    }
}

std::size_t listCalls(const std::vector<GlCall>& calls) {
    std::size_t n = 0;
    for (const GlCall& c : calls) {
        n += c.kind == GlCall::callList ? 1 : 0;
    }
    return n;
}

double syncSeconds() { return syncTotal; }
