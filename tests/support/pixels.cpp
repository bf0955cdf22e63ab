// pixels.cpp -- probing what a frame drew
#include "support/pixels.h"

#include <GL/gl.h>

Rgb readPixel(int x, int y) {
    float rgb[3] = {-1.0f, -1.0f, -1.0f};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_FLOAT, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}
