// sceneStore.cpp -- the scene's global state, and the reset and restart of a cycle
#include "scene/sceneStore.h"

#include "app/lighting.h"
#include "meshes/mesh.h"
#include "scene/generator.h"
#include "scene/listTable.h"

#include <GL/gl.h>

std::array<Element, elementPoolSize> elements{};
std::array<Strip, stripPoolSize> strips{};
std::vector<Strip> placed;
std::vector<Glyph> glyphs;
std::array<Point3, burstVectorCount> burstVectors{};
std::array<std::int32_t, listTableSize> listTable = [] {
    std::array<std::int32_t, listTableSize> table;
    table.fill(-1);
    return table;
}();
std::array<std::int32_t, 2> meshLists{-1, -1};

std::int32_t Phase = 0;
std::int32_t elementCount = 0;
std::int32_t placedCount = 0;
std::int32_t stepCount = 0;
std::int32_t currentGlyph = 0;
std::int32_t frameDone = 0;
std::int32_t sweepXDone = 0;
std::int32_t sweepYDone = 0;
std::int32_t armXDone = 0;
std::int32_t armYDone = 0;
std::int32_t outlineDone = 0;
std::int32_t fillDone = 0;
float diagramSpeed = 1.0f;
float dealInterval = 1000.0f;
std::int32_t burstDistance = 0;
std::int32_t captureCountdown = 899;
std::int32_t captureArmed = 0;
std::int32_t imageSaved = 0;
std::int32_t teardownPending = 0;
std::int32_t dragging = 0;
std::int32_t paused = 0;
std::int32_t quitRequested = -1;
std::string imageName;

void clearScheduleFlags() {
    frameDone = sweepXDone = sweepYDone = armXDone = armYDone = outlineDone = fillDone = 0;
}

namespace {

void resetScalars() {
    burstDistance = 0;
    elementCount = 0;
    placedCount = 0;
    stepCount = 0;
    currentGlyph = 0;
    imageSaved = 0;
    captureArmed = 0;
    captureCountdown = 899;
    teardownPending = 0;
    clearScheduleFlags();
    releaseCyclePools();
    dealInterval = 1000.0f;
    diagramSpeed = 1.0f;
    dragging = 0;
}

// Slot i flies to column c = i mod 16 of row i / 16; the columns come in groups of four with
// one extra 0.35 step between groups. Six draws per slot, in the order x, y, z.
void layOutElementSlots() {
    for (int i = 0; i < elementPoolSize; ++i) {
        Element& e = elements[i];
        const int c = i % 16;
        e.start = {0.0f, 0.0f, 0.0f};
        e.end = {static_cast<float>((c + c / 4) * 0.35 + 5.0), static_cast<float>(-(i / 16) * 0.8),
                 -20.0f};
        const double ox = signedOffset();
        const double oy = signedOffset();
        const double oz = signedOffset();
        e.control = {static_cast<float>(ox + 0.0), static_cast<float>(oy + 3.0),
                     static_cast<float>(oz - 10.0)};
        e.path[0] = {0.0f, 0.0f, 0.0f};
        e.age = 0;
    }
}

void compileMeshes() {
    const Mesh zero(0);
    const Mesh one(1);
    meshLists[0] = zero.list(0);
    meshLists[1] = one.list(1);
}

void setCycleGlState() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    glLineWidth(1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

} // namespace

void releaseCyclePools() {
    placed = {};
    glyphs = {};
}

void resetScene() {
    resetScalars();
    applyLight5();
    listTable.fill(-1);
    layOutElementSlots();
    compileMeshes();
    setCycleGlState();
    Phase = 1;
}

void restartScene() {
    releaseCyclePools();
    deleteSlotLists();
    for (std::int32_t& id : meshLists) {
        glDeleteLists(static_cast<GLuint>(id), 1);
        id = -1;
    }
    resetScene();
}
