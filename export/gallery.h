// gallery.h -- the HTML gallery of every PNG file in tarvikImages
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Brings the index page "tarvikImages/tarvik01.html" and the image page "<name>.html" of every
// PNG in tarvikImages up to date, each image page before its index entry. Every page is written
// whole or not at all (writeWhole), and one that already holds its bytes is left untouched.
// Nothing is reported: a missing directory writes nothing, a page that cannot be created is
// skipped, a directory without PNG files gets an index without entries. Other files are neither
// listed nor touched, and pages whose PNG has gone stay where they are.
void writeGallery();

// The names of the regular files in dir whose names end in ".png" in any letter case, sorted
// byte by byte so that every file system yields the same gallery. Empty when dir cannot be
// read.
std::vector<std::string> pngNames(const std::filesystem::path& dir);

// A file name as HTML text or attribute value: &, <, > and " become character references.
std::string htmlText(const std::string& name);

// A file name as a relative link: every byte outside A-Z, a-z, 0-9 and "-._~" becomes %XX, so
// no name can end the link early ("#", "?"), be read as a scheme (":") or be decoded into
// another name ("%"). Names the system makes pass unchanged.
std::string linkPath(const std::string& name);

// The page texts, byte for byte; png is the PNG's file name without directory.
std::string imagePageText(const std::string& png);
std::string indexHeadText();
std::string indexEntryText(const std::string& png);
std::string indexTailText();
