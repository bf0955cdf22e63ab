// wholeFile.h -- files written aside and renamed into place, so that no one sees them torn
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>

// Results of writeWhole. pngFile.h gives them the names its callers know.
inline constexpr int fileWritten = 0;     // the target holds everything fill wrote
inline constexpr int fileNotCreated = 1;  // neither the temporary nor the target could be opened,
                                          // or the temporary could not take the target's place
inline constexpr int fileWriteFailed = 4; // the data (or, with durable, the directory entry)
                                          // could not be flushed to the disk

// The one temporary file of tarvikImages: every file is written there and renamed over its
// target. One name for all targets, without a process id, so that a run killed in the middle of
// a write leaves at most this one file, which the next write takes over. It matches neither
// "*.png" nor "*.html", so no gallery lists it.
inline constexpr const char* temporaryName = "tarvik01.part";

// Writes target whole or not at all: fill writes the content to an open file and returns
// fileWritten or a result of its own, which writeWhole passes on. The content goes to the
// temporary beside target, which replaces target only once it is complete; on any failure the
// temporary is removed and an earlier target stays as it was. With durable, the data reaches the
// disk before the rename and the directory entry after it, so a power cut cannot lose a file
// that was reported written.
//
// A directory that may not be written (EACCES, EPERM) admits no temporary; when it holds a
// target that may be written, that target is replaced in place instead, as a plain "wb" write
// would, and a failure there leaves it torn.
int writeWhole(const std::filesystem::path& target, bool durable,
               const std::function<int(std::FILE*)>& fill);
