// pngReader.cpp -- reading a PNG file back with libpng, header and rows, for the export tests
#include "pngReader.h"

#include <cstdio>
#include <png.h>

namespace {

// libpng's errors longjmp back here: only plain pointers live across the setjmp.
void decode(std::FILE* file, PngPicture* picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    const png_uint_32 height = png_get_image_height(png, info);
    const png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 r = 0; r < height; ++r) {
        picture->rows.insert(picture->rows.end(), rows[r], rows[r] + png_get_rowbytes(png, info));
    }
    picture->header = std::to_string(png_get_image_width(png, info)) + "x" +
                      std::to_string(height) + " depth " +
                      std::to_string(png_get_bit_depth(png, info)) + " colour " +
                      std::to_string(png_get_color_type(png, info)) + " interlace " +
                      std::to_string(png_get_interlace_type(png, info));
    png_destroy_read_struct(&png, &info, nullptr);
}

} // namespace

PngPicture readPng(const std::string& path) {
    PngPicture picture;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        decode(file, &picture);
        std::fclose(file);
    }
    return picture;
}
