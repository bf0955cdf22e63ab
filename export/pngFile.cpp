// pngFile.cpp -- the capture arithmetic and the 8-bit greyscale PNG file of a snapshot
#include "export/pngFile.h"

#include <cstdio>
#include <png.h>

namespace {

// libpng reports its errors by a longjmp back to the setjmp below, so this function holds only
// plain pointers: the jump must not skip any destructor. The library's default handlers print
// their own report to stderr; nothing is shown on the screen.
int encodeGreyPng(std::FILE* file, png_bytep* rows, png_uint_32 side) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return pngNoWriteStruct;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return pngNoInfoStruct;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return pngWriteFailed;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return pngWritten;
}

} // namespace

int captureSide(float scale) { return static_cast<int>(scale * 600.0) + 300; }

unsigned char greyByte(float value) {
    const double v = value;
    if (!(v > 0.0)) {
        return 0;
    }
    if (v >= 1.0) {
        return 255;
    }
    return static_cast<unsigned char>(255.0 * v);
}

std::vector<unsigned char> uprightRows(const std::vector<float>& frame, int side) {
    const std::size_t n = static_cast<std::size_t>(side);
    std::vector<unsigned char> pixels(n * n);
    for (std::size_t r = 0; r < n; ++r) {
        const float* source = frame.data() + (n - 1 - r) * n;
        unsigned char* target = pixels.data() + r * n;
        for (std::size_t c = 0; c < n; ++c) {
            target[c] = greyByte(source[c]);
        }
    }
    return pixels;
}

int writeGreyPng(const std::string& path, const std::vector<unsigned char>& pixels, int side) {
    // libpng takes a table of row pointers; the rows themselves stay in pixels.
    std::vector<png_bytep> rows(static_cast<std::size_t>(side));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r] = const_cast<png_bytep>(pixels.data() + r * rows.size());
    }
    return writeWhole(path, true, [&](std::FILE* file) {
        return encodeGreyPng(file, rows.data(), static_cast<png_uint_32>(side));
    });
}
