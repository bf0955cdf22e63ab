// snapshotTest.cpp -- snapshots of real frames: what the file holds, and what failures leave
#include "export/snapshot.h"
#include "app/application.h"
#include "export/gallery.h"
#include "export/pngFile.h"
#include "faults.h"
#include "harness/glWindow.h"
#include "pngReader.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>

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

void redSquare(GLubyte r) {
    showInOverlay([r] { block(0, 0, 300, 300, r); });
}

PngPicture snapshot(const std::string& name) {
    Snapshot(name, captureScale);
    return readPng("tarvikImages/" + name);
}

class SnapshotOfFrame : public ::testing::Test {
  protected:
    void SetUp() override { useGlWindow(1280, 1024); }
};

} // namespace

TEST_F(SnapshotOfFrame, TheSquareFromRow50Column200ReachesTheFileUprightWithOnlyItsRedLevels) {
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
    const PngPicture picture = snapshot("test.png");
    ASSERT_TRUE(picture.ok);
    expectSquareGreyPng(picture, 900u);
    // At a scale of 1.0 one overlay unit is 3 pixels; file row 0 is the top.
    for (int level = 0; level < 256; ++level) {
        SCOPED_TRACE(level);
        const std::size_t column = 45 + 54 * static_cast<std::size_t>(level % 16);
        const std::size_t row = 899 - (45 + 54 * static_cast<std::size_t>(level / 16));
        EXPECT_EQ(picture.at(row, column), level);
    }
    // Pixel by pixel against the frame the capture drew, still in the back buffer: file row r
    // is window row 50 + 899 - r, file column c is window column 200 + c.
    std::vector<GLubyte> frame(900 * 900);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(200, 50, 900, 900, GL_RED, GL_UNSIGNED_BYTE, frame.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    int mismatches = 0;
    for (std::size_t r = 0; r < 900; ++r) {
        for (std::size_t c = 0; c < 900; ++c) {
            mismatches += picture.at(r, c) != frame[(899 - r) * 900 + c] ? 1 : 0;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(drainGlErrors(), GL_NO_ERROR);
}

TEST_F(SnapshotOfFrame, ShowsTheFrameDrawnLastWhateverTheBackBufferHeld) {
    redSquare(255);
    Phase = 1; // no elements: the frame is black
    // Leave something else in the back buffer, as a swap may.
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    ImageFolder temp;
    EXPECT_EQ(snapshot("test.png").rows, std::vector<unsigned char>(900 * 900, 0));
}

TEST_F(SnapshotOfFrame, EachSnapshotListsItsPictureAndALaterOneReplacesTheFile) {
    ImageFolder temp;
    redSquare(255);
    const std::string name = std::string(200, 'n') + ".png"; // any length is written whole
    EXPECT_TRUE(snapshot(name).ok);
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHeadText() + indexEntryText(name) + indexTailText());
    EXPECT_EQ(readFile("tarvikImages/" + name + ".html"), imagePageText(name));
    EXPECT_EQ(snapshot("test.png").rows, std::vector<unsigned char>(900 * 900, 255));
    redSquare(64);
    EXPECT_EQ(snapshot("test.png").rows, std::vector<unsigned char>(900 * 900, 64));
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{name, name + ".html", "tarvik01.html", "test.png",
                                        "test.png.html"}));
}

TEST_F(SnapshotOfFrame, FailedWriteKeepsTheEarlierFileAndStillMakesTheGallery) {
    // Noise of 9-pixel blocks: a file far beyond the limit below. How each kind of failure
    // leaves the files is the PNG file's test; this one shows that the snapshot goes on to
    // the gallery.
    showInOverlay([] {
        std::uint32_t state = 99;
        for (int y = 0; y < 300; y += 3) {
            for (int x = 0; x < 300; x += 3) {
                state = state * 214013u + 2531011u;
                block(x, y, x + 3, y + 3, static_cast<GLubyte>(state >> 16));
            }
        }
    });
    ImageFolder temp;
    writeFile("tarvikImages/test.png", "the earlier picture");
    writeFile("tarvikImages/other.png", "another picture");
    {
        FileSizeLimit limit(1000); // the pages are smaller
        Snapshot shot("test.png", captureScale);
        EXPECT_EQ(shot.saveFrame(), pngWriteFailed);
    }
    EXPECT_EQ(readFile("tarvikImages/test.png"), "the earlier picture");
    EXPECT_EQ(readFile("tarvikImages/tarvik01.html"),
              indexHeadText() + indexEntryText("other.png") + indexEntryText("test.png") +
                  indexTailText());
    EXPECT_EQ(readFile("tarvikImages/test.png.html"), imagePageText("test.png"));
    EXPECT_EQ(listDirectory("tarvikImages"),
              (std::vector<std::string>{"other.png", "other.png.html", "tarvik01.html", "test.png",
                                        "test.png.html"}));
}

TEST(SnapshotOfSmallScreen, PixelsAboveTheScreenComeOutBlack) {
    // 768 lines: a square of 750 from window row 50 reaches 32 rows past the top.
    useGlWindow(1024, 768);
    redSquare(255);
    ImageFolder temp;
    const PngPicture picture = snapshot("test.png");
    ASSERT_TRUE(picture.ok);
    ASSERT_EQ(picture.width, 750u);
    ASSERT_EQ(picture.height, 750u);
    for (std::size_t r = 0; r < 750; ++r) {
        const unsigned char expected = r < 32 ? 0 : 255;
        for (std::size_t c = 0; c < 750; c += 7) {
            if (picture.at(r, c) != expected) {
                ADD_FAILURE() << "row " << r << " column " << c << ": expected " << +expected
                              << ", observed " << +picture.at(r, c);
                return;
            }
        }
    }
}
