// sceneStore.h -- the records, pools, display-list table and global scalars of the piece
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A point or vector in scene units. The camera sits at the origin looking along -z; the element
// and placement grids lie in the plane z = -20.
struct Point3 {
    float x, y, z;
};

inline constexpr int pathPoints = 101; // flight points at parameter 0, 0.01, ..., 1
inline constexpr int maxAge = 100;     // a flight's last point; ages stop here

struct Element {
    std::int32_t kind; // 0 shows the zero mesh, 1 the one; not cleared by a reset
    std::int32_t age;  // 0..100: steps since added, the index into path
    Point3 start;      // where the element comes into view (z = 0)
    Point3 control;    // Bezier control point of the slot, drawn at reset
    Point3 end;        // the slot on the 16 x 4 element grid
    std::array<Point3, pathPoints> path;
};

// A strip, or a placement: a copy of a strip with a flight of its own.
struct Strip {
    std::int32_t codeA;     // 0..3: 2 * kind of the first element + kind of the second
    std::int32_t codeB;     // 0..3: 2 * kind of the third element + kind of the fourth
    Point3 start;           // placements: first point of the flight
    Point3 control;         // placements: control point of the flight
    Point3 end;             // placements: the cell on the 4 x 12 placement grid
    Point3 pos;             // strips: grid position of the first element; placements: current point
    std::int32_t source;    // placements: index of the strip that was dealt, 0..15
    std::int32_t remaining; // strips: deals left, 3 when built; a stale copy in placements
    std::int32_t age;       // placements: steps since the deal, 0..100
};

struct Glyph {
    std::int32_t shape; // 0 rectangle, 1 flat bar, 2 narrow bar, 3 ellipse
    std::int32_t shade; // 0..3: grey 0.3, 0.5, 0.8, 1.0
    std::int32_t sizeX; // 0..3
    std::int32_t sizeY; // 0..3
    std::int32_t gridX; // 0..15: column of the glyph point
    std::int32_t gridY; // 0..15: row of the glyph point
};

inline constexpr int elementPoolSize = 64;
inline constexpr int stripPoolSize = 16;
inline constexpr int placedPoolSize = 48;
inline constexpr int glyphPoolSize = 12;
inline constexpr int burstVectorCount = 192; // entry 4p + j: element j of placement p

// The two permanent pools live for the whole run; each reset rewrites them in place.
extern std::array<Element, elementPoolSize> elements;
extern std::array<Strip, stripPoolSize> strips;
// The per-cycle pools: empty until phase 2 (placed) and phase 4 (glyphs) of a cycle fill them
// with 48 and 12 records, emptied again by restartScene and quit.
extern std::vector<Strip> placed;
extern std::vector<Glyph> glyphs;
// Survives restarts; rewritten before each use.
extern std::array<Point3, burstVectorCount> burstVectors;

// The table of display-list ids, -1 for an empty slot, with fixed ranges.
inline constexpr int listTableSize = 400;
extern std::array<std::int32_t, listTableSize> listTable;

constexpr int elementSlot(int i) { return 100 + i; }   // i = 0..63
constexpr int stripSlot(int s) { return 200 + s; }     // s = 0..15
constexpr int placementSlot(int p) { return 250 + p; } // p = 0..47
inline constexpr int frameSlot = 300;                  // overlay frame
inline constexpr int centreCrossSlot = 301;            // cross-hair at the overlay centre
inline constexpr int crossHairSlot = 302;              // the moving cross-hair
inline constexpr int armSlot = 303;                    // the arm line, later the arm box
inline constexpr int outlineSlot = 304;                // the stippled outline
constexpr int glyphSlot(int g) { return 310 + g; }     // g = 0..11: finished glyph figures
inline constexpr int diagramSlot = 333;                // calls 310..321 in order

// Mesh list ids outside the table, indexed by element kind; compiled at every reset.
extern std::array<std::int32_t, 2> meshLists;

// The global scalars. Flags are 0 or 1.
extern std::int32_t Phase;        // 0 start-up, 1..9 the phases of a cycle
extern std::int32_t elementCount; // 0..64 elements added in this cycle
extern std::int32_t placedCount;  // 0..48 placements dealt
extern std::int32_t stepCount;    // step counter of the diagram schedule
extern std::int32_t currentGlyph; // 0..11 glyph being drawn
extern std::int32_t frameDone;    // the seven diagram schedule flags, in schedule order
extern std::int32_t sweepXDone;
extern std::int32_t sweepYDone;
extern std::int32_t armXDone;
extern std::int32_t armYDone;
extern std::int32_t outlineDone;
extern std::int32_t fillDone;
extern float diagramSpeed;            // speed factor of the diagram sub-steps, >= 1.0
extern float dealInterval;            // milliseconds between two deals; unbounded
extern std::int32_t burstDistance;    // -150 (collapsed) to 300 (full burst)
extern std::int32_t captureCountdown; // 899 down to 0 over phase 8; the scan line's height
extern std::int32_t captureArmed;     // phase 8 is counting down to a capture
extern std::int32_t imageSaved;       // this cycle's burst image has been written
extern std::int32_t teardownPending;  // the collapse has reached -150
extern std::int32_t dragging;         // a left-button drag is being measured
extern std::int32_t paused;           // the idle steps do nothing; not touched by a reset
extern std::int32_t quitRequested;    // -1 while running, 1 once quitting has begun
extern std::string imageName;         // this cycle's snapshot name, made in phase 2

void clearScheduleFlags();

// Puts everything into the state of a fresh cycle and sets Phase to 1. Takes 384 draws from
// the generator and compiles both meshes; needs a current GL context.
void resetScene();

// Releases what the cycle made (per-cycle pools, every list in the table, both mesh lists),
// then resets.
void restartScene();

// Empties the per-cycle pools; restartScene and quit.
void releaseCyclePools();
