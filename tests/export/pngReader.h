// pngReader.h -- reading a PNG file back with libpng, header and rows, for the export tests
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PngPicture {
    bool ok = false; // the file opened and libpng read it without an error
    unsigned width = 0;
    unsigned height = 0;
    int bitDepth = 0;
    int colourType = -1;
    int interlace = -1;
    std::size_t rowBytes = 0;
    std::vector<unsigned char> rows; // height rows of rowBytes each, top row first

    // The byte at (row, column) of an 8-bit greyscale picture.
    unsigned char at(std::size_t row, std::size_t column) const {
        return rows[row * rowBytes + column];
    }
};

PngPicture readPng(const std::string& path);

// Expects a side x side, 8-bit greyscale, non-interlaced picture: what every capture must be.
void expectSquareGreyPng(const PngPicture& picture, unsigned side);
