// writePictures.cpp -- frames of one cycle and both digits, written for people to look at
//
// Not a test: nothing here is compared. Run it on a display, for example
//   launcher/xrun --xvfb -- build/harness/tarvik_pictures
// and it writes gathering.png, dealt.png, overlay-mid-glyph.png, overlay-finished.png and
// digits.png into build/pictures.
#include "app/input.h"
#include "app/lighting.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "harness/cycleDriver.h"
#include "harness/glWindow.h"
#include "meshes/mesh.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <cstdio>
#include <filesystem>
#include <png.h>
#include <string>
#include <vector>

namespace {

// Writes the back buffer (width x height from the lower left) as an RGB PNG into the build
// tree's pictures folder and prints its path.
void savePicture(const std::string& name, int width, int height) {
    std::filesystem::create_directories(TARVIK_PICTURE_DIR);
    const std::string path = std::string(TARVIK_PICTURE_DIR) + "/" + name;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // A negative row stride turns GL's bottom-up rows upright.
    png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), -width * 3, nullptr);
    std::printf("%s\n", path.c_str());
}

void frameToPicture(const char* name) {
    drawFrame();
    savePicture(name, screenWidth, screenHeight);
}

// Elements leave the pointer in batches, so the frame shows them at many ages along their
// flights, young ones with their wire overlay. The cycle then runs on: the end of dealing,
// glyph 4 half-way through its outline, the finished diagram.
void oneCycle() {
    freshScene(51);
    CycleDriver driver;
    for (int batch = 0; batch < 8; ++batch) {
        onMotion(halfWidth - 300 + batch * 60, halfHeight + 150);
        for (int k = 0; k < 8; ++k) {
            addElement((batch + k) % 2);
        }
        for (int step = 0; step < 6; ++step) {
            driver.step();
        }
    }
    frameToPicture("gathering.png");
    driver.stepUntil("dealing", [] { return Phase == 3; });
    // The deal timer's ticks, called between idle steps as they would fire.
    while (placedCount < placedPoolSize) {
        dealStrip(1);
        driver.step();
        driver.step();
    }
    driver.stepUntil("the glyphs", [] { return Phase == 4; });
    frameToPicture("dealt.png");
    diagramSpeed = 1.2f;
    driver.stepUntil("glyph 4's outline", [] {
        return currentGlyph == 4 && armYDone == 1 && outlineDone == 0 && stepCount == 13;
    });
    frameToPicture("overlay-mid-glyph.png");
    driver.stepUntil("rest", [] { return Phase == 6; });
    frameToPicture("overlay-finished.png");
}

// Both digits side by side, lit as the placements are.
void bothDigits() {
    constexpr int width = 640, height = 400;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // 0.72 by 0.45 model units, the picture's shape, with y = -0.125 (the digits' middle) centred.
    glOrtho(-0.36, 0.36, -0.35, 0.1, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    applyLight5(); // in eye coordinates: the identity modelview
    applyPlacementMaterial();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT5);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Mesh zero(0);
    const Mesh one(1);
    const struct {
        int list;
        float x, turn;
    } digits[] = {{zero.list(0), -0.15f, 25.0f}, {one.list(1), 0.15f, -25.0f}};
    for (const auto& d : digits) {
        glPushMatrix();
        glTranslatef(d.x, 0.0f, 0.0f);
        glRotatef(d.turn, 0.0f, 1.0f, 0.0f);
        glRotatef(15.0f, 1.0f, 0.0f, 0.0f);
        glCallList(static_cast<GLuint>(d.list));
        glPopMatrix();
    }
    glFinish();
    savePicture("digits.png", width, height);
}

} // namespace

int main() {
    useGlWindow();
    oneCycle();
    bothDigits();
    return 0;
}
