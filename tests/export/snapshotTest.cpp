// snapshotTest.cpp -- snapshots of real frames: what the file holds, and what failures leave
#include "export/snapshot.h"
#include "app/application.h"
#include "export/pngFile.h"
#include "faults.h"
#include "harness/glWindow.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The pattern is drawn by the scene itself: at full burst (phase 6, distance 300) the burst
// overlay's viewport is exactly the captured square, 300 overlay units across it, and the frame
// list of slot 300 is what it calls first. With no placements nothing else is drawn, so the
// frame that drawFrame makes for the capture is the pattern on black.
void showInOverlay(const std::function<void()>& draw) {
    freshScene(1);
    Phase = 6;
    burstDistance = 300;
    beginSlotList(frameSlot);
    glPushMatrix();
    glLoadIdentity();
    draw();
    glPopMatrix();
    endSlotList();
}

// An axis-aligned block in overlay units (0 to 300, y upwards).
void block(double x0, double y0, double x1, double y1, GLubyte r, GLubyte g = 0, GLubyte b = 0) {
    glColor3ub(r, g, b);
    glRectd(x0, y0, x1, y1);
}

// "" when every byte of the side x side picture is expected(row, column), else the first that
// is not (-1: missing).
std::string firstMismatch(const PngPicture& picture, int side,
                          const std::function<int(int, int)>& expected) {
    for (int i = 0; i < side * side; ++i) {
        const int observed = i < static_cast<int>(picture.rows.size()) ? picture.rows[i] : -1;
        if (observed != expected(i / side, i % side)) {
            return "row " + std::to_string(i / side) + " column " + std::to_string(i % side) +
                   ": " + std::to_string(observed);
        }
    }
    return "";
}

} // namespace

TEST(SnapshotOfFrame, TheSquareFromRow50Column200ReachesTheFileUprightWithOnlyItsRedLevels) {
    useGlWindow(1280, 1024);
    // 16 x 16 cells of 18 units (54 pixels), red level 16 * row + column from the bottom left;
    // green and blue, which the file must not see, the other way round.
    showInOverlay([] {
        for (int level = 0; level < 256; ++level) {
            const double x = 6 + 18 * (level % 16);
            const double y = 6 + 18 * (level / 16);
            block(x, y, x + 18, y + 18, static_cast<GLubyte>(level),
                  static_cast<GLubyte>(255 - level), 200);
        }
    });
    ImageFolder temp;
    const std::string name = std::string(200, 'n') + ".png"; // any length is written whole
    // This process leaves no temporary behind between writes: one under its id is stale.
    writeFile("tarvikImages/tarvik01-" + std::to_string(::getpid()) + "-5e.part", "stale");
    // A picture that may not be replaced: the write fails whatever the picture's size.
    writeFile("tarvikImages/" + name, "the earlier picture");
    ASSERT_TRUE(setImmutable("tarvikImages/" + name, true));
    EXPECT_EQ(Snapshot(name, captureScale).saveFrame(), pngNoFile);
    setImmutable("tarvikImages/" + name, false);
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{name, name + ".html", "tarvik01.html"}))
        << "the stale temporary goes first, the gallery comes after a failed write too";

    // Something else in the back buffer, as a swap may leave: the capture draws the frame anew.
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    Snapshot(name, captureScale);
    const PngPicture picture = readPng("tarvikImages/" + name);
    EXPECT_EQ(picture.header, "900x900 depth 8 colour 0 interlace 0"); // grey, not interlaced
    // An overlay unit is 3 pixels at a scale of 1.0, so the cells start 18 pixels into the
    // square. File row r is window row 50 + 899 - r, file column c window column 200 + c.
    EXPECT_EQ(firstMismatch(picture, 900,
                            [](int r, int c) {
                                const int x = c - 18;
                                const int y = 881 - r;
                                return x >= 0 && x < 864 && y >= 0 && y < 864
                                           ? 16 * (y / 54) + x / 54
                                           : 0;
                            }),
              "");
    EXPECT_EQ(drainGlErrors(), GL_NO_ERROR);
}

TEST(SnapshotOfSmallScreen, PixelsAboveTheScreenComeOutBlack) {
    // 768 lines: a square of 750 from window row 50 reaches 32 rows past the top.
    useGlWindow(1024, 768);
    showInOverlay([] { block(0, 0, 300, 300, 255); });
    ImageFolder temp;
    Snapshot("test.png", captureScale);
    const PngPicture picture = readPng("tarvikImages/test.png");
    EXPECT_EQ(picture.header, "750x750 depth 8 colour 0 interlace 0");
    EXPECT_EQ(firstMismatch(picture, 750, [](int r, int) { return r < 32 ? 0 : 255; }), "");
}
