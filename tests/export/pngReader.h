// pngReader.h -- reading a PNG file back with libpng, header and rows, for the export tests
#pragma once

#include <string>
#include <vector>

struct PngPicture {
    // "<width>x<height> depth <bits> colour <type> interlace <method>" as the file's header
    // gives them; empty when the file did not open or libpng met an error.
    std::string header;
    std::vector<unsigned char> rows; // the rows' bytes, top row first
};
PngPicture readPng(const std::string& path);
