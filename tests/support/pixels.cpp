// pixels.cpp -- probing what a frame drew, and pictures for people to look at
#include "support/pixels.h"

#include <GL/gl.h>
#include <cstdio>
#include <filesystem>
#include <png.h>
#include <vector>

Rgb readPixel(int x, int y) {
    float rgb[3] = {-1.0f, -1.0f, -1.0f};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_FLOAT, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

std::string savePicture(const std::string& name, int width, int height) {
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
    return path;
}
