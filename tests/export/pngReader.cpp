// pngReader.cpp -- reading a PNG file back with libpng, header and rows, for the export tests
#include "pngReader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <png.h>

namespace {

// libpng's errors longjmp back here: only plain pointers live across the setjmp.
bool decode(std::FILE* file, PngPicture* picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    png_get_IHDR(png, info, &width, &height, &picture->bitDepth, &picture->colourType,
                 &picture->interlace, nullptr, nullptr);
    picture->width = width;
    picture->height = height;
    picture->rowBytes = png_get_rowbytes(png, info);
    const png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 r = 0; r < height; ++r) {
        picture->rows.insert(picture->rows.end(), rows[r], rows[r] + picture->rowBytes);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

PngPicture readPng(const std::string& path) {
    PngPicture picture;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        picture.ok = decode(file, &picture);
        std::fclose(file);
    }
    return picture;
}

void expectSquareGreyPng(const PngPicture& picture, unsigned side) {
    EXPECT_EQ(picture.width, side);
    EXPECT_EQ(picture.height, side);
    EXPECT_EQ(picture.bitDepth, 8);
    EXPECT_EQ(picture.colourType, PNG_COLOR_TYPE_GRAY);
    EXPECT_EQ(picture.interlace, PNG_INTERLACE_NONE);
}
